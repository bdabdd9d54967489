#include "asyncreportshelper.h"

#include "mvdebugcolorizereffect.h"
#include "mvkeys.h"
#include "mvlayout.h"
#include "mvpagepainter.h"
#include "mvpdffont.h"
#include "mvreporttexts.h"
#include "mvtextfitter.h"
#include "mvtextitem.h"
#include "mvtextlayout.h"
#include "mvtextitempool.h"

#include <QFont>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kDefaultPpi = 120;
constexpr int kDefaultColumnCount = 3;
// The lower limit of the content area before a scene exists, so that contentHeight() is 1.
constexpr double kInitialContentBottom = 1.0;
// The header's second line overlaps the title's item by 15 % of the title's height.
constexpr double kSubtitleOverlap = 0.15;
constexpr double kHeaderGapMm = 0.7;
// At least this much space between the title and the dated line on their line.
constexpr double kHeaderTextGapMm = 2.0;
constexpr double kFooterGapMm = 0.5;
const QColor kDocumentRuleColor(180, 180, 180, 255);

QTextCharFormat fontFormat(const QString &family, qreal pointSize)
{
    QTextCharFormat format;
    // Hosts read the family back with fontFamily(), which only this setter fills; Qt 6
    // deprecates both in favour of the families list but keeps them.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    format.setFontFamily(family);
    QT_WARNING_POP
    format.setFontPointSize(pointSize);
    return format;
}

QTextCharFormat fontFormat(const QString &family, qreal pointSize, int weight)
{
    QTextCharFormat format = fontFormat(family, pointSize);
    format.setFontWeight(weight);
    return format;
}

QPen linePen(const QColor &color, qreal width)
{
    QPen pen(color);
    pen.setWidthF(width);
    return pen;
}

double itemHeight(const QGraphicsItem *item)
{
    return item->scale() * item->boundingRect().height();
}

double itemWidth(const QGraphicsItem *item)
{
    return item->scale() * item->boundingRect().width();
}

// A text item of text, or, when that is wider than maxWidth, of as much of its first line as
// fits with an ellipsis after it.
QGraphicsItem *fittedTextItem(AsyncReportsHelper &helper, const QString &text, const QTextCharFormat &format,
                              double maxWidth)
{
    QGraphicsItem *item = helper.createTextItemWithFormat(text, format);
    if (itemWidth(item) <= maxWidth)
        return item;
    delete item;
    const QString ellipsis(QChar(0x2026));
    const std::unique_ptr<QGraphicsItem> mark(helper.createTextItemWithFormat(ellipsis, format));
    int next = 0;
    const std::unique_ptr<QGraphicsItem> piece(MvTextFitter(helper).takePiece(
            text, 0, format, maxWidth - itemWidth(mark.get()), false, &next));
    return helper.createTextItemWithFormat(static_cast<MvTextItem *>(piece.get())->text + ellipsis, format);
}

} // namespace

using namespace MvKeys;

// The composer's own state beside its specified fields: the scene's owner and the text items
// of flushed pages, waiting for reuse; both shared with copies.
struct Q_DECL_HIDDEN AsyncReportsHelper::Private
{
    // Takes the page's items off the scene and deletes them, or keeps those the pool takes.
    void flushPage(AsyncReportsHelper &helper, bool keepPageText);
    // A text item holding text in format: a kept one if the pool has one, else a new one.
    MvTextItem *textItem(const QString &text, const QTextCharFormat &format);

    std::shared_ptr<QGraphicsScene> sceneOwner;
    std::shared_ptr<MvTextItemPool> textItemPool = std::make_shared<MvTextItemPool>();
};

