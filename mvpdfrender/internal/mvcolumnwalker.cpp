#include "mvcolumnwalker.h"

MvColumnWalker::MvColumnWalker(int columns, double contentHeight, double gap)
    : columns(columns), contentHeight(contentHeight), gap(gap)
{
}

bool MvColumnWalker::nextColumn()
{
    if (isLastColumn())
        return false;
    ++current;
    height = 0.0;
    return true;
}

MvColumnWalker::Gap MvColumnWalker::endDocument(double *ruleAt)
{
    if (!fits(gap))
        return nextColumn() ? Gap::NextColumn : Gap::PageFull;
    height += gap;
    *ruleAt = height;
    height += gap;
    return Gap::Rule;
}
