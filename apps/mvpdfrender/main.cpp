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

// Memory can run out before main(): the libraries' initialisers allocate too, and under a
// tight address-space limit (ulimit -v) an allocation fails there that nobody checks. The
// crash handlers are in place before any initialiser runs, so that such a run also ends with
// "out of memory" (in English: the tool's translation is not loaded yet).
void installCrashHandlersFirst(int, char **, char **)
{
    FatalErrors::installCrashHandlers();
}
__attribute__((section(".preinit_array"), used)) void (*crashHandlersFirst)(int, char **, char **) =
        installCrashHandlersFirst;

} // namespace

#ifdef MVPDFRENDER_JEMALLOC
// jemalloc's settings for the tool (the environment's MALLOC_CONF still has the last word):
// memory a page frees stays with the process for the next page, instead of going back to the
// system after a while and being faulted in again. A run is one report: that is a twentieth
// of its time, for a peak some 15 MiB higher (20 000 receipts: 124 MiB against 110 MiB).
extern "C" const char *malloc_conf;
const char *malloc_conf = "dirty_decay_ms:-1";
#endif

int main(int argc, char *argv[])
{
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
