#include "logcore.h"

#include <QDateTime>
#include <QFile>
#include <QMutexLocker>

#include <cstdio>

CGlobalDebugFileHandler *CGlobalDebugFileHandler::instance()
{
    // Never destroyed: entries may still be written while other statics are torn down.
    static CGlobalDebugFileHandler *handler = new CGlobalDebugFileHandler;
    return handler;
}

CGlobalDebugFileHandler::CGlobalDebugFileHandler() = default;

CGlobalDebugFileHandler::~CGlobalDebugFileHandler() = default;

void CGlobalDebugFileHandler::setLogFile(const QString &path)
{
    QMutexLocker locker(&mutex);
    file.reset();
    if (path.isEmpty())
        return;
    auto newFile = std::make_unique<QFile>(path);
    if (newFile->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        file = std::move(newFile);
    else
        std::fprintf(stderr, "logcore: cannot open log file %s: %s\n",
                     qUtf8Printable(path), qUtf8Printable(newFile->errorString()));
}

QString CGlobalDebugFileHandler::logFile() const
{
    QMutexLocker locker(&mutex);
    return file ? file->fileName() : QString();
}

void CGlobalDebugFileHandler::writeEntry(int level, const char *function, const char *file,
                                         int line, const QString &text)
{
    // One line per entry: line breaks inside the text would split it.
    QString flatText = text;
    flatText.replace(QLatin1Char('\n'), QLatin1Char(' '));
    // Plain concatenation: a "%1" inside any part must come out unchanged.
    const QString entry = QDateTime::currentDateTime().toString(Qt::ISODateWithMs)
            + QLatin1String(" [") + QString::number(level) + QLatin1String("] ")
            + QString::fromUtf8(function ? function : "") + QLatin1String(" (")
            + QString::fromUtf8(file ? file : "") + QLatin1Char(':') + QString::number(line)
            + QLatin1String(") ") + flatText + QLatin1Char('\n');
    const QByteArray bytes = entry.toUtf8();

    QMutexLocker locker(&mutex);
    if (this->file) {
        this->file->write(bytes);
        this->file->flush();
    } else {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
    }
}

CLogWriter::CLogWriter(CGlobalDebugFileHandler *handler, int level, const char *function,
                       const char *file, int line)
    : handler(handler), level(level), function(function), file(file), line(line),
      stream(&text, QIODevice::WriteOnly)
{
}

CLogWriter::~CLogWriter()
{
    stream.flush();
    if (handler)
        handler->writeEntry(level, function, file, line, text);
}

QTextStream &CLogWriter::logger()
{
    return stream;
}
