#ifndef MVCOLUMNWALKER_H
#define MVCOLUMNWALKER_H

// Walks down the columns of a page as documents are laid out: the column being filled, the
// height used in it, and the rule between two documents (a gap, the rule, a gap). The column
// count estimate and the placement walk with it, so that both follow the same flow.
class MvColumnWalker
{
public:
    // What follows a document: a rule below it in its column, the next column, or the page's
    // end.
    enum class Gap { Rule, NextColumn, PageFull };

    MvColumnWalker(int columns, double contentHeight, double gap);

    int column() const { return current; }
    double used() const { return height; }
    bool isLastColumn() const { return current == columns - 1; }
    // Whether a slot of this height fits below what the column holds.
    bool fits(double slot) const { return height + slot <= contentHeight; }
    void take(double slot) { height += slot; }
    // Moves on to the top of the next column; false on the page's last column.
    bool nextColumn();
    // Ends a document: Rule (ruleAt set to the rule's height below the content's top, used()
    // below the gap under it), or NextColumn, or PageFull on the last column.
    Gap endDocument(double *ruleAt);

private:
    int columns;
    double contentHeight;
    double gap;
    int current = 0;
    double height = 0.0;
};

#endif // MVCOLUMNWALKER_H
