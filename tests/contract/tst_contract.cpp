#include "asyncreportsbase.h"
#include "asyncreportshelper.h"
#include "mvfailure.h"
#include "mvkeys.h"
#include "mvlayout.h"
#include "mvstringformatter.h"
#include "pdfoutput.h"
#include "pdfprobe.h"
#include "pdfrenderer.h"
#include "pdfrendererbase.h"
#include "testjob.h"

#include <QMetaEnum>
#include <QPageLayout>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <type_traits>

// Hosts compile the keys' values into their own code: their type is part of that.
static_assert(std::is_same<std::underlying_type<MvKeys::Format>::type, int>::value
                      && std::is_same<std::underlying_type<MvKeys::Pen>::type, int>::value
                      && std::is_same<std::underlying_type<MvKeys::ItemData>::type, int>::value
                      && std::is_same<std::underlying_type<MvKeys::DocumentAttribute>::type, int>::value,
              "the keys are ints");

namespace {

// The job's and the renderer's month lists are protected: a host reaches them by deriving.
class MonthsJob : public TestJob
{
public:
    QStringList months() const { return monthNames; }
};

class MonthsRenderer : public PDFRendererBase
{
public:
    using PDFRendererBase::PDFRendererBase;
    QStringList months() const { return monthNames; }
};

} // namespace

// The values a host builds into its own binary or shows its users, each against the number or
// text written here: the keys, the outcomes, the layout measures, the month names, the texts of
// the message functions and the formatter's defaults, and the creator of every file.
class tst_Contract : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void enumerators_data();
    void enumerators();
    void measures_data();
    void measures();
    void monthNames_data();
    void monthNames();
    void texts_data();
    void texts();
    void formatterDefaults();
    void creator();
};

void tst_Contract::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("TitleFormat") << int(MvKeys::TitleFormat) << 0;
    QTest::newRow("SubtitleFormat") << int(MvKeys::SubtitleFormat) << 1;
    QTest::newRow("PrintoutFormat") << int(MvKeys::PrintoutFormat) << 2;
    QTest::newRow("HeaderRightFormat") << int(MvKeys::HeaderRightFormat) << 3;
    QTest::newRow("FooterFormat") << int(MvKeys::FooterFormat) << 4;
    QTest::newRow("DocumentLabelFormat") << int(MvKeys::DocumentLabelFormat) << 5;
    QTest::newRow("RulePen") << int(MvKeys::RulePen) << 0;
    QTest::newRow("ColumnSeparatorPen") << int(MvKeys::ColumnSeparatorPen) << 1;
    QTest::newRow("DocumentSeparatorPen") << int(MvKeys::DocumentSeparatorPen) << 2;
    QTest::newRow("SpacedKey") << int(MvKeys::SpacedKey) << 2;
    QTest::newRow("TightKey") << int(MvKeys::TightKey) << 3;
    QTest::newRow("FullHeightKey") << int(MvKeys::FullHeightKey) << 4;
    QTest::newRow("CentredKey") << int(MvKeys::CentredKey) << 5;
    QTest::newRow("HeightFactorKey") << int(MvKeys::HeightFactorKey) << 8;
    QTest::newRow("NumberAttribute") << int(MvKeys::NumberAttribute) << 0;
    QTest::newRow("TitleAttribute") << int(MvKeys::TitleAttribute) << 1;
}

void tst_Contract::keys()
{
    QFETCH(int, key);
    QFETCH(int, expected);
    QCOMPARE(key, expected);
}

