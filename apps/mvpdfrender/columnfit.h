#ifndef COLUMNFIT_H
#define COLUMNFIT_H

#include <QHash>
#include <QPair>
#include <QStringList>
#include <QTextCharFormat>

class AsyncReportsHelper;

// Measures text as the page composer draws it (the width of a text item holding it, in scene
// units) and cuts text too wide for a column into continuation lines, never inside a
// character, so that no text runs into the next column or off the page. Built from the
// composer of a prepared renderer, whose scene gives the page's geometry.
class ColumnFit
{
public:
    explicit ColumnFit(AsyncReportsHelper &helper);

    // The width of the text item of text in format.
    double width(const QString &text, const QTextCharFormat &format) const;
    // The width of a text item of a printout line (the body format).
    double lineWidth(const QString &line) const;

    // The width of a column of a page of columnCount columns.
    double columnWidth(int columnCount) const;
    // Whether the line fits a column of every page it may stand on (see fitLine()).
    bool lineFits(const QString &line, bool wide) const;
    // The line cut into pieces that each fit a column of the page they will stand on: a line
    // of more than kLongLineLength UTF-16 code units goes onto a two-column page, a shorter
    // one possibly onto a three-column page (wide: every page has two columns).
    QStringList fitLine(const QString &line, bool wide) const;
    // text cut into pieces no wider than maxWidth in format (a single character wider than
    // that stands alone).
    QStringList cut(const QString &text, const QTextCharFormat &format, double maxWidth) const;

    // A line of the line report needs a two-column page beyond this many UTF-16 code units.
    static constexpr int kLongLineLength = 50;

private:
    double measure(const QString &text, const QTextCharFormat &format) const;
    bool isPlainLatin(const QString &line) const;

    AsyncReportsHelper &helper;
    QTextCharFormat body;
    bool fixedPitch = false;      // the body font gives every plain Latin character one advance
    // Widths of plain Latin lines in a fixed-pitch font depend only on their length and on
    // the overhang of their last character.
    mutable QHash<QPair<int, ushort>, double> plainWidths;
};

#endif // COLUMNFIT_H
