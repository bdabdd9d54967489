#include "mvkeys.h"
#include "documentgraphics.h"
#include "pdfprobe.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"
#include "testjob.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Lines of every kind a line report meets: receipts, Polish letters, empty lines, long
// lines that switch a page to two columns, and lines with embedded line breaks.
QStringList reportLines()
{
    QRandomGenerator random(1234);
    static const char *const words[] = {"Chleb", "żółć", "Masło", "12,50", "PARAGON", "ŚĆŹ",
                                        "kawa", "-", "x", "SUMA", "Gęś", "PLN"};
    QStringList lines;
    for (int i = 0; i < 1500; ++i) {
        QString line;
        const int length = i % 97 == 0 ? 60 : random.bounded(40);
        while (line.size() < length)
            line += QString::fromUtf8(words[random.bounded(12)]) + QLatin1Char(' ');
        if (i % 211 == 0)
            line += QStringLiteral("\ndruga linia");
        lines.append(i % 13 == 0 ? QString() : line.left(length));
    }
    return lines;
}

// Numbered documents of text lines in several formats, centred and spaced items, images.
void fillDocuments(PDFRendererDocuments &renderer)
{
    QRandomGenerator random(99);
    AsyncReportsHelper &helper = renderer.getHlp();
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    for (int d = 0; d < 80; ++d) {
        DocumentGraphics doc;
        doc.attributes.insert(MvKeys::NumberAttribute, d + 1);
        for (int i = 0, lines = 3 + random.bounded(25); i < lines; ++i) {
            QGraphicsItem *item = helper.createTextItemWithFormat(
                    QStringLiteral("Pozycja %1 żółć %2,00").arg(i).arg(random.bounded(100)),
                    helper.formats[i == 0 ? MvKeys::TitleFormat : MvKeys::PrintoutFormat]);
            if (i == 0)
                item->setData(MvKeys::CentredKey, true);
            doc.items.append(item);
        }
        if (d % 10 == 0) {
            auto *picture = new QGraphicsImageItem(image, nullptr);
            picture->setData(MvKeys::SpacedKey, true);
            picture->setData(MvKeys::CentredKey, true);
            doc.items.append(picture);
        }
        renderer.appendDoc(doc);
    }
}

// The pages as pictures, at a resolution where a tenth of a point shows.
QList<QImage> pictures(const QString &pdf)
{
    const QString prefix = pdf + QStringLiteral(".page");
    QProcess::execute(QStringLiteral(PDFTOPPM_EXECUTABLE),
                      {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), pdf, prefix});
    QList<QImage> pages;
    const QFileInfo info(pdf);
    for (const QString &name : QDir(info.path()).entryList({info.fileName() + QStringLiteral(".page*.png")},
                                                          QDir::Files, QDir::Name))
        pages.append(QImage(info.path() + QLatin1Char('/') + name));
    return pages;
}

} // namespace

// The composer paints plain pages itself, faster than QGraphicsScene::render(); it must paint
// exactly what the scene would. Each report is rendered twice in one run, once with the scene
// made to paint every page, and the two PDFs are compared word by word and pixel by pixel.
class tst_Painting : public QObject
{
    Q_OBJECT

private slots:
    void fastPathsPaintWhatTheScenePaints_data();
    void fastPathsPaintWhatTheScenePaints();
    void labelsReadAsTheirWords();

private:
    QTemporaryDir dir;
};

void tst_Painting::fastPathsPaintWhatTheScenePaints_data()
{
    QTest::addColumn<bool>("documents");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<bool>("debugOutline");
    QTest::newRow("line report, two and three columns") << false << false << false;
    QTest::newRow("wide line report") << false << true << false;
    QTest::newRow("document report with images") << true << false << false;
    QTest::newRow("debug outline, where the scene paints") << true << false << true;
}