// The outcomes and failure reasons by number, and by the name the meta-object gives a host
// that shows or stores them (QMetaEnum::valueToKey()).
void tst_Contract::enumerators_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    using Outcome = AsyncReportsBase::Outcome;
    using Reason = MvFailure::Reason;
    QTest::newRow("Outcome::Completed") << int(Outcome::Completed) << 0;
    QTest::newRow("Outcome::Cancelled") << int(Outcome::Cancelled) << 1;
    QTest::newRow("Outcome::NoData") << int(Outcome::NoData) << 2;
    QTest::newRow("Outcome::WriteFailed") << int(Outcome::WriteFailed) << 3;
    QTest::newRow("Outcome::LayoutFailed") << int(Outcome::LayoutFailed) << 4;
    QTest::newRow("Outcome::TimestampOutOfRange") << int(Outcome::TimestampOutOfRange) << 5;
    QTest::newRow("Reason::None") << int(Reason::None) << 0;
    QTest::newRow("Reason::Cancelled") << int(Reason::Cancelled) << 1;
    QTest::newRow("Reason::NoData") << int(Reason::NoData) << 2;
    QTest::newRow("Reason::NoApplication") << int(Reason::NoApplication) << 3;
    QTest::newRow("Reason::FontsMissing") << int(Reason::FontsMissing) << 4;
    QTest::newRow("Reason::CannotWrite") << int(Reason::CannotWrite) << 5;
    QTest::newRow("Reason::OutOfMemory") << int(Reason::OutOfMemory) << 6;
    QTest::newRow("Reason::LayoutImpossible") << int(Reason::LayoutImpossible) << 7;
    QTest::newRow("Reason::OutlinePatternFailed") << int(Reason::OutlinePatternFailed) << 8;
    QTest::newRow("Reason::OutlinePatternTooSlow") << int(Reason::OutlinePatternTooSlow) << 9;
    QTest::newRow("Reason::TimestampOutOfRange") << int(Reason::TimestampOutOfRange) << 10;
    QTest::newRow("Reason::HeaderTooTall") << int(Reason::HeaderTooTall) << 11;
}

void tst_Contract::enumerators()
{
    QFETCH(int, value);
    QFETCH(int, expected);
    QCOMPARE(value, expected);
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    const QMetaEnum type = tag.startsWith(QLatin1String("Outcome"))
            ? QMetaEnum::fromType<AsyncReportsBase::Outcome>() : QMetaEnum::fromType<MvFailure::Reason>();
    QCOMPARE(QString::fromLatin1(type.name()) + QLatin1String("::") + QLatin1String(type.valueToKey(expected)), tag);
    // A new outcome is a new case in every host's switch: it must be pinned here as well.
    if (tag.startsWith(QLatin1String("Outcome")))
        QCOMPARE(type.keyCount(), 6);
}

void tst_Contract::measures_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    static_assert(std::is_same<decltype(MvLayout::LongLineLength), const int>::value, "a length in code units");
    QTest::newRow("LongLineLength") << double(MvLayout::LongLineLength) << 50.0;
    QTest::newRow("LinePitch") << MvLayout::LinePitch << 0.8;
    QTest::newRow("ThreeColumnReserveMm") << MvLayout::ThreeColumnReserveMm << 3.0;
    QTest::newRow("DocumentGapMm") << MvLayout::DocumentGapMm << 1.0;
    QTest::newRow("RuleInsetMm") << MvLayout::RuleInsetMm << 2.0;
    QTest::newRow("DefaultOutlineGroupSize") << double(PDFRendererBase::DefaultOutlineGroupSize) << 100.0;
    QTest::newRow("composer ppi") << double(AsyncReportsHelper().ppi) << 120.0;
}

void tst_Contract::measures()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    // Exact: these are written, not computed.
    QVERIFY2(value == expected, qPrintable(QStringLiteral("%1 != %2").arg(value, 0, 'g', 17).arg(expected, 0, 'g', 17)));
}

void tst_Contract::monthNames_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("name");
    const QStringList names = QString::fromUtf8(",stycznia,lutego,marca,kwietnia,maja,czerwca,lipca,sierpnia,"
                                                "września,października,listopada,grudnia").split(QLatin1Char(','));
    for (int month = 0; month < names.size(); ++month)
        QTest::addRow("%d", month) << month << names.at(month);
}

void tst_Contract::monthNames()
{
    QFETCH(int, month);
    QFETCH(QString, name);
    MonthsJob job;
    const MonthsRenderer renderer(&job);
    QCOMPARE(job.months().size(), 13);
    QCOMPARE(job.months().at(month), name);
    QCOMPARE(renderer.months().size(), 13);
    QCOMPARE(renderer.months().at(month), name);
}

