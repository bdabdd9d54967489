#ifndef MVKEYS_H
#define MVKEYS_H

/**
 * \brief The integer keys of the library, by name.
 *
 * The page composer's text formats and pens (AsyncReportsHelper::formats and
 * AsyncReportsHelper::pens), the layout hints a host stores on the graphics items of a
 * document (QGraphicsItem::setData()) and the attributes of a document
 * (DocumentGraphics::attributes). The values are those the library reads; they never change.
 * \since 1.1
 */
namespace MvKeys {

/** Keys of AsyncReportsHelper::formats. */
enum Format : int {
    TitleFormat = 0,          ///< The header title.
    SubtitleFormat = 1,       ///< The header's second line.
    PrintoutFormat = 2,       ///< Printout lines of both reports.
    HeaderRightFormat = 3,    ///< The header's right-hand text: the dated line.
    FooterFormat = 4,         ///< The footer's page label.
    DocumentLabelFormat = 5,  ///< The number header of a document.
};

/** Keys of AsyncReportsHelper::pens. */
enum Pen : int {
    RulePen = 0,              ///< The header and footer rules.
    ColumnSeparatorPen = 1,   ///< The lines between columns.
    DocumentSeparatorPen = 2, ///< The rules between documents.
};

/** Keys of the layout hints on a document's items, set with QGraphicsItem::setData(). */
enum ItemData : int {
    SpacedKey = 2,            ///< The item sits 0.2 of its height lower, in a slot of 1.4 (not
                              ///< for plain text items, whose slot stays).
    TightKey = 3,             ///< With SpacedKey: a slot of 1.21 instead of 1.4.
    FullHeightKey = 4,        ///< A text item is measured at its full height, not 0.8 of it.
    CentredKey = 5,           ///< Centred in its document's block (number headers carry it).
    HeightFactorKey = 8,      ///< A number that replaces 0.8 for a text item.
};

/** Keys of DocumentGraphics::attributes. */
enum DocumentAttribute : int {
    NumberAttribute = 0,      ///< The document's number: a "Dokument nr N" header.
    TitleAttribute = 1,       ///< The title of the document's outline entry (as a string).
};

} // namespace MvKeys

#endif // MVKEYS_H
