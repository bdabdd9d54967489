#include "mvkeys.h"
#include "pdfprobe.h"
#include "pdfrendererdocuments.h"
#include "testjob.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QTextCursor>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {

struct Placement
{
    int page = 0;
    QPointF pos;
};

// What the boxes saw: where and on which page each was painted, the document rules of each
// page, and how many boxes were destroyed.
struct Recorder
{
    const PDFRendererBase *renderer = nullptr;
    QHash<int, Placement> placed;
    QMap<int, QList<QLineF>> rulesOnPage;
    QMap<int, int> columnsOnPage;
    QMap<int, QHash<QString, QPointF>> textsOnPage;   // text item positions by text
    int destroyed = 0;
};

// A rectangle of exact size (no pen) that records itself when painted and destroyed.
class Box : public QGraphicsRectItem
{
public:
    Box(int id, double width, double height, Recorder *recorder)
        : QGraphicsRectItem(0, 0, width, height), id(id), recorder(recorder)
    {
        setPen(Qt::NoPen);
        setBrush(Qt::gray);
    }
    ~Box() override { ++recorder->destroyed; }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override
    {
        const int page = recorder->renderer->getPageNum();
        recorder->placed.insert(id, {page, pos()});
        auto &helper = const_cast<PDFRendererBase *>(recorder->renderer)->getHlp();
        if (!recorder->rulesOnPage.contains(page)) {
            QList<QLineF> rules;
            for (QGraphicsItem *item : helper.pageItems) {
                auto *line = qgraphicsitem_cast<QGraphicsLineItem *>(item);
                if (line && line->pen() == helper.pens.value(MvKeys::DocumentSeparatorPen))
                    rules.append(line->line());
            }
            recorder->rulesOnPage.insert(page, rules);
            recorder->columnsOnPage.insert(page, helper.getColumnCount());
            for (QGraphicsItem *item : helper.pageItems) {
                if (auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item))
                    recorder->textsOnPage[page].insert(text->toPlainText(), text->pos());
            }
        }
        QGraphicsRectItem::paint(painter, option, widget);
    }

private:
    int id;
    Recorder *recorder;
};

// Exposes the renderer's counters to the tests.
class ProbeRenderer : public PDFRendererDocuments
{
public:
    using PDFRendererDocuments::PDFRendererDocuments;
    int pendingCount() const { return itemCount; }
    bool carriesOver() const { return carryOver; }
    double carriedWidth() const { return carryWidth; }
    void setMonthName(int month, const QString &name) { monthNames[month] = name; }
};

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

#define COMPARE_POINT(actual, expected) \
    do { \
        const QPointF a_ = (actual), e_ = (expected); \
        QVERIFY2(near(a_.x(), e_.x()) && near(a_.y(), e_.y()), \
                 qPrintable(QStringLiteral("(%1, %2) != (%3, %4)").arg(a_.x()).arg(a_.y()) \
                            .arg(e_.x()).arg(e_.y()))); \
    } while (false)

} // namespace

class tst_Documents : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void emptyDocumentsTakeNoRoom_data();
    void emptyDocumentsTakeNoRoom();
    void datedLineInTheRendererMonths();
    void numberHeader_data();
    void numberHeader();
    void measuring_data();
    void measuring();
    void emptyListPaintsNothing();
    void singleShortDocument();
    void spacedItemsAdvanceFurther();
    void splitDocumentContinuesOnNextPage();
    void pageEndsBetweenDocuments();
    void scanChoosesColumnCount();
    void wideItemOpeningAColumn();
    void documentsAppendedBetweenPages();
    void destructorDeletesPendingItemsOnly();

private:
    Box *box(int id, double width, double height) { return new Box(id, width, height, &recorder); }
    DocumentGraphics doc(const QList<QGraphicsItem *> &items, const QVariant &number = QVariant());
    void startRenderer();

    QTemporaryDir dir;
    Recorder recorder;
    std::unique_ptr<TestJob> job;
    std::unique_ptr<ProbeRenderer> renderer;
    double top = 0, height = 0, columnWidth = 0, gap = 0;
};

void tst_Documents::init()
{
    recorder = Recorder();
    job = std::make_unique<TestJob>();
    job->fileName = dir.filePath(QStringLiteral("documents.pdf"));
    renderer = std::make_unique<ProbeRenderer>(job.get());
    recorder.renderer = renderer.get();
}

