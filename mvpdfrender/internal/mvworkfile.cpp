#include "mvworkfile.h"

#include <cstring>

// What the work file gives whichever calls it is made with: its destination and its errors.

QString MvWorkFile::errorString() const
{
    return error;
}

int MvWorkFile::systemError() const
{
    return errorNumber;
}

bool MvWorkFile::fail(int systemErrorNumber)
{
    fail(QString::fromLocal8Bit(std::strerror(systemErrorNumber)));
    errorNumber = systemErrorNumber;
    return false;
}

bool MvWorkFile::fail(const QString &reason)
{
    error = reason;
    errorNumber = 0;
    return false;
}

QByteArray MvWorkFile::destination() const
{
    return target;
}
