// A desktop window that writes PDF reports of printouts while it stays responsive.
//
//   desktop-report [--output DIR] [--screenshot FILE]
//
// --screenshot: starts a line report of every printout, saves a picture of the window while
// the report is being written, cancels it and quits.
#include "reportwindow.h"
#include "samplereceipts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QPixmap>

namespace {

constexpr int kGeneratedReceipts = 3000;
// The screenshot waits for a few pages, so that the bar has moved.
constexpr int kPagesBeforeScreenshot = 3;

QList<ReportWindow::Printout> printouts()
{
    QList<ReportWindow::Printout> result;
    QFile sample(QStringLiteral(SAMPLES_DIR "/printout.txt"));
    if (sample.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // A printer's file: its control sequences become display text first.
        result.append({QStringLiteral("Kawiarnia, listopad 2026"), MvStringFormatter::quickViewFormat(
                QString::fromUtf8(sample.readAll()).split(QLatin1Char('\n')))});
    }
    result.append({QStringLiteral("Paragony sklepu \"Pod Lipami\""),
                   SampleReceipts::lines(SampleReceipts::compose(kGeneratedReceipts))});
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("Folder of the report."),
                                    QStringLiteral("dir"), QDir::currentPath());
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window mid-report, then quit."),
                                        QStringLiteral("file"));
    parser.addOptions({output, screenshot});
    parser.process(app);

    ReportWindow window(printouts(), parser.value(output));
    window.resize(640, 420);
    window.show();
    if (!parser.isSet(screenshot))
        return app.exec();

    int pages = 0;
    QObject::connect(&window, &ReportWindow::pageWritten, &window, [&]() {
        if (++pages != kPagesBeforeScreenshot)
            return;
        window.grab().save(parser.value(screenshot));
        window.cancel();
    });
    QObject::connect(&window, &ReportWindow::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    window.selectAll();
    window.setDocumentReport(false);
    window.generate();
    return app.exec();
}
