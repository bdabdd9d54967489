#include "pdfoutput.h"
#include "pdfprobe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <random>
#include <unistd.h>

namespace {

QPageLayout a4Layout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter, QMarginsF());
}

void checkNeutral(PDFOutput &output)
{
    QVERIFY(!output.isValid());
    QCOMPARE(output.pageRect(), QRect(0, 0, 1, 1));
    QCOMPARE(output.ppiX(), 1);
    QCOMPARE(output.ppiY(), 1);
    output.setupPage(a4Layout());
    QCOMPARE(output.painter(), nullptr);
    output.newPage();
}

} // namespace

class tst_PdfOutput : public QObject
{
    Q_OBJECT

private slots:
    void neutralUnlessOpen_data();
    void neutralUnlessOpen();
    void writesAPdfOfSeveralPages();
    void documentInformationForAnyTitle_data();
    void documentInformationForAnyTitle();
    void removesOnlyTheFileItWrote_data();
    void removesOnlyTheFileItWrote();

private:
    QTemporaryDir dir;
};

void tst_PdfOutput::neutralUnlessOpen_data()
{
    QTest::addColumn<QString>("path");     // empty: never started
    QTest::addColumn<bool>("opens");
    QTest::newRow("never started") << QString() << false;
    QTest::newRow("a missing folder") << dir.filePath(QStringLiteral("missing/report.pdf")) << false;
    QTest::newRow("a directory") << dir.path() << false;
    QTest::newRow("finished, twice") << dir.filePath(QStringLiteral("finish.pdf")) << true;
}

// An output that is not open does nothing and answers neutral values; finishing it again
// releases nothing twice.
void tst_PdfOutput::neutralUnlessOpen()
{
    QFETCH(QString, path);
    QFETCH(bool, opens);
    PDFOutput output;
    if (!path.isEmpty())
        QCOMPARE(output.startPDF(QStringLiteral("Tytuł"), path), opens);
    output.setupPage(a4Layout());
    output.finishPDF();
    checkNeutral(output);
    output.finishPDF();
    QVERIFY(!output.hasWriteError());
    if (opens)
        QCOMPARE(PdfProbe::pageCount(path), 1);
}

void tst_PdfOutput::writesAPdfOfSeveralPages()
{
    const QString path = dir.filePath(QStringLiteral("pages.pdf"));
    {
        PDFOutput output;
        QVERIFY(output.startPDF(QStringLiteral("Zażółć gęślą jaźń"), path));
        QCOMPARE(output.painter(), nullptr);
        output.setupPage(a4Layout());
        QVERIFY(output.painter() && output.painter()->isActive());
        const QRect rect = output.pageRect();
        QCOMPARE(rect.topLeft(), QPoint(0, 0));
        // 180 mm by 267 mm inside the margins, at the writer's resolution (Qt rounds the
        // paint rectangle to whole points first).
        QVERIFY(qAbs(rect.width() - 180.0 / 25.4 * output.ppiX()) < 0.005 * rect.width());
        QVERIFY(qAbs(rect.height() - 267.0 / 25.4 * output.ppiY()) < 0.005 * rect.height());

        output.painter()->drawText(100, 100, QStringLiteral("pierwsza"));
        output.newPage();
        output.painter()->drawText(100, 100, QStringLiteral("druga"));
    }
    QVERIFY(PdfProbe::structureValid(path));
    QCOMPARE(PdfProbe::info(path, QStringLiteral("Title")), QStringLiteral("Zażółć gęślą jaźń"));
    QCOMPARE(PdfProbe::info(path, QStringLiteral("Creator")), QStringLiteral("VORANT Mevolin 3"));
    const QStringList pages = PdfProbe::pageTexts(path);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages.at(0).contains(QStringLiteral("pierwsza")) && pages.at(1).contains(QStringLiteral("druga")));
}

void tst_PdfOutput::documentInformationForAnyTitle_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("pdfA1b");

    // Texts that look like the entries after the title, or whose UTF-16 bytes are parentheses
    // and backslashes, which the writer escapes.
    const QStringList tricky{QStringLiteral("Raport"), QStringLiteral("x\n/Creator (y)\n>>\nendobj\n"),
                             QStringLiteral("(a) \\ b)"), QString(QChar(0xFEFF)) + QChar(0x2800) + QChar(0x5C29),
                             QStringLiteral("Zestawienie ").repeated(500)};
    QTest::newRow("tricky") << tricky << false;
    QTest::newRow("tricky, PDF/A-1b") << tricky << true;
    const QString pieces = QStringLiteral("()\\/ \n>endobjCreator") + QChar(0x2800) + QChar(0x2829) + QChar(0xFEFF) + QChar(0x0105);
    QStringList generated;
    std::mt19937 random(7);
    for (int k = 0; k < 12; ++k) {
        QString title;
        for (int n = int(random() % 40) + 1; n > 0; --n)
            title += pieces.at(int(random() % unsigned(pieces.size())));
        generated.append(title);
    }
    QTest::newRow("generated") << generated << false;
}

