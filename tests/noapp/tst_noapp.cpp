// A host without a QApplication (none at all, a QCoreApplication or a QGuiApplication, as the
// first argument says): a line report and a document report are refused with a message
// before any file is made, instead of crashing in the page scene. Or ("after") a job that
// outlives the QApplication in the middle of a run: destroying it drops the report without a
// crash. Exits with 0 when all is as it should be.
#include "mvkeys.h"
#include "pdfrendererdocuments.h"
#include "testjob.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    const QByteArray kind = argc > 1 ? argv[1] : "";
    std::unique_ptr<QCoreApplication> app;
    if (kind == "core")
        app = std::make_unique<QCoreApplication>(argc, argv);
    else if (kind == "gui")
        app = std::make_unique<QGuiApplication>(argc, argv);

    QTemporaryDir dir;
    if (kind == "after") {
        auto *job = new TestJob;
        job->fileName = dir.filePath(QStringLiteral("report.pdf"));
        job->lines = numberedLines(3000);
        {
            QApplication application(argc, argv);
            QSignalSpy progress(job, &AsyncReportsBase::progress);
            job->do_process();
            if (!progress.wait(30000))
                return 1;
        }
        delete job;
        return QFile::exists(dir.filePath(QStringLiteral("report.pdf"))) ? 1 : 0;
    }
    bool refused = true;
    for (const bool documents : {false, true}) {
        TestJob job;
        job.fileName = dir.filePath(QStringLiteral("report.pdf"));
        job.lines = QStringList{QStringLiteral("PARAGON FISKALNY")};
        if (documents) {
            job.fillDocuments = [](PDFRendererDocuments &renderer) {
                renderer.appendDoc(QStringList{QStringLiteral("PARAGON FISKALNY")});
                DocumentGraphics numbered;
                numbered.attributes.insert(MvKeys::NumberAttribute, 1);
                renderer.appendDoc(numbered);
            };
        }
        QStringList messages;
        QObject::connect(&job, &AsyncReportsBase::ready, [&](const QString &text) { messages.append(text); });
        // Refused in prepare(), ready() comes before do_process() returns: no event loop needed.
        job.do_process();
        std::printf("%s: \"%s\"\n", kind.constData(), qUtf8Printable(messages.join(QLatin1Char('|'))));
        refused = refused && job.lastOutcome() == AsyncReportsBase::Outcome::WriteFailed
                && messages == QStringList{QStringLiteral("Brak obiektu QApplication potrzebnego do utworzenia pliku PDF")}
                && !QFile::exists(job.fileName);
    }
    return refused ? 0 : 1;
}
