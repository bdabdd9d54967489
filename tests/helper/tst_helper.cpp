#include "mvkeys.h"
#include "asyncreportshelper.h"
#include "mvdebugcolorizereffect.h"
#include "pdfprobe.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QPointer>
#include <QScopeGuard>
#include <QScopedPointer>
#include <QTextDocument>
#include <QtTest>

namespace {

// A rectangle item that reports its own destruction.
class TrackedItem : public QGraphicsRectItem
{
public:
    TrackedItem(double width, double height, int *destroyed)
        : QGraphicsRectItem(0, 0, width, height), destroyed(destroyed) { setPen(Qt::NoPen); }
    ~TrackedItem() override { ++*destroyed; }

private:
    int *destroyed;
};

double itemHeight(QGraphicsItem *item)
{
    return item->scale() * item->boundingRect().height();
}

QString itemText(QGraphicsItem *item)
{
    return static_cast<QGraphicsTextItem *>(item)->toPlainText();
}

} // namespace

class tst_Helper : public QObject
{
    Q_OBJECT

private slots:
    void columnGeometry_data();
    void columnGeometry();
    void centring_data();
    void centring();
    void flushDeletesPageItemsOnly_data();
    void flushDeletesPageItemsOnly();
    void headerArithmetic_data();
    void headerArithmetic();
    void footerArithmeticAndPageLabel();
    void emptyTextMeasuresLikeASpace();
    void itemsMeasureAlikeOnEveryScreen_data();
    void itemsMeasureAlikeOnEveryScreen();
    void spacedTextKeepsItsSpacing_data();
    void spacedTextKeepsItsSpacing();
    void emitTextListStacksLines();
    void debugOutlineOnlyOnPageItems_data();
    void debugOutlineOnlyOnPageItems();
    void reusedPageItemsAreLikeNew_data();
    void reusedPageItemsAreLikeNew();
    void textItemsPaintInTheirColour();
};

void tst_Helper::columnGeometry_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QList<double>>("separators");

    QTest::newRow("one column: no separator") << 1 << 0 << 0.0 << QList<double>{};
    QTest::newRow("three columns of 300") << 3 << 1 << 300.0 << QList<double>{300.0, 600.0};
    QTest::newRow("two columns of 450") << 2 << 1 << 450.0 << QList<double>{450.0};
}

void tst_Helper::columnGeometry()
{
    QFETCH(int, columns);
    QFETCH(int, index);
    QFETCH(double, offset);
    QFETCH(QList<double>, separators);

    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 800));
    helper.contentTop = 40.0;
    helper.contentBottom = 700.0;
    helper.setColumnCount(columns);
    QCOMPARE(helper.columnOffset(index), offset);

    helper.columnSeparators();
    QCOMPARE(helper.pageItems.size(), separators.size());
    QVERIFY(helper.columnItems.isEmpty());
    for (int i = 0; i < separators.size(); ++i) {
        auto *line = qgraphicsitem_cast<QGraphicsLineItem *>(helper.pageItems.at(i));
        QVERIFY(line);
        QCOMPARE(line->scene(), helper.scene);
        QCOMPARE(line->line(), QLineF(separators.at(i), 40.0, separators.at(i), 700.0));
        QCOMPARE(line->pen(), helper.pens.value(MvKeys::ColumnSeparatorPen));
    }
}

void tst_Helper::centring_data()
{
    QTest::addColumn<QList<double>>("widths");
    QTest::addColumn<double>("blockWidth");
    QTest::addColumn<double>("shift");

    QTest::newRow("empty list, width 0: no shift") << QList<double>{} << 0.0 << 0.0;
    QTest::newRow("given width 100 centred in 300") << QList<double>{50.0, 10.0} << 100.0 << 100.0;
    QTest::newRow("measured: widest item 200") << QList<double>{120.0, 200.0, 80.0} << 0.0 << 50.0;
    QTest::newRow("negative width measures") << QList<double>{100.0} << -5.0 << 100.0;
    QTest::newRow("block wider than a column") << QList<double>{400.0} << 0.0 << -50.0;
}

