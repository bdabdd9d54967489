#include "tool.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool polish = false;

// Where the translation of the tool lies: beside it in the build tree, or in the data folder
// of its installed tree.
QStringList translationFolders()
{
    const QString binary = QCoreApplication::applicationDirPath();
    return {binary, QDir(binary).filePath(QStringLiteral("../share/%1/translations").arg(Tool::name()))};
}

} // namespace

QString Tool::name()
{
    return QStringLiteral(MVPDFRENDER_TOOL_NAME);
}

void Tool::installTranslation(QCoreApplication &application)
{
    const QLocale locale = QLocale::system();
    auto *tool = new QTranslator(&application);
    // The locale's language where the tool has it, else English (whose file holds the forms of
    // its plurals).
    for (const QString &folder : translationFolders()) {
        if (tool->load(locale, QStringLiteral("mvpdfrender"), QStringLiteral("_"), folder)
            || tool->load(QStringLiteral("mvpdfrender_en"), folder)) {
            application.installTranslator(tool);
            polish = tool->language().startsWith(QLatin1String("pl"));
            break;
        }
    }
    if (!polish)
        return;
    // Qt's own texts (the help's headings, its parser's and JSON reader's messages).
    auto *qt = new QTranslator(&application);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString qtTranslations = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), qtTranslations))
        application.installTranslator(qt);
}

bool Tool::speaksPolish()
{
    return polish;
}

QLocale Tool::locale()
{
    QLocale written = polish ? QLocale(QLocale::Polish, QLocale::Poland) : QLocale::c();
    written.setNumberOptions(QLocale::OmitGroupSeparator);
    return written;
}

double Tool::readDecimal(const QString &text, bool *ok)
{
    // With a point, or with the decimal separator of the tool's language or of the user's
    // numbers; never with group separators, which would make "6,900" six thousand nine hundred.
    for (QLocale reading : {QLocale::c(), locale(), QLocale::system()}) {
        reading.setNumberOptions(QLocale::RejectGroupSeparator);
        const double value = reading.toDouble(text.trimmed(), ok);
        if (*ok)
            return value;
    }
    return 0.0;
}

QString Tool::systemError(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return tr("no such file or folder");
    case EACCES:
    case EPERM:
        return tr("permission denied");
    case ENOSPC:
        return tr("no space left on the disk");
    case EDQUOT:
        return tr("the disk quota is used up");
    case EFBIG:
        return tr("larger than the file-size limit");
    case EROFS:
        return tr("the file system is read-only");
    case EISDIR:
        return tr("it is a folder");
    case EIO:
        return tr("an input or output error of the device");
    case ENOTDIR:
        return tr("a part of the path is not a folder");
    case EPIPE:
        return tr("the reader of the output has gone");
    default:
        return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

void Tool::printError(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(name()), qUtf8Printable(message));
}
