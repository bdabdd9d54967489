#ifndef MVLINEFLOW_H
#define MVLINEFLOW_H

#include "mvtextfitter.h"

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>

class AsyncReportsBase;
class AsyncReportsHelper;
class MvFailure;
class QGraphicsItem;
class QTextCharFormat;

// The flow of a text report: the job's lines laid out down the columns of a page, one page at
// a time, in three columns or, for a page with a line too long for them, in two; under the
// heading lines of each column after the first page; a line too wide or too tall for its
// column continued piece by piece, across columns and pages; outline entries at the lines
// that match the outline's pattern. It works on the renderer's own fields (which hosts of a
// derived renderer read), given at construction, and reaches the renderer's outline and
// failure through hooks.
class MvLineFlow
{
public:
    // The renderer's fields the flow keeps up to date.
    struct Fields
    {
        int &column;
        double &columnY;
        int &lineNo;
        int &pageStartLineNo;
        bool &twoColumns;
        bool &wide;
        QStringList::iterator &current;
        QStringList::iterator &pageStart;
        bool &restartPage;
        bool &holdLine;
        QString &line;
    };
    struct Hooks
    {
        std::function<void(int line, double sceneTop)> addOutlineLine;
        std::function<void()> dropOutlineEntriesOfPage;
        std::function<void(const MvFailure &failure, const QString &message)> fail;
    };
    // How a page's composition ended.
    enum class PageEnd { Full, Last, Failed };

    MvLineFlow(AsyncReportsHelper &helper, AsyncReportsBase *owner, const Fields &fields, Hooks hooks);

    // False, changing nothing, for a pattern that is not a valid expression.
    bool setOutlinePattern(const QString &pattern);
    QString outlinePattern() const { return outlineExpression.pattern(); }
    // Whether a line fits below the heading lines in a column of the narrowest page they head.
    bool headingsLeaveRoom();
    // Back to the job's first line; outlined: lines that match the pattern get entries.
    void restart(bool outlined);
    // Lays lines out on page pageNum until it is full (Full), the lines run out (Last, the
    // page finished), or the outline pattern fails (Failed, reported through the hook).
    PageEnd composePage(int pageNum);
    // After a full page went out: the next one opens with the line held.
    void startPage();
    // The lines taken, the held one included; a line cut across pages counts by the share of
    // it already placed.
    double linesTaken() const;

private:
    enum class Placement { Placed, NextColumn, PageFull, Failed };

    bool needsTwoColumns(const QTextCharFormat &format) const;
    void takeLine();
    bool linesRemain() const;
    void restartCurrentPage(const QTextCharFormat &format, int pageNum);
    Placement placeLine(const QTextCharFormat &format);
    QGraphicsItem *wholeLineItem(const QTextCharFormat &format, double columnWidth);
    void piecePlaced(int next);
    bool matchOutline(double top);
    void startNextColumn(const QTextCharFormat &format);
    void finishLastPage();
    double emitHeadings(const QTextCharFormat &format);
    const QStringList &fittedHeadings(const QTextCharFormat &format, int columns);

    AsyncReportsHelper &hlp;
    AsyncReportsBase *owner;
    Fields f;
    Hooks hooks;
    MvTextFitter fitter;
    QStringList::iterator linesEnd;
    QRegularExpression outlineExpression;
    bool outlined = false;
    // Whether the current column holds a line (not only headings): a line that does not fit
    // even into an empty column is placed there anyway, so that no line is lost.
    bool columnHasLine = false;
    // A line too wide or too tall for its column is placed piece by piece: cutting is set
    // while it is, and offset is where the part of `line` still to place begins.
    bool cutting = false;
    int offset = 0;
    // Where the current page begins inside its first line, for a page laid out again; the
    // next line taken is that first line when resumePageStart is set.
    int pageStartOffset = 0;
    bool pageStartCutting = false;
    bool resumePageStart = false;
    // The job's heading lines as last seen, and cut to fit a column, by column count.
    QStringList headings;
    QHash<int, QStringList> headingsByColumns;
    qint64 matchingTime = 0;   // spent matching lines in this pass, in nanoseconds
    // The longest line, up to the long line length, that a column of a three-column page
    // holds at the report's resolution: a page with a longer line gets two columns, as a
    // page with a long line does, rather than cut it.
    int narrowLineLimit;
    // Every page in two columns: asked for (wide), or heading lines that a column of three
    // would cut.
    bool alwaysTwoColumns = false;
};

#endif // MVLINEFLOW_H