void tst_Helper::centring()
{
    QFETCH(QList<double>, widths);
    QFETCH(double, blockWidth);
    QFETCH(double, shift);

    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 800));
    int destroyed = 0;
    QList<QGraphicsItem *> part;
    for (double width : widths) {
        auto *item = new TrackedItem(width, 10, &destroyed);
        item->setPos(5.0, 7.0);
        helper.appendToColumn(item);
        part.append(item);
    }
    if (blockWidth == 0.0)
        helper.centerColumn();
    else
        helper.centerPart(part, blockWidth);
    for (QGraphicsItem *item : part)
        QCOMPARE(item->pos(), QPointF(5.0 + shift, 7.0));
}

void tst_Helper::flushDeletesPageItemsOnly_data()
{
    QTest::addColumn<bool>("forReuse");
    QTest::newRow("flushPageItems deletes every page item") << false;
    QTest::newRow("flushPageItemsForReuse keeps its own page lines") << true;
}

void tst_Helper::flushDeletesPageItemsOnly()
{
    QFETCH(bool, forReuse);
    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 800));
    helper.createHeader(QStringLiteral("Tytuł"), QStringLiteral("Podtytuł"),
                        QStringLiteral("Kraków, dnia 1 stycznia 2026 roku"));
    helper.createFooter();
    const int bandItems = helper.scene->items().size();
    QCOMPARE(bandItems, 6);   // title, right text, subtitle, rule, footer label, footer rule

    int destroyed = 0;
    helper.appendToColumn(new TrackedItem(10, 10, &destroyed));
    helper.appendToColumn(new TrackedItem(10, 10, &destroyed));
    helper.flushColumn();
    QVERIFY(helper.columnItems.isEmpty());
    QCOMPARE(helper.pageItems.size(), 2);
    helper.appendToPage(new TrackedItem(10, 10, &destroyed));
    helper.columnSeparators();
    // A text item of the host's own, and a line of the composer's.
    QPointer<QGraphicsTextItem> hostText = static_cast<QGraphicsTextItem *>(
            helper.createTextItemWithFormat(QStringLiteral("od gospodarza"), helper.formats[MvKeys::PrintoutFormat]));
    helper.appendToColumn(hostText);
    helper.emitTextList(0.0, 0, QStringList{QStringLiteral("nagłówek")}, helper.formats[MvKeys::PrintoutFormat]);
    QPointer<QGraphicsTextItem> heading = static_cast<QGraphicsTextItem *>(helper.pageItems.last());
    QCOMPARE(helper.scene->items().size(), bandItems + 7);

    if (forReuse)
        helper.flushPageItemsForReuse();
    else
        helper.flushPageItems();
    QCOMPARE(destroyed, 3);
    QVERIFY(hostText.isNull());
    QCOMPARE(heading.isNull(), !forReuse);
    QVERIFY(helper.pageItems.isEmpty());
    QVERIFY(helper.columnItems.isEmpty());
    QCOMPARE(helper.scene->items().size(), bandItems);
    QVERIFY(helper.scene->items().contains(helper.footerItem));

    helper.flushPageItems();
    QCOMPARE(destroyed, 3);
}

void tst_Helper::headerArithmetic_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("subtitle");
    QTest::addColumn<bool>("secondLine");

    const QString title = QStringLiteral("Raport dzienny");
    QTest::newRow("subtitle") << title << "Kasa nr 2" << true;
    QTest::newRow("blank subtitle adds no line") << title << "   " << false;
    QTest::newRow("empty subtitle") << title << "" << false;
    // Cut with an ellipsis: the title before the right-hand text, the subtitle at the edge.
    QTest::newRow("title and subtitle too long") << QStringLiteral("Zestawienie ").repeated(12)
                                                 << QStringLiteral("Kasa ").repeated(60) << true;
}