AsyncReportsHelper::AsyncReportsHelper()
    : columnCount(kDefaultColumnCount),
      scene(nullptr),
      ppi(kDefaultPpi),
      contentTop(0.0),
      contentBottom(kInitialContentBottom),
      footerItem(nullptr),
      debugColorizeEnabled(false),
      d(new Private)
{
    const QString openSans = QStringLiteral("Open Sans");
    formats[TitleFormat] = fontFormat(openSans, 10, QFont::DemiBold);
    formats[SubtitleFormat] = fontFormat(openSans, 9);
    formats[PrintoutFormat] = fontFormat(QStringLiteral("Liberation Mono"), 5);
    formats[HeaderRightFormat] = fontFormat(openSans, 8, QFont::Normal);
    formats[FooterFormat] = fontFormat(openSans, 7, QFont::Normal);

    QTextCharFormat label = fontFormat(openSans, 6, QFont::Normal);
    label.setUnderlineStyle(QTextCharFormat::DotLine);
    label.setUnderlineColor(kDocumentRuleColor);
    label.setFontLetterSpacingType(QFont::PercentageSpacing);
    label.setFontLetterSpacing(130);
    formats[DocumentLabelFormat] = label;

    pens[RulePen] = linePen(Qt::gray, 1);
    pens[ColumnSeparatorPen] = linePen(Qt::lightGray, 0);
    pens[DocumentSeparatorPen] = linePen(kDocumentRuleColor, 0);
}

AsyncReportsHelper::~AsyncReportsHelper() = default;

AsyncReportsHelper::AsyncReportsHelper(const AsyncReportsHelper &other)
    : columnCount(other.columnCount), formats(other.formats), pens(other.pens), scene(other.scene),
      sceneRect(other.sceneRect), ppi(other.ppi), contentTop(other.contentTop),
      contentBottom(other.contentBottom), pageItems(other.pageItems), columnItems(other.columnItems),
      footerItem(other.footerItem), debugColorizeEnabled(other.debugColorizeEnabled),
      d(new Private(*other.d))
{
}

AsyncReportsHelper &AsyncReportsHelper::operator=(const AsyncReportsHelper &other)
{
    if (this == &other)
        return *this;
    columnCount = other.columnCount;
    formats = other.formats;
    pens = other.pens;
    scene = other.scene;
    sceneRect = other.sceneRect;
    ppi = other.ppi;
    contentTop = other.contentTop;
    contentBottom = other.contentBottom;
    pageItems = other.pageItems;
    columnItems = other.columnItems;
    footerItem = other.footerItem;
    debugColorizeEnabled = other.debugColorizeEnabled;
    *d = *other.d;
    return *this;
}

void AsyncReportsHelper::setPpi(int ppi)
{
    this->ppi = ppi;
}

double AsyncReportsHelper::MMTOPT(double mm) const
{
    return double(ppi) * mm / kMmPerInch;
}

void AsyncReportsHelper::createScene(const QRect &rect)
{
    if (scene) {
        // Page items and the footer belong to the scene being replaced.
        flushPageItems();
        footerItem = nullptr;
    }
    auto *newScene = new QGraphicsScene;
    // Every content item leaves the scene after one page: a BSP index would only cost time.
    newScene->setItemIndexMethod(QGraphicsScene::NoIndex);
    d->sceneOwner.reset(newScene);
    scene = newScene;
    scene->setSceneRect(QRectF(rect));
    sceneRect = rect;
    contentTop = 0.0;
    contentBottom = scene->height();
}

double AsyncReportsHelper::width() const
{
    return scene->width();
}

double AsyncReportsHelper::contentHeight() const
{
    return contentBottom - contentTop;
}

double AsyncReportsHelper::top() const
{
    return contentBottom;
}

void AsyncReportsHelper::setColumnCount(int count)
{
    columnCount = count;
}

int AsyncReportsHelper::getColumnCount() const
{
    return columnCount;
}

double AsyncReportsHelper::columnOffset(int columnIndex) const
{
    return double(columnIndex) * width() / double(columnCount);
}

void AsyncReportsHelper::appendToColumn(QGraphicsItem *item)
{
    columnItems.append(item);
    appendToPage(item);
}