void tst_Painting::fastPathsPaintWhatTheScenePaints()
{
    QFETCH(bool, documents);
    QFETCH(bool, wide);
    QFETCH(bool, debugOutline);
    QString files[2];
    for (const bool sceneRendering : {false, true}) {
        TestJob job;
        job.fileName = dir.filePath(QStringLiteral("%1-%2.pdf").arg(QTest::currentDataTag()).arg(sceneRendering));
        job.wide = wide;
        job.debugOutline = debugOutline;
        job.sceneRendering = sceneRendering;
        if (documents)
            job.fillDocuments = fillDocuments;
        else
            job.lines = reportLines();
        QCOMPARE(job.run(), QString());
        files[sceneRendering] = job.fileName;
    }
    const QList<PdfProbe::Word> direct = PdfProbe::words(files[0]);
    const QList<PdfProbe::Word> scene = PdfProbe::words(files[1]);
    QVERIFY(direct.size() > 1000);
    QCOMPARE(direct.size(), scene.size());
    for (int i = 0; i < direct.size(); ++i) {
        const PdfProbe::Word &a = direct.at(i);
        const PdfProbe::Word &b = scene.at(i);
        const QMarginsF difference(a.box.left() - b.box.left(), a.box.top() - b.box.top(),
                                   a.box.right() - b.box.right(), a.box.bottom() - b.box.bottom());
        const bool close = qAbs(difference.left()) <= 0.01 && qAbs(difference.top()) <= 0.01
                && qAbs(difference.right()) <= 0.01 && qAbs(difference.bottom()) <= 0.01;
        QVERIFY2(a.text == b.text && a.page == b.page && close, qPrintable(a.text));
    }
    const QList<QImage> directPages = pictures(files[0]);
    QVERIFY(directPages.size() > 1);
    QVERIFY(directPages == pictures(files[1]));
}

// Letter-spaced labels keep their look and read as words: every reader finds "Dokument nr
// 118", and a label spaced by 130 % is as much wider than an unspaced one. Spaces read as
// spaces.
void tst_Painting::labelsReadAsTheirWords()
{
    constexpr int kDocuments = 120;
    QHash<int, double> labelWidths;
    for (const int spacing : {100, 130, 200}) {
        TestJob job;
        job.fileName = dir.filePath(QStringLiteral("labels-%1.pdf").arg(spacing));
        job.fillDocuments = [spacing](PDFRendererDocuments &renderer) {
            renderer.getHlp().formats[MvKeys::DocumentLabelFormat].setFontLetterSpacing(spacing);
            for (int k = 1; k <= kDocuments; ++k) {
                DocumentGraphics doc;
                doc.attributes.insert(MvKeys::NumberAttribute, k);
                doc.items.append(renderer.getHlp().createTextItemWithFormat(
                        QStringLiteral("Paragon %1").arg(k), renderer.getHlp().formats[MvKeys::PrintoutFormat]));
                renderer.appendDoc(doc);
            }
        };
        QCOMPARE(job.run(), QString());
        // A space reads as a space to readers that take the fonts' maps as they stand (Qt
        // would give the space's glyph to the tab).
        const QStringList targets = PdfProbe::toUnicodeTargets(job.fileName);
        QVERIFY(targets.contains(QStringLiteral("<0020>")) && !targets.contains(QStringLiteral("<0009>")));
        for (const QString &text : {PdfProbe::rawText(job.fileName), PdfProbe::muText(job.fileName)}) {
            QVERIFY2(text.contains(QStringLiteral("Dokument nr 118")), qPrintable(text.left(300)));
            QCOMPARE(text.count(QRegularExpression(QStringLiteral("Dokument nr \\d+\\b"))), kDocuments);
        }
        for (const PdfProbe::Word &word : PdfProbe::words(job.fileName)) {
            if (word.text == QLatin1String("Dokument"))
                labelWidths[spacing] = qMax(labelWidths.value(spacing), word.box.width());
        }
    }
    QVERIFY(labelWidths.value(100) > 0.0);
    QVERIFY(qAbs(labelWidths.value(130) / labelWidths.value(100) - 1.3) < 0.03);
    QVERIFY(qAbs(labelWidths.value(200) / labelWidths.value(100) - 2.0) < 0.05);
}

QTEST_MAIN(tst_Painting)
#include "tst_painting.moc"