void tst_Helper::headerArithmetic()
{
    QFETCH(QString, title);
    QFETCH(QString, subtitle);
    QFETCH(bool, secondLine);

    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 1300));
    helper.createHeader(title, subtitle, QStringLiteral("Prawo"));

    QList<QGraphicsTextItem *> texts;
    QGraphicsLineItem *rule = nullptr;
    for (QGraphicsItem *item : helper.scene->items(Qt::AscendingOrder)) {
        if (auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item))
            texts.append(text);
        else
            rule = qgraphicsitem_cast<QGraphicsLineItem *>(item);
    }
    QVERIFY(rule);
    QCOMPARE(texts.size(), secondLine ? 3 : 2);
    QGraphicsTextItem *titleItem = texts.at(0);
    QGraphicsTextItem *right = texts.at(1);
    const double titleHeight = itemHeight(titleItem);
    QCOMPARE(titleItem->pos(), QPointF(0, 0));
    QCOMPARE(right->pos(), QPointF(900.0 - right->boundingRect().width(), 0.0));
    for (QGraphicsTextItem *text : {titleItem, texts.value(2, titleItem)}) {
        const QString shown = text->toPlainText();
        const QString given = text == titleItem ? title : subtitle;
        QVERIFY(shown == given || (shown.endsWith(QChar(0x2026)) && given.startsWith(shown.chopped(1))));
    }
    QVERIFY(titleItem->boundingRect().width() <= right->pos().x());
    QVERIFY(texts.value(2, titleItem)->boundingRect().width() <= 900.0);

    double ruleY = titleHeight;
    if (secondLine) {
        const double subtitleTop = titleHeight - 0.15 * titleHeight;
        QCOMPARE(texts.at(2)->pos(), QPointF(0.0, subtitleTop));
        ruleY = subtitleTop + itemHeight(texts.at(2));
    }
    QCOMPARE(rule->line(), QLineF(0.0, ruleY, 900.0, ruleY));
    QCOMPARE(rule->pen(), helper.pens.value(MvKeys::RulePen));
    QVERIFY(qAbs(helper.contentTop - (ruleY + 3.3071)) < 1e-3);
    QVERIFY(helper.pageItems.isEmpty());
}

void tst_Helper::footerArithmeticAndPageLabel()
{
    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 1300));
    QCOMPARE(helper.top(), 1300.0);
    QCOMPARE(helper.contentHeight(), 1300.0);
    helper.createFooter();

    QGraphicsItem *label = helper.footerItem;
    QVERIFY(label);
    QCOMPARE(itemText(label), QStringLiteral("- Strona 1 -"));
    const QRectF bounds = label->boundingRect();
    const QPointF labelPos((900.0 - bounds.width()) * 0.5, 1300.0 - bounds.height());
    QCOMPARE(label->pos(), labelPos);
    QVERIFY(qAbs(helper.contentBottom - (1300.0 - bounds.height() - 4.7244)) < 1e-3);
    QVERIFY(!helper.pageItems.contains(label));

    helper.setPageNum(12);
    QCOMPARE(itemText(label), QStringLiteral("- Strona 12 -"));
    QCOMPARE(label->pos(), labelPos);
    helper.setPageNum(0);
    QCOMPARE(itemText(label), QStringLiteral("- Strona 0 -"));
    const QTextCharFormat format = QTextCursor(static_cast<QGraphicsTextItem *>(label)->document())
            .charFormat();
    QCOMPARE(format.fontPointSize(), 7.0);
}

void tst_Helper::emptyTextMeasuresLikeASpace()
{
    // A larger application font must not leak into empty lines.
    const QFont original = QGuiApplication::font();
    QFont big = original;
    big.setPointSize(20);
    QGuiApplication::setFont(big);
    const auto restore = qScopeGuard([&]() { QGuiApplication::setFont(original); });

    AsyncReportsHelper helper;
    for (int key : {MvKeys::TitleFormat, MvKeys::PrintoutFormat, MvKeys::DocumentLabelFormat}) {
        QScopedPointer<QGraphicsItem> empty(helper.createTextItemWithFormat(QString(),
                                                                            helper.formats[key]));
        QScopedPointer<QGraphicsItem> space(helper.createTextItemWithFormat(QStringLiteral(" "),
                                                                            helper.formats[key]));
        QCOMPARE(empty->boundingRect().height(), space->boundingRect().height());
    }
}

