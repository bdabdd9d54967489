#include "documentgraphics.h"
#include "pdfprobe.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"
#include "testjob.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString goldenDir = QStringLiteral(IDENTITY_GOLDEN_DIR);

// Lines of every kind a report meets: receipts, Polish letters, empty lines, long lines that
// switch a page to two columns, and lines with embedded line breaks.
QStringList reportLines()
{
    QRandomGenerator random(1234);
    static const char *const words[] = {"Chleb", "żółć", "Masło", "12,50", "PARAGON", "ŚĆŹ",
                                        "kawa", "-", "x", "SUMA", "Gęś", "PLN"};
    QStringList lines;
    for (int i = 0; i < 2500; ++i) {
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

void fillDocuments(PDFRendererDocuments &renderer)
{
    QRandomGenerator random(99);
    AsyncReportsHelper &helper = renderer.getHlp();
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    for (int d = 0; d < 150; ++d) {
        DocumentGraphics doc;
        doc.attributes.insert(0, d + 1);
        const int lines = 3 + random.bounded(25);
        for (int i = 0; i < lines; ++i) {
            QGraphicsItem *item = helper.createTextItemWithFormat(
                    QStringLiteral("Pozycja %1 żółć %2,00").arg(i).arg(random.bounded(100)),
                    helper.formats[i == 0 ? 0 : 2]);
            if (i == 0)
                item->setData(5, true);
            doc.items.append(item);
        }
        if (d % 10 == 0) {
            auto *picture = new QGraphicsImageItem(image, nullptr);
            picture->setData(2, true);
            picture->setData(5, true);
            doc.items.append(picture);
        }
        renderer.appendDoc(doc);
    }
}

// Every word with its page and box, but the dated header line, which changes every day.
QStringList placements(const QString &path)
{
    QStringList result;
    for (const PdfProbe::Word &word : PdfProbe::words(path)) {
        if (word.box.top() < 70.0 && word.box.left() > 250.0)
            continue;
        result.append(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(word.page)
                      .arg(word.box.left(), 0, 'f', 3).arg(word.box.top(), 0, 'f', 3)
                      .arg(word.box.right(), 0, 'f', 3).arg(word.box.bottom(), 0, 'f', 3)
                      .arg(word.text));
    }
    return result;
}

QStringList render(bool documents, const QString &path)
{
    TestJob job;
    job.fileName = path;
    job.place = QStringLiteral("Kraków");
    job.headings = QStringList{QStringLiteral("CIĄG DALSZY"), QStringLiteral("=====")};
    if (documents)
        job.fillDocuments = fillDocuments;
    else
        job.lines = reportLines();
    if (!job.run().isEmpty())
        return {};
    return placements(path);
}

QStringList readGolden(const QString &name)
{
    QFile file(goldenDir + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class tst_Identity : public QObject
{
    Q_OBJECT

private slots:
    void samePlacementAsRecorded_data();
    void samePlacementAsRecorded();
};

void tst_Identity::samePlacementAsRecorded_data()
{
    QTest::addColumn<bool>("documents");
    QTest::addColumn<QString>("golden");
    QTest::newRow("line report") << false << "golden-lines.txt";
    QTest::newRow("document report") << true << "golden-documents.txt";
}

void tst_Identity::samePlacementAsRecorded()
{
    QFETCH(bool, documents);
    QFETCH(QString, golden);
    QTemporaryDir dir;
    const QStringList actual = render(documents, dir.filePath(QStringLiteral("identity.pdf")));
    const QStringList expected = readGolden(golden);
    QVERIFY(expected.size() > 1000);
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int at = QCoreApplication::arguments().indexOf(QStringLiteral("--write-golden"));
    if (at > 0) {
        goldenDir = QCoreApplication::arguments().value(at + 1);
        QTemporaryDir dir;
        for (bool documents : {false, true}) {
            QFile file(goldenDir + (documents ? QStringLiteral("/golden-documents.txt")
                                              : QStringLiteral("/golden-lines.txt")));
            if (!file.open(QIODevice::WriteOnly))
                return 1;
            file.write(render(documents, dir.filePath(QStringLiteral("golden.pdf")))
                       .join(QLatin1Char('\n')).toUtf8() + '\n');
        }
        return 0;
    }
    tst_Identity test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_identity.moc"
