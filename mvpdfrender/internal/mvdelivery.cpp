#include "mvdelivery.h"

#include <QFileDevice>
#include <QProcess>

MvDelivery::MvDelivery() = default;

MvDelivery::~MvDelivery() = default;

void MvDelivery::watch(QIODevice *target)
{
    listener.reset();
    device = target;
    givenBytes = 0;
    passedOn = 0;
    buffers = false;
    lost = false;
    // A file's own buffer is flushed, and its failures seen, when the document is completed.
    if (!target || !target->isSequential() || qobject_cast<QFileDevice *>(target))
        return;
    listener = std::make_unique<QObject>();
    QObject::connect(target, &QIODevice::bytesWritten, listener.get(), [this](qint64 bytes) {
        passedOn += bytes;
        buffers = true;
    });
    QObject::connect(target, &QIODevice::aboutToClose, listener.get(), [this]() { lost = true; });
    // A process's read channel is its own output, which says nothing of its reading.
    if (!qobject_cast<QProcess *>(target))
        QObject::connect(target, &QIODevice::readChannelFinished, listener.get(), [this]() { lost = true; });
}

QIODevice *MvDelivery::target() const
{
    return device;
}

bool MvDelivery::buffered() const
{
    return listener != nullptr;
}

void MvDelivery::given(qint64 bytes)
{
    givenBytes += bytes;
    buffers = buffers || (listener && device && device->bytesToWrite() > 0);
}

bool MvDelivery::pending() const
{
    return listener && device && device->bytesToWrite() > 0;
}

bool MvDelivery::broken() const
{
    if (!listener)
        return false;
    if (!device || !device->isOpen() || lost)
        return true;
    const auto *process = qobject_cast<const QProcess *>(device.data());
    if (process && process->state() == QProcess::NotRunning)
        return true;
    return buffers && !pending() && passedOn < givenBytes;
}
