#include "mvtextitem.h"

#include "mvpagepainter.h"
#include "mvpdffont.h"
#include "mvtextlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGraphicsItem>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

MvTextItem::MvTextItem()
{
    QTextDocument *textDocument = document();
    MvTextLayout::prepare(textDocument);
    // The composer never edits its texts: an undo history would only cost every fill an undo
    // command, and grow with every reuse. (Items handed to a caller record edits again.)
    textDocument->setUndoRedoEnabled(false);
}

void MvTextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    const bool plain = textInteractionFlags() == Qt::NoTextInteraction
            && !(option && (option->state & (QStyle::State_Selected | QStyle::State_HasFocus)));
    if (!plain) {
        QGraphicsTextItem::paint(painter, option, widget);
        return;
    }
    // The same drawing as the generic paint: the item's text colour, no selection, no cursor;
    // the clip it sets is the item's own bounds, which its text never leaves.
    QTextDocument *textDocument = document();
    if (!recyclable) {
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, defaultTextColor());
        textDocument->documentLayout()->draw(painter, context);
        return;
    }
    // A page line's document holds nothing but the plain blocks fill() made: each is drawn by
    // its own laid-out lines, as the document's layout draws them, without walking its frames.
    const auto linesOf = [textDocument](const QTextBlock &block) {
        QTextLayout *layout = block.layout();
        // A long text is laid out by steps: the rest of it is laid out now.
        if (layout->lineCount() == 0)
            textDocument->documentLayout()->documentSize();
        return layout;
    };
    const QColor textColour = defaultTextColor();
    const QTransform *view = paintsInSceneCoordinates()
            ? MvPagePainter::PageViewScope::viewFor(painter) : nullptr;
    if (view) {
        // The page's transform and the text colour, set once for a run of lines (the page
        // painter restores the painter when the page is done): the PDF then writes no
        // graphics state of their own.
        if (painter->worldTransform() != *view)
            painter->setWorldTransform(*view);
        painter->setPen(textColour);
        const QPointF origin = scenePos();
        for (QTextBlock block = textDocument->begin(); block.isValid(); block = block.next())
            linesOf(block)->draw(painter, origin);
        return;
    }
    const QPen itemPen = painter->pen();
    for (QTextBlock block = textDocument->begin(); block.isValid(); block = block.next()) {
        painter->setPen(textColour);
        linesOf(block)->draw(painter, QPointF());
        painter->setPen(itemPen);
    }
}

bool MvTextItem::paintsInSceneCoordinates() const
{
    return recyclable && !parentItem() && !graphicsEffect()
            && sceneTransform().type() <= QTransform::TxTranslate;
}

void MvTextItem::fill(const QString &newText, const QTextCharFormat &newFormat)
{
    text = newText;
    format = newFormat;
    cutFrom = 0;
    // A font of its own where a PDF's readers would not find its words otherwise.
    const QTextCharFormat shown = MvPdfFont::forPdf(newFormat, newText);
    QTextDocument *textDocument = document();
    QTextCursor cursor(textDocument);
    // One edit block: the document is laid out once, when it is complete.
    cursor.beginEditBlock();
    if (textDocument->blockCount() == 1 && cursor.blockCharFormat() == shown
        && cursor.blockFormat() == lineFormat) {
        // A reused item whose one block still has the formats a fill in this format gave it
        // keeps them: only its text is replaced.
        cursor.select(QTextCursor::Document);
        cursor.insertText(newText, shown);
    } else {
        if (!textDocument->isEmpty()) {
            cursor.select(QTextCursor::Document);
            cursor.removeSelectedText();
        }
        // The block's own format too: an empty text must measure as tall as a line in this
        // format, not as a line in the application's default font. Both formats are made
        // whole, as a new document's block has them, whatever the block held before.
        cursor.setBlockCharFormat(shown);
        cursor.setBlockFormat(MvTextLayout::blockFormat(QTextBlockFormat(), shown,
                                                        MvTextLayout::LineHeightPercent));
        lineFormat = cursor.blockFormat();
        cursor.insertText(newText, shown);
    }
    // Keep the shaped glyphs of the layout: painting the page then draws them instead of
    // shaping every line a second time.
    for (QTextBlock block = textDocument->begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
    cursor.endEditBlock();
}