void tst_Contract::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString path = QStringLiteral("/dane/raport.pdf");
    const QString pattern = QStringLiteral("^PARAGON %1");
    const auto row = [](const char *name, const QString &text, const char *expected) {
        QTest::newRow(name) << text << QString::fromUtf8(expected);
    };
    row("cancelled", AsyncReportsBase::cancelledMessage(), "Generowanie dokumentu przerwane przez użytkownika.");
    row("no data", AsyncReportsBase::noDataMessage(), "Błąd renderowania PDF. Brak danych?");
    row("cannot write", PDFRendererBase::cannotWriteMessage(path), "Nie można zapisać pliku PDF: /dane/raport.pdf");
    row("cannot write a device", PDFRendererBase::cannotWriteMessage(QString()), "Nie można zapisać pliku PDF");
    row("fonts missing", PDFRendererBase::missingFontsMessage({QStringLiteral("Open Sans"), QStringLiteral("Liberation Mono")}),
        "Brak czcionek potrzebnych do utworzenia pliku PDF: Open Sans, Liberation Mono");
    row("no application", PDFRendererBase::noApplicationMessage(),
        "Brak obiektu QApplication potrzebnego do utworzenia pliku PDF");
    row("out of memory", PDFRendererBase::outOfMemoryMessage(path), "Brak pamięci do zapisania pliku PDF: /dane/raport.pdf");
    row("out of memory, a device", PDFRendererBase::outOfMemoryMessage(QString()), "Brak pamięci do zapisania pliku PDF");
    row("timestamp out of range",
        PDFRendererBase::timestampOutOfRangeMessage(QDateTime(QDate(10000, 1, 2), QTime(3, 4, 5), Qt::UTC)),
        "Data pliku PDF spoza zakresu lat od 1 do 9999: 10000-01-02T03:04:05Z");
    row("header too tall", PDFRendererBase::headerTooTallMessage(), "Nagłówek strony nie zostawia miejsca na treść raportu");
    row("page label", PDFRendererBase::pageLabel(3, 12), "- Strona 3 z 12 -");
    row("headings too tall", PDFRenderer::headingsTooTallMessage(3),
        "Nagłówki kolumn nie zostawiają miejsca na wiersz raportu (liczba wierszy nagłówka: 3)");
    row("outline pattern failed", PDFRenderer::outlinePatternFailedMessage(7, pattern),
        "Nie można dopasować wzorca konspektu do wiersza 7: ^PARAGON %1");
    row("outline pattern too slow", PDFRenderer::outlinePatternTooSlowMessage(7, pattern),
        "Wzorzec konspektu jest zbyt wolny (wiersz 7): ^PARAGON %1");
}

void tst_Contract::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

// The width, the separator line, the cancellation marker, and the default arguments, which
// are compiled into the host's calls.
void tst_Contract::formatterDefaults()
{
    MvStringFormatter formatter;
    QCOMPARE(formatter.width(), 40);
    QVERIFY(!formatter.isWide());
    formatter.AppendSeparator();
    formatter.AppendSeparator();                    // not forced: no second one in a row
    formatter.AppendEmpty();                        // one line
    formatter.Append(QStringLiteral("ANULOWANY"));  // counted
    QCOMPARE(formatter.lines(), QStringList({QStringLiteral("- ").repeated(20), QStringLiteral(" "),
                                             QStringLiteral("ANULOWANY")}));
    QCOMPARE(formatter.allCount(), 3);
    QCOMPARE(formatter.nonCount(), 2);
    QVERIFY(formatter.haveCancelledLine(1));
    formatter.Append(QStringLiteral("ANULOWANA"));
    QVERIFY(!formatter.haveCancelledLine(1));
}

// The creator in the document information of every file the library writes.
void tst_Contract::creator()
{
    if (QStandardPaths::findExecutable(QStringLiteral(QPDF_EXECUTABLE)).isEmpty())
        QSKIP("qpdf is not installed: the document information cannot be read back");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("creator.pdf"));
    {
        PDFOutput output;
        QVERIFY(output.startPDF(QStringLiteral("Raport"), path));
        output.setupPage(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        output.painter()->drawText(100, 100, QStringLiteral("strona"));
        output.finishPDF();
    }
    QCOMPARE(PdfProbe::documentInformation(path).value(QStringLiteral("/Creator")),
             QStringLiteral("VORANT Mevolin 3"));
}

QTEST_MAIN(tst_Contract)
#include "tst_contract.moc"