void tst_Documents::cleanup()
{
    renderer.reset();
    job.reset();
}

DocumentGraphics tst_Documents::doc(const QList<QGraphicsItem *> &items, const QVariant &number)
{
    DocumentGraphics document;
    document.items = items;
    if (number.isValid())
        document.attributes.insert(MvKeys::NumberAttribute, number);
    return document;
}

void tst_Documents::startRenderer()
{
    QVERIFY(renderer->prepare());
    renderer->startReport();
    AsyncReportsHelper &helper = renderer->getHlp();
    top = helper.contentTop;
    height = helper.contentHeight();
    columnWidth = helper.width() / 3.0;
    gap = helper.MMTOPT(1.0);
}

void tst_Documents::numberHeader_data()
{
    QTest::addColumn<QVariant>("number");
    QTest::addColumn<QString>("text");

    QTest::newRow("integer") << QVariant(7) << "   Dokument nr 7   ";
    QTest::newRow("numeric string") << QVariant(QStringLiteral("12")) << "   Dokument nr 12   ";
    QTest::newRow("text that is no number") << QVariant(QStringLiteral("abc")) << "   Dokument nr 0   ";
    QTest::newRow("negative") << QVariant(-3) << "   Dokument nr -3   ";
}

void tst_Documents::numberHeader()
{
    QFETCH(QVariant, number);
    QFETCH(QString, text);

    renderer->appendDoc(doc({box(1, 10, 10), box(2, 10, 10)}, number));
    QCOMPARE(renderer->pendingCount(), 2);
    const DocumentGraphics stored = renderer->documents().value(0);
    QCOMPARE(stored.items.size(), 3);
    auto *header = qgraphicsitem_cast<QGraphicsTextItem *>(stored.items.first());
    QVERIFY(header);
    QCOMPARE(header->toPlainText(), text);
    QCOMPARE(header->data(MvKeys::CentredKey), QVariant(true));
    QCOMPARE(header->pos(), QPointF(0.0, -0.5 * header->boundingRect().height()));
    QTextCursor cursor(header->document());
    cursor.movePosition(QTextCursor::End);
    QCOMPARE(cursor.charFormat().fontPointSize(), 6.0);

    // An invalid value under key 0 still counts as a number: 0.
    DocumentGraphics invalidNumber;
    invalidNumber.attributes.insert(MvKeys::NumberAttribute, QVariant());
    renderer->appendDoc(invalidNumber);
    QCOMPARE(renderer->pendingCount(), 2);
    auto *second = static_cast<QGraphicsTextItem *>(renderer->documents().at(1).items.value(0));
    QCOMPARE(renderer->documents().at(1).items.size(), 1);
    QCOMPARE(second->toPlainText(), QStringLiteral("   Dokument nr 0   "));
}

void tst_Documents::measuring_data()
{
    QTest::addColumn<bool>("text");
    QTest::addColumn<QVariantMap>("keys");
    QTest::addColumn<double>("slot");
    QTest::addColumn<double>("shift");

    // Items of scaled height 10; the data keys by their numbers, which hosts store.
    QTest::newRow("text item: 0.8") << true << QVariantMap() << 8.0 << 0.0;
    QTest::newRow("text, height factor 1.0") << true << QVariantMap{{"8", 1.0}} << 10.0 << 0.0;
    QTest::newRow("text, full height, spaced") << true << QVariantMap{{"4", true}, {"2", true}} << 14.0 << 2.0;
    QTest::newRow("text, full height, spaced tight") << true << QVariantMap{{"4", 1}, {"2", 1}, {"3", 1}} << 12.1 << 2.0;
    QTest::newRow("text, spaced only shifts") << true << QVariantMap{{"2", true}} << 8.0 << 2.0;
    QTest::newRow("box") << false << QVariantMap() << 10.0 << 0.0;
    QTest::newRow("box spaced") << false << QVariantMap{{"2", true}} << 14.0 << 2.0;
    QTest::newRow("box spaced stored as false") << false << QVariantMap{{"2", false}} << 14.0 << 2.0;
    QTest::newRow("box tight alone") << false << QVariantMap{{"3", true}} << 10.0 << 0.0;
    QTest::newRow("box ignores height factor") << false << QVariantMap{{"8", 2.0}} << 10.0 << 0.0;
}

