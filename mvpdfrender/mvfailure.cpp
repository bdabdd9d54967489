#include "mvfailure.h"

class MvFailure::Data : public QSharedData
{
public:
    Reason reason = Reason::None;
    QString path;
    int line = 0;
    int systemError = 0;
    QString detail;
};

MvFailure::MvFailure() : d(new Data)
{
}

MvFailure::MvFailure(Reason reason) : d(new Data)
{
    d->reason = reason;
}

MvFailure::MvFailure(const MvFailure &other) = default;

MvFailure &MvFailure::operator=(const MvFailure &other) = default;

MvFailure::~MvFailure() = default;

MvFailure::Reason MvFailure::reason() const
{
    return d->reason;
}

bool MvFailure::isFailure() const
{
    return d->reason != Reason::None;
}

QString MvFailure::path() const
{
    return d->path;
}

void MvFailure::setPath(const QString &path)
{
    d->path = path;
}

int MvFailure::line() const
{
    return d->line;
}

void MvFailure::setLine(int line)
{
    d->line = line;
}

int MvFailure::systemError() const
{
    return d->systemError;
}

void MvFailure::setSystemError(int errorNumber)
{
    d->systemError = errorNumber;
}

QString MvFailure::detail() const
{
    return d->detail;
}

void MvFailure::setDetail(const QString &detail)
{
    d->detail = detail;
}

bool MvFailure::operator==(const MvFailure &other) const
{
    return d->reason == other.d->reason && d->path == other.d->path && d->line == other.d->line
            && d->systemError == other.d->systemError && d->detail == other.d->detail;
}

bool MvFailure::operator!=(const MvFailure &other) const
{
    return !(*this == other);
}