// The pages of a report depend neither on the host's screen nor on the Qt the library is built
// with: both suites (Qt 5 and Qt 6) expect these sizes, the formats' fonts laid out at 100 dpi
// with whole-pixel line heights, under a screen of 96 dpi and under the test platform's own.
void tst_Helper::itemsMeasureAlikeOnEveryScreen_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSizeF>("size");
    const QString line = QStringLiteral("Paragon nr 12: żółć");
    // A tab, and three lines: each line advances by the same whole-pixel height.
    const QString lines = QStringLiteral("a\tb\nżółć\n");
    QTest::newRow("title") << int(MvKeys::TitleFormat) << line << QSizeF(135.65625, 26.0);
    QTest::newRow("title, lines") << int(MvKeys::TitleFormat) << lines << QSizeF(96.71875, 62.0);
    QTest::newRow("subtitle") << int(MvKeys::SubtitleFormat) << line << QSizeF(123.390625, 24.1875);
    QTest::newRow("printout") << int(MvKeys::PrintoutFormat) << line << QSizeF(87.5625, 16.09375);
    QTest::newRow("printout, lines") << int(MvKeys::PrintoutFormat) << lines
                                     << QSizeF(92.1875, 32.28125);
    QTest::newRow("header right") << int(MvKeys::HeaderRightFormat) << line
                                  << QSizeF(105.625, 22.390625);
    QTest::newRow("footer") << int(MvKeys::FooterFormat) << line << QSizeF(96.71875, 20.59375);
    QTest::newRow("label, lines") << int(MvKeys::DocumentLabelFormat) << lines
                                  << QSizeF(94.375, 40.390625);
}

void tst_Helper::itemsMeasureAlikeOnEveryScreen()
{
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(QSizeF, size);
    const bool use96Dpi = QCoreApplication::testAttribute(Qt::AA_Use96Dpi);
    const auto restore = qScopeGuard([&]() {
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi, use96Dpi);
    });
    AsyncReportsHelper helper;
    for (bool screenOf96Dpi : {true, false}) {
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi, screenOf96Dpi);
        QScopedPointer<QGraphicsItem> item(helper.createTextItemWithFormat(text,
                                                                           helper.formats[format]));
        QCOMPARE(item->boundingRect().size(), size);
    }
}

void tst_Helper::spacedTextKeepsItsSpacing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spacing");
    QTest::newRow("label") << QStringLiteral("Dokument nr 118") << 130;
    QTest::newRow("wide label, Polish") << QStringLiteral("Żółć nr 7") << 200;
    QTest::newRow("letters of a fallback font") << QStringLiteral("Suma \u2192\u263A \u0645\u0631 12") << 130;
    QTest::newRow("narrower") << QStringLiteral("Dokument") << 60;
}

// However a spaced text is set, it is as much wider than the same text unspaced as Qt's own
// letter spacing makes it, fallback fonts' letters included.
void tst_Helper::spacedTextKeepsItsSpacing()
{
    QFETCH(QString, text);
    QFETCH(int, spacing);
    AsyncReportsHelper helper;
    QTextCharFormat spaced = helper.formats[MvKeys::DocumentLabelFormat];
    spaced.setFontLetterSpacing(spacing);
    QTextCharFormat plain = spaced;
    plain.setFontLetterSpacing(100);
    const auto itemWidth = [&helper, &text](const QTextCharFormat &format) {
        QScopedPointer<QGraphicsItem> item(helper.createTextItemWithFormat(text, format));
        return item->boundingRect().width();
    };
    // Qt's own spacing, laid out where the items are.
    const auto layoutWidth = [&text](const QTextCharFormat &format) {
        QTextDocument document;
        document.documentLayout()->setPaintDevice(AsyncReportsHelper::textLayoutDevice());
        QTextCursor(&document).insertText(text, format);
        return document.idealWidth();
    };
    const double expected = layoutWidth(spaced) - layoutWidth(plain);
    QVERIFY(qAbs(expected) > 2.0);
    QVERIFY2(qAbs(itemWidth(spaced) - itemWidth(plain) - expected) < 0.5,
             qPrintable(QStringLiteral("%1 against %2").arg(itemWidth(spaced) - itemWidth(plain)).arg(expected)));
}