void tst_Documents::measuring()
{
    QFETCH(bool, text);
    QFETCH(QVariantMap, keys);
    QFETCH(double, slot);
    QFETCH(double, shift);

    std::unique_ptr<QGraphicsItem> item;
    if (text) {
        auto *textItem = new QGraphicsTextItem(QStringLiteral("abc"));
        textItem->setScale(10.0 / textItem->boundingRect().height());
        item.reset(textItem);
    } else {
        auto *rect = new QGraphicsRectItem(0, 0, 30, 5);
        rect->setPen(Qt::NoPen);
        rect->setScale(2.0);
        item.reset(rect);
    }
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        item->setData(it.key().toInt(), it.value());
    QVERIFY(near(MvConstants::SCALEDBBSIZE(item.get()).height(), 10.0));
    QVERIFY(near(PDFRendererDocuments::boundingHeight(item.get()), slot));
    QVERIFY(near(PDFRendererDocuments::heightTopOffset(item.get()), shift));
    if (!text) {
        QCOMPARE(MvConstants::SCALEDBBSIZE(item.get()), QSizeF(60, 10));
        QCOMPARE(PDFRendererDocuments::boundingWidth(item.get()), 60.0);
    }
}

void tst_Documents::emptyDocumentsTakeNoRoom_data()
{
    QTest::addColumn<int>("emptyAt");
    QTest::addColumn<bool>("keepTogether");
    for (const bool keep : {false, true}) {
        const char *kept = keep ? ", kept together" : "";
        QTest::addRow("first%s", kept) << 0 << keep;
        QTest::addRow("between%s", kept) << 1 << keep;
        QTest::addRow("last%s", kept) << 2 << keep;
    }
}

// A document without items, wherever it stands, is passed over: the others are placed, each
// item once, and the run ends.
void tst_Documents::emptyDocumentsTakeNoRoom()
{
    QFETCH(int, emptyAt);
    QFETCH(bool, keepTogether);
    renderer->setKeepTogether(keepTogether);
    startRenderer();
    QList<DocumentGraphics> docs{doc({box(1, 100, 20), box(2, 60, 10)}), doc({box(3, 80, 30)})};
    docs.insert(emptyAt, DocumentGraphics());
    for (const DocumentGraphics &document : docs)
        renderer->appendDoc(document);
    QVERIFY(!renderer->emitPage(false));
    QVERIFY(renderer->documents().isEmpty());
    QList<int> placed = recorder.placed.keys();
    std::sort(placed.begin(), placed.end());
    QCOMPARE(placed, QList<int>({1, 2, 3}));
}

// The dated line reads the renderer's month names, which a derived renderer may change.
void tst_Documents::datedLineInTheRendererMonths()
{
    renderer->setMonthName(12, QStringLiteral("XII"));
    renderer->setReportDate(QDate(2026, 12, 6));
    QVERIFY(renderer->prepare());
    QStringList texts;
    for (QGraphicsItem *item : renderer->getHlp().scene->items()) {
        if (auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item))
            texts.append(text->toPlainText());
    }
    QVERIFY2(texts.join(QLatin1Char('|')).contains(QStringLiteral("dnia 6 XII 2026 roku")), qPrintable(texts.join(QLatin1Char('|'))));
}

void tst_Documents::emptyListPaintsNothing()
{
    startRenderer();
    renderer->getHlp().setColumnCount(5);
    QVERIFY(!renderer->emitPage(false));
    QCOMPARE(renderer->getHlp().getColumnCount(), 5);
    QCOMPARE(renderer->getPageNum(), 1);
}

void tst_Documents::singleShortDocument()
{
    startRenderer();
    renderer->appendDoc(doc({box(1, 100, 20), box(2, 60, 10), box(3, 80, 30)}));
    QVERIFY(!renderer->emitPage(false));
    QVERIFY(renderer->documents().isEmpty());
    QCOMPARE(renderer->pendingCount(), 3);   // emptying the list leaves the counter
    QCOMPARE(recorder.columnsOnPage.value(1), 3);

    const double dx = (columnWidth - 100.0) * 0.5;
    COMPARE_POINT(recorder.placed.value(1).pos, QPointF(dx, top));
    COMPARE_POINT(recorder.placed.value(2).pos, QPointF(dx, top + 20));
    COMPARE_POINT(recorder.placed.value(3).pos, QPointF(dx, top + 30));
    const QList<QLineF> rules = recorder.rulesOnPage.value(1);
    QCOMPARE(rules.size(), 1);
    const double inset = renderer->getHlp().MMTOPT(2.0);
    const double y = top + 60 + gap;
    COMPARE_POINT(rules.first().p1(), QPointF(inset, y));
    COMPARE_POINT(rules.first().p2(), QPointF(columnWidth - inset, y));
    QCOMPARE(recorder.destroyed, 3);
    QCOMPARE(renderer->perc(), 0.0);
}