// The document information of any title: the title as given, the creator, and a modification
// date that is the creation date, in a file whose offsets all hold.
void tst_PdfOutput::documentInformationForAnyTitle()
{
    QFETCH(QStringList, titles);
    QFETCH(bool, pdfA1b);
    const QString path = dir.filePath(QStringLiteral("info.pdf"));
    for (const QString &title : titles) {
        {
            PDFOutput output;
            output.setPdfA1b(pdfA1b);
            QVERIFY(output.startPDF(title, path));
            output.setupPage(a4Layout());
            output.painter()->drawText(100, 100, QStringLiteral("strona"));
            output.finishPDF();
        }
        QVERIFY2(PdfProbe::structureValid(path), qPrintable(title));
        const QHash<QString, QString> info = PdfProbe::documentInformation(path);
        QCOMPARE(info.value(QStringLiteral("/Title")), title);
        QCOMPARE(info.value(QStringLiteral("/Creator")), QStringLiteral("VORANT Mevolin 3"));
        QVERIFY(info.value(QStringLiteral("/CreationDate")).contains(QRegularExpression(QStringLiteral("^D:\\d{14}Z$"))));
        QCOMPARE(info.value(QStringLiteral("/ModDate")), info.value(QStringLiteral("/CreationDate")));
    }
}

void tst_PdfOutput::removesOnlyTheFileItWrote_data()
{
    QTest::addColumn<QString>("opened");       // the path given to startPDF()
    QTest::addColumn<QString>("replacement");  // put at "real.pdf" after the run, if any
    QTest::addColumn<bool>("removed");
    QTest::newRow("the file itself") << "real.pdf" << QString() << true;
    QTest::newRow("through a link, the link's target") << "link.pdf" << QString() << true;
    QTest::newRow("another file in its place") << "real.pdf" << "a stranger" << false;
    QTest::newRow("a link put in its place") << "real.pdf" << "->other.pdf" << false;
    QTest::newRow("a device") << "/dev/null" << QString() << false;
}

void tst_PdfOutput::removesOnlyTheFileItWrote()
{
    QFETCH(QString, opened);
    QFETCH(QString, replacement);
    QFETCH(bool, removed);
    const QString real = dir.filePath(QStringLiteral("real.pdf"));
    const QString other = dir.filePath(QStringLiteral("other.pdf"));
    QFile::remove(real);
    QFile::remove(dir.filePath(QStringLiteral("link.pdf")));
    QVERIFY(QFile::link(real, dir.filePath(QStringLiteral("link.pdf"))));
    QFile otherFile(other);
    QVERIFY(otherFile.open(QIODevice::WriteOnly));
    otherFile.close();

    PDFOutput output;
    QVERIFY(output.startPDF(QStringLiteral("T"), QDir(dir.path()).absoluteFilePath(opened)));
    output.setupPage(a4Layout());
    QVERIFY(!output.removeWrittenFile());   // not while it is still being written
    output.finishPDF();
    if (replacement.startsWith(QLatin1String("->"))) {
        QVERIFY(QFile::remove(real));
        QVERIFY(QFile::link(other, real));
    } else if (!replacement.isEmpty()) {
        // Renamed over it while the written file still exists, so that it has another inode.
        QFile stranger(dir.filePath(QStringLiteral("stranger.pdf")));
        QVERIFY(stranger.open(QIODevice::WriteOnly));
        stranger.close();
        QVERIFY(::rename(qPrintable(stranger.fileName()), qPrintable(real)) == 0);
    }

    QCOMPARE(output.removeWrittenFile(), removed);
    if (opened.startsWith(QLatin1Char('/'))) {
        QVERIFY(QFileInfo::exists(opened));
        return;
    }
    QCOMPARE(QFileInfo::exists(real), !removed);
    QVERIFY(QFileInfo::exists(other));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("link.pdf"))).isSymLink());
}

QTEST_MAIN(tst_PdfOutput)
#include "tst_pdfoutput.moc"
