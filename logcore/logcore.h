#ifndef LOGCORE_H
#define LOGCORE_H

#include <QtCore/qglobal.h>
#include <QMutex>
#include <QString>
#include <QTextStream>

#include <memory>

#if defined(LOGCORE_LIBRARY)
#  define LOGCORE_EXPORT Q_DECL_EXPORT
#else
#  define LOGCORE_EXPORT Q_DECL_IMPORT
#endif

class QFile;

// The process-wide log sink. Entries go to standard error until a log file is set, and are
// appended to that file afterwards, one line per entry. Writing an entry is thread-safe.
class LOGCORE_EXPORT CGlobalDebugFileHandler
{
public:
    static CGlobalDebugFileHandler *instance();

    // Appends further entries to the file at path (created when missing). An empty path, or
    // one that cannot be opened for appending, sends entries back to standard error.
    void setLogFile(const QString &path);
    QString logFile() const;

    // Writes one finished entry as a single line.
    void writeEntry(int level, const char *function, const char *file, int line,
                    const QString &text);

private:
    CGlobalDebugFileHandler();
    ~CGlobalDebugFileHandler();
    Q_DISABLE_COPY(CGlobalDebugFileHandler)

    mutable QMutex mutex;
    std::unique_ptr<QFile> file;
};

// Collects the text of one log entry through logger(); destroying the writer ends the entry
// and hands it to the handler.
class LOGCORE_EXPORT CLogWriter
{
public:
    CLogWriter(CGlobalDebugFileHandler *handler, int level, const char *function,
               const char *file, int line);
    ~CLogWriter();
    Q_DISABLE_COPY(CLogWriter)

    QTextStream &logger();

private:
    CGlobalDebugFileHandler *handler;
    int level;
    const char *function;
    const char *file;
    int line;
    QString text;
    QTextStream stream;
};

#endif // LOGCORE_H