void tst_Documents::spacedItemsAdvanceFurther()
{
    startRenderer();
    QGraphicsItem *spaced = box(1, 50, 10);
    spaced->setData(MvKeys::SpacedKey, true);
    QGraphicsItem *tight = box(2, 50, 10);
    tight->setData(MvKeys::SpacedKey, true);
    tight->setData(MvKeys::TightKey, true);
    renderer->appendDoc(doc({spaced, tight, box(3, 50, 10)}));
    QVERIFY(!renderer->emitPage(false));
    const double dx = (columnWidth - 50.0) * 0.5;
    COMPARE_POINT(recorder.placed.value(1).pos, QPointF(dx, top + 2.0));
    COMPARE_POINT(recorder.placed.value(2).pos, QPointF(dx, top + 14.0 + 2.0));
    COMPARE_POINT(recorder.placed.value(3).pos, QPointF(dx, top + 14.0 + 12.1));
}

void tst_Documents::splitDocumentContinuesOnNextPage()
{
    startRenderer();
    const double boxHeight = std::floor(height / 4.0);   // four boxes to a column
    QList<QGraphicsItem *> boxes;
    for (int i = 0; i < 15; ++i)
        boxes.append(box(i, i == 0 ? 150.0 : 100.0, boxHeight));
    renderer->appendDoc(doc({box(100, 30, boxHeight)}));
    renderer->appendDoc(doc(boxes, 4));
    QCOMPARE(renderer->pendingCount(), 16);
    QGraphicsItem *header = renderer->documents().at(1).items.first();
    const double headerHeight = header->boundingRect().height();
    const double headerWidth = header->boundingRect().width();

    QVERIFY(renderer->emitPage(false));
    QCOMPARE(renderer->getPageNum(), 2);
    // Column 0: the small document, its rule, then the header and two boxes; column 1 and 2:
    // four boxes each. Box 10 does not fit: the page is full inside the document.
    QVERIFY(renderer->carriesOver());
    QCOMPARE(renderer->carriedWidth(), 150.0);
    QCOMPARE(renderer->documents().size(), 1);
    QCOMPARE(renderer->documents().first().items.size(), 5);
    // The whole small document (1) and eleven placed items of the split one (header included).
    QCOMPARE(renderer->pendingCount(), 16 - 1 - 11);

    const double blockDx = (columnWidth - 150.0) * 0.5;
    const double secondTop = boxHeight + 2 * gap;
    const double headerX = std::trunc((150.0 - headerWidth) * 0.5) + blockDx;
    COMPARE_POINT(recorder.textsOnPage.value(1).value(QStringLiteral("   Dokument nr 4   ")),
                  QPointF(headerX, top + secondTop - 0.5 * headerHeight));
    const double afterHeader = secondTop + 0.8 * headerHeight;
    COMPARE_POINT(recorder.placed.value(0).pos, QPointF(blockDx, top + afterHeader));
    COMPARE_POINT(recorder.placed.value(1).pos, QPointF(blockDx, top + afterHeader + boxHeight));
    COMPARE_POINT(recorder.placed.value(2).pos, QPointF(columnWidth + blockDx, top));
    COMPARE_POINT(recorder.placed.value(9).pos, QPointF(2 * columnWidth + blockDx, top + 3 * boxHeight));
    QCOMPARE(recorder.rulesOnPage.value(1).size(), 1);   // after the small document only

    QVERIFY(!renderer->emitPage(false));
    QVERIFY(renderer->documents().isEmpty());
    QVERIFY(recorder.textsOnPage.value(2).isEmpty());   // the header does not repeat
    // The remainder keeps the block width of its document: no header, same x; the fifth box
    // goes on in column 1.
    for (int i = 10; i < 15; ++i) {
        QCOMPARE(recorder.placed.value(i).page, 2);
        const QPointF expected = i < 14 ? QPointF(blockDx, top + (i - 10) * boxHeight)
                                        : QPointF(columnWidth + blockDx, top);
        COMPARE_POINT(recorder.placed.value(i).pos, expected);
    }
    QCOMPARE(recorder.destroyed, 16);
    QVERIFY(!renderer->carriesOver());
}

