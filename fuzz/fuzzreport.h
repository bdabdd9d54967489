#ifndef FUZZREPORT_H
#define FUZZREPORT_H

// What the fuzz targets that render reports share: the application object and a folder for
// their files, and a run of a job on the event loop.
#include "asyncreportsbase.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>

namespace FuzzReport {

// The application object (offscreen) and the folder; from LLVMFuzzerInitialize().
inline QString initialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    static QTemporaryDir folder;
    return folder.filePath(QStringLiteral("fuzz.pdf"));
}

// Starts job and runs the event loop until its ready() and the calls queued behind it; returns
// how many ready() it sent, the last one's text in *message.
inline int runToReady(AsyncReportsBase &job, QString *message)
{
    QEventLoop loop;
    int readyCount = 0;
    QObject::connect(&job, &AsyncReportsBase::ready, &loop, [&](const QString &text) {
        ++readyCount;
        *message = text;
        loop.quit();
    }, Qt::QueuedConnection);
    job.do_process();
    loop.exec();
    QCoreApplication::processEvents();
    return readyCount;
}

} // namespace FuzzReport

#endif // FUZZREPORT_H
