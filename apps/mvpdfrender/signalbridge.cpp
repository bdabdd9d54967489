#include "signalbridge.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
const int kIgnoredSignals[] = {SIGPIPE, SIGXFSZ};

int pipeEnds[2] = {-1, -1};
volatile sig_atomic_t firstSignal = 0;

} // namespace

void SignalBridge::install()
{
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = &SignalBridge::handle;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking open, read or write returns EINTR, so that its caller can see
    // the cancel instead of waiting on.
    action.sa_flags = 0;
    for (const int number : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        ::sigaction(number, &action, nullptr);
    }
    for (const int number : kIgnoredSignals)
        std::signal(number, SIG_IGN);
}

int SignalBridge::caught()
{
    return firstSignal;
}

SignalBridge::SignalBridge(QObject *parent) : QObject(parent)
{
    if (pipeEnds[0] < 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SignalBridge::readSignal);
}

void SignalBridge::handle(int signalNumber)
{
    if (firstSignal == 0)
        firstSignal = signalNumber;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: a cancel is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
}

void SignalBridge::readSignal()
{
    unsigned char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1)
        emit interrupted(byte);
}