void tst_Helper::emitTextListStacksLines()
{
    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 1300));
    helper.contentTop = 50.0;
    const QTextCharFormat format = helper.formats[MvKeys::PrintoutFormat];

    QCOMPARE(helper.emitTextList(12.5, 2, QStringList(), format), 12.5);
    QVERIFY(helper.pageItems.isEmpty());
    QVERIFY(helper.scene->items().isEmpty());

    QScopedPointer<QGraphicsItem> probe(helper.createTextItemWithFormat(QStringLiteral("x"), format));
    const double h = itemHeight(probe.data());
    const QStringList lines{QStringLiteral("pierwsza"), QStringLiteral("druga"),
                            QStringLiteral("trzecia")};
    const double end = helper.emitTextList(0.0, 2, lines, format);
    QVERIFY(qAbs(end - 3 * 0.8 * h) < 1e-9);
    QCOMPARE(helper.columnItems.size(), 3);
    QCOMPARE(helper.pageItems, helper.columnItems);
    for (int i = 0; i < 3; ++i) {
        QGraphicsItem *item = helper.columnItems.at(i);
        QCOMPARE(itemText(item), lines.at(i));
        QCOMPARE(item->scene(), helper.scene);
        QCOMPARE(item->pos().x(), 600.0);
        QVERIFY(qAbs(item->pos().y() - (50.0 + i * 0.8 * h)) < 1e-9);
    }
}

void tst_Helper::debugOutlineOnlyOnPageItems_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
}

void tst_Helper::debugOutlineOnlyOnPageItems()
{
    QFETCH(bool, enabled);

    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 1300));
    helper.createHeader(QStringLiteral("Tytuł"), QStringLiteral("Podtytuł"), QStringLiteral("P"));
    helper.createFooter();
    helper.setDebugColorize(enabled);
    QCOMPARE(helper.getDebugColorize(), enabled);
    int destroyed = 0;
    helper.appendToColumn(new TrackedItem(100, 20, &destroyed));
    helper.columnSeparators();

    QImage image(900, 1300, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    helper.render(&painter, image.rect());
    painter.end();

    for (QGraphicsItem *item : helper.scene->items()) {
        const bool pageItem = helper.pageItems.contains(item);
        QGraphicsEffect *effect = item->graphicsEffect();
        if (enabled && pageItem) {
            QVERIFY(effect);
            QCOMPARE(effect->metaObject()->className(), "MvDebugColorizerEffect");
            QVERIFY(effect->isEnabled());
        } else {
            QCOMPARE(effect, nullptr);
        }
    }
    // Each outlined item is labelled with its scale and size.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("outline.pdf"));
    {
        QPdfWriter writer(pdf);
        QPainter pdfPainter(&writer);
        helper.render(&pdfPainter, QRect(0, 0, writer.width(), writer.height()));
    }
    QCOMPARE(PdfProbe::pageTexts(pdf).value(0).contains(QStringLiteral("S:1, 100x20")), enabled);
}

void tst_Helper::reusedPageItemsAreLikeNew_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("formatKey");
    QTest::addColumn<QString>("hostEdit");   // what a host did to the page line's last block
    const int printout = MvKeys::PrintoutFormat;
    QTest::newRow("same line again") << "SUMA PLN 12,50" << "SUMA PLN 12,50" << printout << "";
    QTest::newRow("another line") << "pierwsza\ndruga" << "Żółć" << printout << "";
    QTest::newRow("another format") << "nagłówek" << "nagłówek" << int(MvKeys::DocumentLabelFormat) << "";
    QTest::newRow("empty after text") << "tekst" << "" << printout << "";
    QTest::newRow("line height changed by a host") << "pierwsza" << "druga" << printout << "line height";
    QTest::newRow("block format cleared by a host") << "pierwsza" << "druga" << printout << "cleared";
    QTest::newRow("last of two lines centred by a host") << "a\nb" << "druga" << printout << "centred";
}

