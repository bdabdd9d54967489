#ifndef MVDELIVERY_H
#define MVDELIVERY_H

#include <QIODevice>
#include <QPointer>

#include <memory>

// What a host's device has been given of a report and what it has passed on. A device with a
// buffer of its own (a process, a socket) has taken the report only once it has passed on all
// it was given (QIODevice::bytesWritten()) while it could: one that dropped part of its buffer,
// lost its reader (a socket's read channel finished, as when its peer goes away), was closed,
// or whose process ended has not. A file, or a device without a buffer of its own, has taken
// what its writes accepted.
class MvDelivery
{
public:
    MvDelivery();
    ~MvDelivery();

    // Counts from nothing, for a report written into device (null: none).
    void watch(QIODevice *device);
    // The device watched, or null.
    QIODevice *target() const;
    // Whether the device keeps a buffer of its own: it gets a report's last bytes only once it
    // has passed on everything before them, so that a cancel while it still holds part of the
    // report never leaves a complete document in it.
    bool buffered() const;
    // A write of bytes into the device succeeded.
    void given(qint64 bytes);
    // Whether the device still holds part of what it was given, and may pass it on yet.
    bool pending() const;
    // Whether the device can no longer pass on what it was given: it dropped part of it, lost
    // its reader, was closed or deleted, or its process ended.
    bool broken() const;

private:
    Q_DISABLE_COPY(MvDelivery)

    QPointer<QIODevice> device;         // the host's; not owned
    std::unique_ptr<QObject> listener;  // the context of the bytesWritten() connection
    qint64 givenBytes = 0;
    qint64 passedOn = 0;
    bool buffers = false;
    bool lost = false;
};

#endif // MVDELIVERY_H
