#ifndef PDFPROBE_H
#define PDFPROBE_H

#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

// Reads a PDF back with the poppler and qpdf command-line tools.
namespace PdfProbe {

struct Word
{
    int page;       // from 1
    QRectF box;     // in points
    QString text;
};

int pageCount(const QString &path);
// The document information's text entries by key ("/Title", "/ModDate"...), read with qpdf.
QHash<QString, QString> documentInformation(const QString &path);
QString info(const QString &path, const QString &key);
// The text of each page, in reading layout.
QStringList pageTexts(const QString &path);
// The characters the fonts' ToUnicode maps give glyphs (hexadecimal, as "<0020>"), read from
// the file uncompressed by qpdf.
QStringList toUnicodeTargets(const QString &path);
// The whole text as another reader extracts it: poppler in raw order, or MuPDF.
QString rawText(const QString &path);
QString muText(const QString &path);
QList<Word> words(const QString &path);
// True when qpdf --check finds no error.
bool structureValid(const QString &path);

struct OutlineEntry
{
    QString title;
    int page;       // from 1
    double top;     // in points from the top of the page
    bool open;
    std::vector<OutlineEntry> kids;
};

// The first level of the outline, each entry with the entries under it, read with qpdf.
QList<OutlineEntry> outline(const QString &path);

} // namespace PdfProbe

#endif // PDFPROBE_H
