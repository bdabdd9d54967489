#include "mvkeys.h"
#include "mvlayout.h"
#include "pdfprobe.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"
#include "testjob.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>
#include <QtTest>

#include <cmath>

// Reports with lines and items too wide or too tall for a column, made through the public API
// as a host makes them: every line and item is on a page, inside its column, in order.
namespace {

const QString kHeading = QStringLiteral("####");
constexpr double kTolerance = 0.01;   // scene units

struct Placed
{
    int page;
    int columns;
    QRectF box;       // scene units
    QString text;     // of a text item
    double scale;
};

// Stays on the page scene (it is no page item) and records, whenever a page is painted, the
// content items of that page in the order they were placed.
class PageRecorder : public QGraphicsItem
{
public:
    PageRecorder(PDFRendererBase &renderer, QList<Placed> *placed)
        : renderer(renderer), placed(placed) {}
    QRectF boundingRect() const override { return QRectF(0, 0, 1, 1); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const AsyncReportsHelper &helper = renderer.getHlp();
        for (QGraphicsItem *item : helper.pageItems) {
            if (item->type() == QGraphicsLineItem::Type)
                continue;
            auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item);
            placed->append({renderer.getPageNum(), helper.getColumnCount(), item->sceneBoundingRect(),
                            text ? text->toPlainText() : QString(), item->scale()});
        }
    }

private:
    PDFRendererBase &renderer;
    QList<Placed> *placed;
};

// A line of `length` letters and digits that never repeats itself within a piece.
QString sequence(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QLatin1Char("ABCDEFGHJKLMNPQRSTUVZ0123456789"[(i * 7 + i / 31) % 31]);
    return text;
}

bool isHeadingPiece(const QString &text)
{
    return !text.isEmpty() && text.count(QLatin1Char('#')) == text.size();
}

} // namespace

class tst_Fitting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void linesKeepEveryCharacter_data();
    void linesKeepEveryCharacter();
    void documentItemsFitTheirColumns_data();
    void documentItemsFitTheirColumns();
    void headingsLeavingNoRoomRefuseTheReport();
    void cancelDuringAFiveMegabyteLine();

private:
    void record(TestJob &job);
    void verifyInsideColumns();
    void verifyTexts(const QStringList &lines);

    QTemporaryDir dir;
    QList<Placed> placed;
    QRectF content;   // the content area of the scene
};

void tst_Fitting::init()
{
    placed.clear();
    QFile::remove(dir.filePath(QStringLiteral("fitting.pdf")));
}

void tst_Fitting::record(TestJob &job)
{
    job.fileName = dir.filePath(QStringLiteral("fitting.pdf"));
    job.afterPrepare = [this](PDFRendererBase &renderer) {
        AsyncReportsHelper &helper = renderer.getHlp();
        helper.scene->addItem(new PageRecorder(renderer, &placed));
        content = QRectF(0.0, helper.contentTop, helper.width(), helper.contentHeight());
    };
}

// Every item stands inside one column of its page and inside the content area, but for the
// fifth of a text line's height below its slot (which the line's own margin takes).
void tst_Fitting::verifyInsideColumns()
{
    QVERIFY(!placed.isEmpty());
    for (const Placed &item : qAsConst(placed)) {
        const double width = content.width() / item.columns;
        const int column = int(std::floor((item.box.left() + kTolerance) / width));
        const QString where = QStringLiteral("\"%1\" on page %2: %3..%4 wide, %5..%6 high")
                .arg(item.text.left(20)).arg(item.page).arg(item.box.left()).arg(item.box.right())
                .arg(item.box.top()).arg(item.box.bottom());
        QVERIFY2(column >= 0 && item.box.right() <= (column + 1) * width + kTolerance, qPrintable(where));
        const double below = (1.0 - MvLayout::LinePitch) * item.box.height();
        QVERIFY2(item.box.top() >= content.top() - kTolerance
                 && item.box.bottom() - below <= content.bottom() + kTolerance, qPrintable(where));
    }
}

