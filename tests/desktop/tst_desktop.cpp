#include "reportwindow.h"
#include "samplereceipts.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// The desktop example's window: the event loop turns between the pages of its report, and
// Cancel leaves no file. Nothing here is timed.
class tst_Desktop : public QObject
{
    Q_OBJECT

private slots:
    void timerTicksBetweenPages();
    void cancelMidReportLeavesNoFile();

private:
    QTemporaryDir dir;
    const QList<ReportWindow::Printout> printouts{{QStringLiteral("paragony"), SampleReceipts::lines(4000)}};
};

void tst_Desktop::timerTicksBetweenPages()
{
    ReportWindow window(printouts, dir.path());
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&]() { ++ticks; });
    timer.start(0);
    QList<int> ticksAtPage;
    connect(&window, &ReportWindow::pageWritten, [&]() { ticksAtPage.append(ticks); });
    QSignalSpy finished(&window, &ReportWindow::finished);
    window.selectAll();
    window.generate();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.first().first().value<AsyncReportsBase::Outcome>(), AsyncReportsBase::Outcome::Completed);
    QVERIFY(ticksAtPage.size() >= 3);
    for (int page = 1; page < ticksAtPage.size(); ++page)
        QVERIFY2(ticksAtPage.at(page) > ticksAtPage.at(page - 1), qPrintable(QString::number(page)));
    QVERIFY(QFileInfo::exists(window.reportPath()));
}

void tst_Desktop::cancelMidReportLeavesNoFile()
{
    ReportWindow window(printouts, dir.path());
    connect(&window, &ReportWindow::pageWritten, &window, &ReportWindow::cancel);
    QSignalSpy finished(&window, &ReportWindow::finished);
    window.selectAll();
    window.setDocumentReport(true);
    window.generate();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.first().first().value<AsyncReportsBase::Outcome>(), AsyncReportsBase::Outcome::Cancelled);
    QVERIFY(!QFileInfo::exists(window.reportPath()));
}

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"
