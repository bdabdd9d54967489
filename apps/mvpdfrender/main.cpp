// mvpdfrender: turns printout files into PDF reports, and printer lines into display lines.
#include "commands.h"
#include "fatalerrors.h"
#include "imageloader.h"
#include "outputtarget.h"
#include "signalbridge.h"
#include "tool.h"

#include <QApplication>
#include <QHash>
#include <QImageReader>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <new>
#if defined(__GLIBC__) && !defined(MVPDFRENDER_JEMALLOC)
#include <malloc.h>
#endif

namespace {

// Qt's own chatter (such as the missing runtime folder of the offscreen platform) is no
// business of the tool's users; warnings about real problems still get through.
void filterMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s: Qt: %s\n", MVPDFRENDER_TOOL_NAME, qUtf8Printable(message));
}

// Memory running out inside a page pass surfaces here, in the event loop's delivery of the
// pass: Qt lets no exception travel further.
class ToolApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc &) {
            FatalErrors::outOfMemory();
        }
    }
};

// A standard stream that is closed gets /dev/null, so that no file the tool opens takes its
// number: messages meant for standard error must never land in a report.
void openClosedStandardStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            ::open("/dev/null", O_RDWR);
            if (fd == STDOUT_FILENO)
                OutputTarget::setStandardOutputClosed();
        }
    }
}

// A reproducible run (SOURCE_DATE_EPOCH set) gives the same file every time: Qt orders some
// objects of a PDF by its hash seed, random per process unless fixed before any hash exists.
void fixHashSeedWhenReproducible()
{
    if (!qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH"))
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 2, 0)
    QHashSeed::setDeterministicGlobalSeed();
#else
    qSetGlobalQHashSeed(0);
#endif
}

// The tool is one run from start to end, and what a page frees the next page takes again (the
// PDF writer's page buffers, the text items' layouts). Left alone, glibc's allocator maps its
// large blocks afresh each time and hands freed memory back at once, so every page pays again
// for fresh, zero-filled memory; it keeps the memory freed for the next page instead. (A tool
// linked with jemalloc has that allocator's own, better suited policy.)
void keepFreedMemoryForReuse()
{
#if defined(__GLIBC__) && !defined(MVPDFRENDER_JEMALLOC)
    // Blocks below this come from the heap (glibc's own ceiling for the size it adapts).
    constexpr int kMapThreshold = 32 * 1024 * 1024;
    // The heap hands back what is free at its end only beyond this.
    constexpr int kTrimThreshold = 256 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kMapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    keepFreedMemoryForReuse();
    openClosedStandardStreams();
    SignalBridge::install();
    FatalErrors::install();
    // Rendering needs no screen: without a display, use the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(filterMessages);
    fixHashSeedWhenReproducible();

    try {
        ToolApplication app(argc, argv);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        // Behind the tool's own checks of every image, Qt refuses any decoding that would
        // take more memory than the largest image the tool accepts.
        QImageReader::setAllocationLimit(ImageLoader::kMaxPixels * 4 / (1024 * 1024) + 1);
#endif
        Tool::installTranslation(app);
        FatalErrors::translate();
        QApplication::setApplicationName(Tool::name());
        QApplication::setApplicationVersion(QStringLiteral(MVPDFRENDER_VERSION));
        return Commands::run(QApplication::arguments());
    } catch (const std::bad_alloc &) {
        FatalErrors::outOfMemory();
    }
}
