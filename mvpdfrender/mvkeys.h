#ifndef MVKEYS_H
#define MVKEYS_H

// The integer keys of the library, by name: the page composer's text formats and pens
// (AsyncReportsHelper::formats and ::pens), the layout hints a host stores on the graphics
// items of a document (QGraphicsItem::setData()) and the attributes of a document
// (DocumentGraphics::attributes). The values are those the library reads; they never change.
namespace MvKeys {

enum Format : int {
    TitleFormat = 0,          // header title
    SubtitleFormat = 1,       // header second line
    PrintoutFormat = 2,       // printout lines of both reports
    HeaderRightFormat = 3,    // header right-hand text: the dated line
    FooterFormat = 4,         // footer page label
    DocumentLabelFormat = 5,  // the number header of a document
};

enum Pen : int {
    RulePen = 0,              // header and footer rules
    ColumnSeparatorPen = 1,   // lines between columns
    DocumentSeparatorPen = 2, // rules between documents
};

enum ItemData : int {
    SpacedKey = 2,            // the item sits 0.2 of its height lower, in a slot of 1.4 (not
                              // for plain text items, whose slot stays)
    TightKey = 3,             // with SpacedKey: a slot of 1.21 instead of 1.4
    FullHeightKey = 4,        // a text item is measured at its full height, not 0.8 of it
    CentredKey = 5,           // centred in its document's block (number headers carry it)
    HeightFactorKey = 8,      // a number that replaces 0.8 for a text item
};

enum DocumentAttribute : int {
    NumberAttribute = 0,      // the document's number: a "Dokument nr N" header
    TitleAttribute = 1,       // the title of the document's outline entry (as a string)
};

} // namespace MvKeys

#endif // MVKEYS_H