void tst_Documents::pageEndsBetweenDocuments()
{
    startRenderer();
    for (int i = 0; i < 4; ++i)
        renderer->appendDoc(doc({box(i, 40, height)}));
    QVERIFY(renderer->emitPage(false));
    QVERIFY(!renderer->carriesOver());
    QCOMPARE(renderer->documents().size(), 1);
    QCOMPARE(renderer->pendingCount(), 1);
    // Gaps that do not fit move to the next column without a rule.
    QCOMPARE(recorder.rulesOnPage.value(1).size(), 0);
    const double dx = (columnWidth - 40.0) * 0.5;
    for (int i = 0; i < 3; ++i)
        COMPARE_POINT(recorder.placed.value(i).pos, QPointF(i * columnWidth + dx, top));
    QVERIFY(!renderer->emitPage(false));
    QCOMPARE(recorder.placed.value(3).page, 2);
    COMPARE_POINT(recorder.placed.value(3).pos, QPointF(dx, top));
}

void tst_Documents::scanChoosesColumnCount()
{
    startRenderer();
    const double limit = renderer->getHlp().width() / 3.0 - renderer->getHlp().MMTOPT(3.0);
    // Three full columns of narrow items; the wide item lies beyond them.
    for (int i = 0; i < 3; ++i)
        renderer->appendDoc(doc({box(i, 40, height)}));
    renderer->appendDoc(doc({box(3, limit + 1, 20)}));
    renderer->appendDoc(doc({box(4, limit, 20)}));
    QVERIFY(renderer->emitPage(false));
    QCOMPARE(recorder.columnsOnPage.value(1), 3);
    QVERIFY(!renderer->emitPage(false));
    // Page 2 reaches the wide item: two columns, a rule 2 mm short of both column edges.
    QCOMPARE(recorder.columnsOnPage.value(2), 2);
    const double half = renderer->getHlp().width() / 2.0;
    COMPARE_POINT(recorder.placed.value(3).pos, QPointF((half - limit - 1) * 0.5, top));
    const QList<QLineF> rules = recorder.rulesOnPage.value(2);
    QCOMPARE(rules.size(), 2);
    const double inset = renderer->getHlp().MMTOPT(2.0);
    QVERIFY(near(rules.first().x2(), half - inset));

    // An item exactly at the limit keeps three columns.
    renderer->appendDoc(doc({box(5, limit, 20)}));
    QVERIFY(!renderer->emitPage(false));
    QCOMPARE(recorder.columnsOnPage.value(2), 2);
}

void tst_Documents::wideItemOpeningAColumn()
{
    startRenderer();
    // The wide item does not fit below the first: it opens the next column, and would stand
    // out of a column of three.
    renderer->appendDoc(doc({box(1, 40, height - 5), box(2, columnWidth + 10, 20)}));
    QVERIFY(!renderer->emitPage(false));
    QCOMPARE(recorder.columnsOnPage.value(1), 2);
}

void tst_Documents::documentsAppendedBetweenPages()
{
    startRenderer();
    for (int i = 0; i < 4; ++i)
        renderer->appendDoc(doc({box(i, 40, height)}));
    QVERIFY(renderer->emitPage(false));
    renderer->appendDoc(doc({box(10, 40, 20)}));
    QVERIFY(!renderer->emitPage(false));
    QCOMPARE(recorder.placed.value(10).page, 2);
    COMPARE_POINT(recorder.placed.value(10).pos, QPointF(columnWidth + (columnWidth - 40.0) * 0.5, top));
}

void tst_Documents::destructorDeletesPendingItemsOnly()
{
    startRenderer();
    for (int i = 0; i < 5; ++i)
        renderer->appendDoc(doc({box(2 * i, 40, height), box(2 * i + 1, 40, 5)}));
    QVERIFY(renderer->emitPage(false));
    const int placed = recorder.destroyed;
    QVERIFY(placed > 0 && placed < 10);
    renderer.reset();
    QCOMPARE(recorder.destroyed, 10);
}

QTEST_MAIN(tst_Documents)
#include "tst_documents.moc"
