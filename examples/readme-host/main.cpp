// A host that only knows the installed package: runs the README's report job and formats a
// printout line.
#include "dayreport.h"

#include <mvpdfrender_version.h>
#include <mvstringformatter.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>

static_assert(MVPDFRENDER_VERSION >= MVPDFRENDER_VERSION_CHECK(1, 0, 0), "the installed version header");

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MvStringFormatter formatter;
    formatter.AppFormatW(QStringLiteral("Suma"), QStringLiteral("12,50"));
    if (formatter.lines().value(0).size() != 40)
        return 1;

    QTemporaryDir dir;
    DayReport job;
    job.file = dir.filePath(QStringLiteral("raport.pdf"));
    job.lines = formatter.lines();
    QEventLoop loop;
    QObject::connect(&job, &AsyncReportsBase::ready, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    job.do_process();
    loop.exec();
    const bool written = job.lastOutcome() == AsyncReportsBase::Outcome::Completed
            && job.lastOutputPath() == job.file && QFileInfo(job.file).size() > 0;
    return written ? 0 : 1;
}
