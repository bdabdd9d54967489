#include "mvreporttexts.h"

namespace {

// The spaces on either side of a number header's name.
const QString kHeaderMargin = QStringLiteral("   ");

} // namespace

namespace MvReportTexts {

const QStringList &monthNames()
{
    static const QStringList names{QString(), QStringLiteral("stycznia"), QStringLiteral("lutego"),
                                   QStringLiteral("marca"), QStringLiteral("kwietnia"),
                                   QStringLiteral("maja"), QStringLiteral("czerwca"),
                                   QStringLiteral("lipca"), QStringLiteral("sierpnia"),
                                   QStringLiteral("września"), QStringLiteral("października"),
                                   QStringLiteral("listopada"), QStringLiteral("grudnia")};
    return names;
}

QString datedLine(int day, const QString &monthName, int year)
{
    return QStringLiteral("dnia %1 %2 %3 roku").arg(QString::number(day), monthName, QString::number(year));
}

QString pageFooter(int page)
{
    return QStringLiteral("- Strona %1 -").arg(page);
}

QString pageFooter(int page, int pages)
{
    return QStringLiteral("- Strona %1 z %2 -").arg(page).arg(pages);
}

QString numberedDocument(int number)
{
    return QStringLiteral("Dokument nr %1").arg(number);
}

QString nthDocument(int place)
{
    return QStringLiteral("Dokument %1").arg(place);
}

QString numberHeader(int number)
{
    return kHeaderMargin + numberedDocument(number) + kHeaderMargin;
}

QString continued(const QString &name)
{
    return QStringLiteral("%1 (cd.)").arg(name);
}

QString pagesGroup(int firstPage, int lastPage)
{
    if (firstPage == lastPage)
        return QStringLiteral("Strona %1").arg(firstPage);
    return QStringLiteral("Strony %1-%2").arg(firstPage).arg(lastPage);
}

} // namespace MvReportTexts
