#ifndef MVREPORTTEXTS_H
#define MVREPORTTEXTS_H

#include <QString>
#include <QStringList>

// The words the reports print, each written once: the month names of the dated line, the
// footers, the document labels and the outline's group titles.
namespace MvReportTexts {

// The months in the genitive, as a date reads ("30 listopada"), January at 1; index 0 is empty.
const QStringList &monthNames();
// "dnia 30 listopada 2026 roku", monthName in the genitive.
QString datedLine(int day, const QString &monthName, int year);

// "- Strona N -".
QString pageFooter(int page);
// "- Strona N z M -".
QString pageFooter(int page, int pages);

// "Dokument nr N": a numbered document's name, in its outline entry and continuation label.
QString numberedDocument(int number);
// "Dokument K": a document without number or title, K its place in the report from 1.
QString nthDocument(int place);
// The number header above a numbered document: its name with room on either side.
QString numberHeader(int number);
// "NAME (cd.)": the label of a document continued in another column or on another page.
QString continued(const QString &name);

// "Strony A-B", or "Strona A" for a group of entries that open one page.
QString pagesGroup(int firstPage, int lastPage);

} // namespace MvReportTexts

#endif // MVREPORTTEXTS_H
