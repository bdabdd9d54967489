#ifndef SIGNALBRIDGE_H
#define SIGNALBRIDGE_H

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal delivered on the event loop (through a pipe, the
// only safe way out of a signal handler). The default handlers come back on destruction.
class SignalBridge : public QObject
{
    Q_OBJECT

public:
    explicit SignalBridge(QObject *parent = nullptr);
    ~SignalBridge() override;

signals:
    void interrupted(int signalNumber);

private:
    static void handle(int signalNumber);
    void readSignal();

    QSocketNotifier *notifier = nullptr;
};

#endif // SIGNALBRIDGE_H
