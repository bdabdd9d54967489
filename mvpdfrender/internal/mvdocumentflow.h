#ifndef MVDOCUMENTFLOW_H
#define MVDOCUMENTFLOW_H

#include "documentgraphics.h"
#include "mvtextfitter.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class AsyncReportsHelper;
class MvColumnWalker;
class QGraphicsItem;

// The flow of a document report: its pending documents laid out down the columns of a page,
// one page at a time, each item fitted to its column first, with the rules between documents,
// the outline entries, the number headers and, when documents are kept together, the
// continuation labels. It works on the renderer's own fields (the pending documents and the
// counters hosts read), which it is given at construction.
class MvDocumentFlow
{
public:
    // The renderer's fields the flow keeps up to date.
    struct Fields
    {
        QList<DocumentGraphics> &docs;
        qint32 &itemCount;
        double &carryWidth;
        bool &carryOver;
    };
    using OutlineEntry = std::function<void(const QString &title, double sceneTop)>;

    MvDocumentFlow(AsyncReportsHelper &helper, const Fields &fields, OutlineEntry addEntry);

    // Takes the document's items, a number header first for a numbered document.
    void append(const DocumentGraphics &doc);
    // One document of the lines in the printout format.
    void append(const QStringList &lines);
    // A new run: no document placed yet.
    void restart();
    void setKeepTogether(bool on) { keepTogether = on; }
    bool keptTogether() const { return keepTogether; }
    // The factor by which item is scaled down to fit a column; 1.0 for one that fits and for a
    // composer's text continued in pieces instead.
    double fitScale(QGraphicsItem *item) const;
    // Lays the next page's documents out in two or three columns (outlined: with an entry for
    // each document begun) and drops what the page took from the pending ones.
    void composePage(bool outlined);

    // An item's slot: its vertical advance in a column, in scene units (0 for an item that
    // cannot be measured).
    static double boundingHeight(QGraphicsItem *item);
    // An item's scaled width, in scene units (0 for one that cannot be measured).
    static double scaledWidth(const QGraphicsItem *item);
    // The downward shift of an item inside its slot.
    static double heightTopOffset(QGraphicsItem *item);

private:
    // Where placement stopped: the document (and item, when the page filled up inside it).
    struct PageEnd
    {
        int document = -1;
        int item = -1;
        bool full = false;
    };
    // One document being placed.
    struct Placing
    {
        int doc;
        double centredWidth;
        bool outlined;
        bool entryDue;      // its outline entry is still to be made
        double beganAt;     // where a reader sees it begin
        QList<QGraphicsItem *> part;
    };

    bool fitsThreeColumns();
    PageEnd placeDocuments(bool outlined);
    PageEnd placeDocument(int doc, MvColumnWalker &walker, bool outlined, bool entryDue);
    int placeRun(Placing &placing, MvColumnWalker &walker, int next);
    void startEntry(Placing &placing, double top);
    int itemsFitting(QList<QGraphicsItem *> &items, int from, double used);
    int linesIn(const QList<QGraphicsItem *> &items, int from, int to, int atMost) const;
    int keptInColumn(int doc, int from, int fitting, double used, bool lastColumn);
    bool oneLineAfter(int doc) const;
    bool followerFits(int doc, double used, int from);
    void insertContinuationLabel(int doc, int at);
    QString continuedName(int doc) const;
    QGraphicsItem *continuationLabel(const QString &name) const;
    double blockWidthOf(int document) const;
    double fitWidth() const;
    double fitFactor(QGraphicsItem *item, double *slot) const;
    QGraphicsItem *fitItem(QList<QGraphicsItem *> &items, int index, double *slot);
    bool continuedInPieces(QGraphicsItem *item) const;
    QGraphicsItem *takePiece(QList<QGraphicsItem *> &items, int index);
    void placeItem(QGraphicsItem *item, int column, double used, double blockWidth);
    void drawSeparator(int column, double y);
    void removePlaced(const PageEnd &end);
    void removeFirstDocument();
    QString outlineTitle(const DocumentGraphics &doc) const;

    AsyncReportsHelper &hlp;
    QList<DocumentGraphics> &docs;
    qint32 &itemCount;
    double &carryWidth;
    bool &carryOver;
    OutlineEntry addEntry;
    MvTextFitter fitter;
    // Documents whose outline entry is made, and whether the first pending one is among them.
    int documentsStarted = 0;
    bool firstDocumentStarted = false;
    bool keepTogether = false;
    // Documents placed whole on earlier pages, for the ordinal of a continuation label.
    int documentsDone = 0;
    // The number headers and continuation labels among the pending items (not lines).
    QSet<const QGraphicsItem *> labels;
};

#endif // MVDOCUMENTFLOW_H
