#ifndef SIGNALBRIDGE_H
#define SIGNALBRIDGE_H

#include <QObject>

class QSocketNotifier;

// Turns the signals that end a run (SIGINT, SIGTERM, SIGHUP and SIGQUIT) into a cancel
// request: a flag that blocking code reads when a system call returns EINTR, and a Qt signal
// delivered on the event loop (through a pipe, the only safe way out of a signal handler).
// install() sets this up once for the whole process; a signal that was ignored when the tool
// started stays ignored. SIGPIPE and SIGXFSZ are ignored, so that a closed pipe or a file-size
// limit shows as a failed write instead of ending the process.
class SignalBridge : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers; call once, before anything is read or written.
    static void install();
    // The first of those signals received, or 0.
    static int caught();

    // Delivers interrupted() on the event loop for every signal received, including one
    // that arrived before this object was made.
    explicit SignalBridge(QObject *parent = nullptr);

signals:
    void interrupted(int signalNumber);

private:
    static void handle(int signalNumber);
    void readSignal();

    QSocketNotifier *notifier = nullptr;
};

#endif // SIGNALBRIDGE_H