// The texts placed (heading lines left out) are the lines in order, each whole or in pieces
// that end between graphemes; a piece that ends at a line break leaves the break out.
void tst_Fitting::verifyTexts(const QStringList &lines)
{
    QStringList texts;
    for (const Placed &item : qAsConst(placed)) {
        if (!isHeadingPiece(item.text))
            texts.append(item.text);
    }
    int at = 0;
    for (const QString &line : lines) {
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
        int consumed = 0;
        do {
            QVERIFY2(at < texts.size(), qPrintable(line.left(20)));
            const QString piece = texts.at(at++);
            QCOMPARE(line.mid(consumed, piece.size()), piece);
            consumed += piece.size();
            graphemes.setPosition(consumed);
            QVERIFY2(line.isEmpty() || graphemes.isAtBoundary(), qPrintable(piece));
            if (consumed < line.size() && line.at(consumed) == QLatin1Char('\n'))
                ++consumed;
        } while (consumed < line.size());
    }
    QCOMPARE(at, texts.size());
}

void tst_Fitting::linesKeepEveryCharacter_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<int>("ppi");

    const QStringList heading{kHeading};
    for (const int length : {51, 120, 130, 400, 5000})
        QTest::newRow(qPrintable(QStringLiteral("%1 characters").arg(length))) << 30 << 5 << sequence(length)
                                                                       << heading << false << 0;
    QTest::newRow("long line on page 2") << 600 << 400 << sequence(700) << heading << false << 0;
    // 37 code units, which go onto a three-column page, of characters wider than a letter.
    QTest::newRow("wide characters in a short line") << 30 << 5 << QString(37, QChar(0x27F9)) << heading
                                                     << false << 0;
    QTest::newRow("wide report") << 30 << 5 << sequence(700) << heading << true << 0;
    // Columns are narrower at 72 units per inch; the line is 120 graphemes of two, three and
    // four code units.
    QTest::newRow("combining marks and surrogate pairs")
        << 30 << 5 << QStringLiteral("e\u0301\u0328\U0001D54Fa\u0308").repeated(40) << heading << false << 72;
    QTest::newRow("a line taller than a page") << 30 << 5 << QStringLiteral("W\n").repeated(400) + QStringLiteral("W")
                                               << heading << false << 0;
    QTest::newRow("a heading wider than a column") << 600 << 5 << sequence(20)
                                                   << QStringList{QString(300, QLatin1Char('#'))} << false << 0;
}

void tst_Fitting::linesKeepEveryCharacter()
{
    QFETCH(int, count);
    QFETCH(int, at);
    QFETCH(QString, line);
    QFETCH(QStringList, headings);
    QFETCH(bool, wide);
    QFETCH(int, ppi);

    TestJob job;
    record(job);
    job.lines = numberedLines(count);
    job.lines[at] = line;
    job.headings = headings;
    job.wide = wide;
    job.ppi = ppi;
    QCOMPARE(job.run(), QString());
    QCOMPARE(job.lastOutcome(), AsyncReportsBase::Outcome::Completed);
    verifyInsideColumns();
    verifyTexts(job.lines);
    // The long line's page has two columns.
    for (const Placed &item : qAsConst(placed)) {
        if (item.text.size() > 1 && line.contains(item.text) && line.size() > 50)
            QCOMPARE(item.columns, 2);
    }
    // And the file holds it: its pieces, one below the other, read as the line.
    if (QTest::currentDataTag() == QLatin1String("130 characters")) {
        const QString text = PdfProbe::pageTexts(job.fileName).join(QString()).remove(QRegularExpression(QStringLiteral("\\s")));
        QVERIFY(text.contains(line));
    }
}

void tst_Fitting::documentItemsFitTheirColumns_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("linesBefore");   // lines of the document before the wide item
    QTest::newRow("a text line of 300 characters") << "text" << 1;
    QTest::newRow("an image three columns wide") << "image" << 1;
    QTest::newRow("a host's own wide rectangle") << "rectangle" << 1;
    QTest::newRow("a rectangle taller than a column") << "tall" << 1;
    // Page 1 holds three columns of the lines and centres them: the rectangle must not push
    // them out of their columns before it is even reached.
    QTest::newRow("a wide rectangle after a page of lines") << "rectangle" << 400;
}

