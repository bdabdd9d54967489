#include "reportwindow.h"
#include "samplereceipts.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// The desktop example's window: the event loop turns between the pages of its report, and
// Cancel leaves the folder as it was. Nothing here is timed.
class tst_Desktop : public QObject
{
    Q_OBJECT

private slots:
    void timerTicksBetweenPages();
    void cancelMidReportLeavesTheEarlierReport();

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

// The report written before stays as it was.
void tst_Desktop::cancelMidReportLeavesTheEarlierReport()
{
    ReportWindow window(printouts, dir.path());
    QFile earlier(window.reportPath());
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier report") > 0);
    earlier.close();
    connect(&window, &ReportWindow::pageWritten, &window, &ReportWindow::cancel);
    QSignalSpy finished(&window, &ReportWindow::finished);
    window.selectAll();
    window.setDocumentReport(true);
    window.generate();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.first().first().value<AsyncReportsBase::Outcome>(), AsyncReportsBase::Outcome::Cancelled);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier report"));
}

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"