void AsyncReportsHelper::appendToPage(QGraphicsItem *item)
{
    pageItems.append(item);
    scene->addItem(item);
}

void AsyncReportsHelper::centerColumn()
{
    centerPart(columnItems, 0.0);
}

void AsyncReportsHelper::centerPart(QList<QGraphicsItem *> &partItems, double blockWidth)
{
    if (blockWidth <= 0.0) {
        for (const QGraphicsItem *item : qAsConst(partItems))
            blockWidth = qMax(blockWidth, itemWidth(item));
    }
    const double dx = (scene->width() / double(columnCount) - blockWidth) * 0.5;
    for (QGraphicsItem *item : qAsConst(partItems))
        item->moveBy(dx, 0.0);
}

void AsyncReportsHelper::flushColumn()
{
    columnItems.clear();
}

void AsyncReportsHelper::columnSeparators()
{
    if (columnCount <= 1)
        return;
    for (int i = 1; i < columnCount; ++i) {
        const double x = double(i) * scene->width() / double(columnCount);
        auto *line = new QGraphicsLineItem;
        line->setPen(pens[ColumnSeparatorPen]);
        line->setLine(x, contentTop, x, contentBottom);
        appendToPage(line);
    }
}

void AsyncReportsHelper::flushPageItems()
{
    d->flushPage(*this, false);
}

void AsyncReportsHelper::flushPageItemsForReuse()
{
    d->flushPage(*this, true);
}

void AsyncReportsHelper::Private::flushPage(AsyncReportsHelper &helper, bool keepPageText)
{
    for (QGraphicsItem *item : qAsConst(helper.pageItems)) {
        if (helper.scene && item->scene() == helper.scene)
            helper.scene->removeItem(item);
        auto *text = keepPageText && item->type() == QGraphicsTextItem::Type
                ? dynamic_cast<MvTextItem *>(item) : nullptr;
        if (text && text->recyclable)
            textItemPool->keep(text);
        else
            delete item;
    }
    helper.pageItems.clear();
    helper.columnItems.clear();
}

void AsyncReportsHelper::render(QPainter *painter, QRect target)
{
    if (debugColorizeEnabled) {
        debugColorize();
        scene->render(painter, QRectF(target), QRectF(sceneRect), Qt::KeepAspectRatio);
        return;
    }
    if (MvPagePainter::paint(*scene, QRectF(sceneRect), painter, QRectF(target)))
        return;
    // The scene paints the page; its lines stand where the page painter puts them.
    const MvPagePainter::PageViewScope scope(
            painter, MvPagePainter::pageView(QRectF(sceneRect), painter, QRectF(target)));
    scene->render(painter, QRectF(target), QRectF(sceneRect), Qt::KeepAspectRatio);
}

void AsyncReportsHelper::setDebugColorize(bool on)
{
    debugColorizeEnabled = on;
}

bool AsyncReportsHelper::getDebugColorize() const
{
    return debugColorizeEnabled;
}

void AsyncReportsHelper::debugColorize()
{
    for (QGraphicsItem *item : qAsConst(pageItems)) {
        if (!scene || item->scene() != scene)
            continue;
        auto *effect = new MvDebugColorizerEffect(nullptr);
        effect->setEnabled(true);
        item->setGraphicsEffect(effect);
        effect->setItem(item);
    }
}

QGraphicsItem *AsyncReportsHelper::createPageTextItem(const QString &text,
                                                      const QTextCharFormat &format)
{
    MvTextItem *item = d->textItem(text, format);
    item->recyclable = true;
    return item;
}

QGraphicsItem *AsyncReportsHelper::createTextItemWithFormat(const QString &text,
                                                            const QTextCharFormat &format)
{
    MvTextItem *item = d->textItem(text, format);
    // The caller's own item: its document records edits, as any text document does.
    item->document()->setUndoRedoEnabled(true);
    return item;
}