void tst_Fitting::documentItemsFitTheirColumns()
{
    QFETCH(QString, kind);
    QFETCH(int, linesBefore);
    TestJob job;
    record(job);
    const QStringList before = numberedLines(linesBefore);
    const QString longText = sequence(300);
    QGraphicsItem *wide = nullptr;
    QSizeF wideSize;
    job.fillDocuments = [&](PDFRendererDocuments &renderer) {
        AsyncReportsHelper &helper = renderer.getHlp();
        const QTextCharFormat format = helper.formats[MvKeys::PrintoutFormat];
        if (kind == QLatin1String("text")) {
            wide = helper.createTextItemWithFormat(longText, format);
            wide->setData(MvKeys::CentredKey, true);
        } else if (kind == QLatin1String("image")) {
            QImage image(3000, 200, QImage::Format_RGB32);
            image.fill(Qt::gray);
            wide = new QGraphicsImageItem(image);
        } else {
            wide = kind == QLatin1String("tall") ? new QGraphicsRectItem(0, 0, 50, 5000)
                                                 : new QGraphicsRectItem(0, 0, 2000, 40);
            static_cast<QGraphicsRectItem *>(wide)->setPen(Qt::NoPen);
        }
        wideSize = MvConstants::SCALEDBBSIZE(wide);
        DocumentGraphics doc;
        for (const QString &line : before)
            doc.items.append(helper.createTextItemWithFormat(line, format));
        doc.items += {wide, helper.createTextItemWithFormat(QStringLiteral("PO"), format)};
        renderer.appendDoc(doc);
        renderer.appendDoc(QStringList{QStringLiteral("NASTĘPNY")});
    };
    double factor = 0.0;
    job.afterPrepare = [&, recordPage = job.afterPrepare](PDFRendererBase &renderer) {
        recordPage(renderer);
        factor = static_cast<PDFRendererDocuments &>(renderer).fitScale(wide);
    };
    QCOMPARE(job.run(), QString());
    QCOMPARE(job.lastOutcome(), AsyncReportsBase::Outcome::Completed);
    verifyInsideColumns();
    const bool text = kind == QLatin1String("text");
    verifyTexts(before + QStringList{text ? longText : QString(), QStringLiteral("PO"), QStringLiteral("NASTĘPNY")});
    if (text) {
        QCOMPARE(factor, 1.0);
        return;
    }
    // Scaled down by the factor fitScale() gave beforehand, the aspect ratio kept.
    QVERIFY(factor > 0.0 && factor < 1.0);
    const Placed &scaled = placed.at(linesBefore);
    QCOMPARE(scaled.scale, factor);
    QVERIFY(std::abs(scaled.box.width() / scaled.box.height() - wideSize.width() / wideSize.height()) < 1e-6);
}

void tst_Fitting::headingsLeavingNoRoomRefuseTheReport()
{
    TestJob job;
    record(job);
    job.lines = numberedLines(400);
    for (int i = 0; i < 100; ++i)
        job.headings.append(QStringLiteral("H%1").arg(i));
    QCOMPARE(job.run(), QStringLiteral("Nagłówki kolumn nie zostawiają miejsca na wiersz raportu "
                                       "(liczba wierszy nagłówka: 100)"));
    QCOMPARE(job.lastOutcome(), AsyncReportsBase::Outcome::LayoutFailed);
    QVERIFY(job.lastOutputPath().isEmpty());
    QVERIFY(!QFile::exists(job.fileName));
}

// A line of 5 MB is cut a page at a time: the first page comes at once, and a cancel then
// ends the run at the next pass.
void tst_Fitting::cancelDuringAFiveMegabyteLine()
{
    TestJob job;
    record(job);
    job.lines = QStringList{QString(5 * 1024 * 1024, QLatin1Char('x'))};
    QSignalSpy progress(&job, &AsyncReportsBase::progress);
    connect(&job, &AsyncReportsBase::progress, &job, &AsyncReportsBase::abortReport);
    QCOMPARE(job.run(), QStringLiteral("Generowanie dokumentu przerwane przez użytkownika."));
    QCOMPARE(progress.size(), 1);
    // The share shown is that of the line placed on the first page.
    const QString shown = progress.first().first().toString();
    const double share = QRegularExpression(QStringLiteral("\\(([0-9.]+) %\\)")).match(shown).captured(1).toDouble();
    QVERIFY2(share > 0.0 && share < 1.0, qPrintable(shown));
    QVERIFY(!QFile::exists(job.fileName));
}

QTEST_MAIN(tst_Fitting)
#include "tst_fitting.moc"