// Page lines of an earlier page come back from createTextItemWithFormat() exactly as a new
// item would be: text, formats, measures, position, no outline effect, no data.
void tst_Helper::reusedPageItemsAreLikeNew()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, formatKey);
    QFETCH(QString, hostEdit);

    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 900, 1300));
    helper.setDebugColorize(true);
    helper.emitTextList(30.0, 1, QStringList{before}, helper.formats[MvKeys::PrintoutFormat]);
    if (!hostEdit.isEmpty()) {
        QTextCursor edit(static_cast<QGraphicsTextItem *>(helper.pageItems.last())->document());
        edit.movePosition(QTextCursor::End);
        QTextBlockFormat format;
        if (hostEdit != QLatin1String("cleared")) {
            format = edit.blockFormat();
            format.setLineHeight(200.0, QTextBlockFormat::ProportionalHeight);
            if (hostEdit == QLatin1String("centred"))
                format.setAlignment(Qt::AlignHCenter);
        }
        edit.setBlockFormat(format);
    }
    // A renderer's label or a document's line carries layout hints while on its page.
    const MvKeys::ItemData hints[] = {MvKeys::SpacedKey, MvKeys::TightKey, MvKeys::FullHeightKey,
                                      MvKeys::CentredKey, MvKeys::HeightFactorKey};
    for (const MvKeys::ItemData key : hints)
        helper.pageItems.last()->setData(key, 2.0);
    QImage image(90, 130, QImage::Format_ARGB32);
    QPainter painter(&image);
    helper.render(&painter, image.rect());
    painter.end();
    helper.flushPageItemsForReuse();

    AsyncReportsHelper fresh;
    QScopedPointer<QGraphicsItem> expected(fresh.createTextItemWithFormat(after, fresh.formats[formatKey]));
    QScopedPointer<QGraphicsItem> reused(helper.createTextItemWithFormat(after, helper.formats[formatKey]));
    auto *expectedText = static_cast<QGraphicsTextItem *>(expected.data());
    auto *reusedText = static_cast<QGraphicsTextItem *>(reused.data());
    QCOMPARE(reusedText->toPlainText(), after);
    QCOMPARE(reused->boundingRect(), expected->boundingRect());
    QCOMPARE(reused->pos(), QPointF(0, 0));
    QCOMPARE(reused->scene(), nullptr);
    QCOMPARE(reused->graphicsEffect(), nullptr);
    for (const MvKeys::ItemData key : hints)
        QVERIFY(!reused->data(key).isValid());
    QCOMPARE(reusedText->document()->blockCount(), expectedText->document()->blockCount());
    QTextCursor a(reusedText->document()), b(expectedText->document());
    a.movePosition(QTextCursor::End);
    b.movePosition(QTextCursor::End);
    QCOMPARE(a.charFormat(), b.charFormat());
    QCOMPARE(a.blockFormat(), b.blockFormat());
    QCOMPARE(a.blockCharFormat(), b.blockCharFormat());
    QVERIFY(!reusedText->document()->isUndoAvailable());
    // The caller's item records its edits, as a new one does, though it was a page line.
    QTextCursor(reusedText->document()).insertText(QStringLiteral("x"));
    QVERIFY(reusedText->document()->isUndoAvailable());
}

// A host's text item in a colour of its own is painted in that colour, as any
// QGraphicsTextItem is.
void tst_Helper::textItemsPaintInTheirColour()
{
    AsyncReportsHelper helper;
    helper.createScene(QRect(0, 0, 200, 100));
    auto *item = static_cast<QGraphicsTextItem *>(helper.createTextItemWithFormat(
            QStringLiteral("████"), helper.formats[MvKeys::TitleFormat]));
    item->setDefaultTextColor(Qt::red);
    helper.appendToPage(item);
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    helper.render(&painter, image.rect());
    painter.end();
    int red = 0, dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            red += pixel.red() > 200 && pixel.green() < 60 ? 1 : 0;
            dark += pixel.red() < 60 ? 1 : 0;
        }
    }
    QVERIFY(red > 50);
    QCOMPARE(dark, 0);
}

QTEST_MAIN(tst_Helper)
#include "tst_helper.moc"