MvTextItem *AsyncReportsHelper::Private::textItem(const QString &text, const QTextCharFormat &format)
{
    bool filled = false;
    MvTextItem *item = textItemPool->take(text, format, &filled);
    if (filled)
        return item;
    if (!item)
        item = new MvTextItem;
    item->fill(text, format);
    return item;
}

QPaintDevice *AsyncReportsHelper::textLayoutDevice()
{
    return MvTextLayout::device();
}

double AsyncReportsHelper::emitTextList(double y, int columnIndex, const QStringList &lines,
                                        const QTextCharFormat &format)
{
    for (const QString &line : lines) {
        QGraphicsItem *item = createPageTextItem(line, format);
        item->moveBy(double(columnIndex) * scene->width() / double(columnCount), y + contentTop);
        y += MvLayout::LinePitch * itemHeight(item);
        appendToColumn(item);
    }
    return y;
}

void AsyncReportsHelper::createHeader(const QString &titleText, const QString &subtitleText,
                                      const QString &rightText)
{
    // Each text fits its place: the dated line the page's width, the title what the dated line
    // leaves of their line, the subtitle the page's width.
    QGraphicsItem *right = fittedTextItem(*this, rightText, formats[HeaderRightFormat], scene->width());
    const double titleRoom = scene->width() - itemWidth(right) - MMTOPT(kHeaderTextGapMm);
    QGraphicsItem *title = fittedTextItem(*this, titleText, formats[TitleFormat], titleRoom);
    scene->addItem(title);
    const double titleHeight = itemHeight(title);
    contentTop += titleHeight;

    right->moveBy(scene->width() - itemWidth(right), 0.0);
    scene->addItem(right);

    if (!subtitleText.trimmed().isEmpty()) {
        contentTop -= kSubtitleOverlap * titleHeight;
        QGraphicsItem *subtitle = fittedTextItem(*this, subtitleText, formats[SubtitleFormat], scene->width());
        subtitle->moveBy(0.0, contentTop);
        contentTop += itemHeight(subtitle);
        scene->addItem(subtitle);
    }

    auto *rule = new QGraphicsLineItem;
    rule->setPen(pens[RulePen]);
    rule->setLine(0.0, contentTop, scene->width(), contentTop);
    scene->addItem(rule);

    contentTop += double(ppi) * kHeaderGapMm / kMmPerInch;
}

void AsyncReportsHelper::createFooter()
{
    QGraphicsItem *label = createTextItemWithFormat(MvReportTexts::pageFooter(1), formats[FooterFormat]);
    const QRectF bounds = label->boundingRect();
    contentBottom -= bounds.height();
    label->moveBy((scene->width() - bounds.width()) * 0.5, contentBottom);
    scene->addItem(label);
    footerItem = label;

    contentBottom -= double(ppi) * kFooterGapMm / kMmPerInch;
    auto *rule = new QGraphicsLineItem;
    rule->setPen(pens[RulePen]);
    rule->setLine(0.0, contentBottom, scene->width(), contentBottom);
    scene->addItem(rule);
    contentBottom -= double(ppi) * kFooterGapMm / kMmPerInch;
}

void AsyncReportsHelper::setPageNum(int page)
{
    if (!footerItem || footerItem->type() != QGraphicsTextItem::Type)
        return;
    auto *label = static_cast<QGraphicsTextItem *>(footerItem);
    // In the font its own items take (a host may have changed the format since).
    const QString text = MvReportTexts::pageFooter(page);
    const QTextCharFormat format = MvPdfFont::forPdf(formats[FooterFormat], text);

    QTextCursor cursor(label->document());
    cursor.setCharFormat(format);
    cursor.setBlockFormat(MvTextLayout::blockFormat(cursor.blockFormat(), format,
                                                    MvTextLayout::LineHeightPercent));

    cursor.beginEditBlock();
    cursor.setPosition(0);
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setCharFormat(format);
    cursor.insertText(text);
    cursor.endEditBlock();
}
