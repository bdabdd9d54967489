#include "mvkeys.h"
#include "asyncreportshelper.h"
#include "columnfit.h"

#include <QGraphicsItem>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

constexpr int kBodyFormat = MvKeys::PrintoutFormat;

// Random lines of printable ASCII and Polish letters, now and then with a character outside
// Latin (an arrow, a mathematical letter beyond the Basic Multilingual Plane, a tab).
QString randomLine(QRandomGenerator &random)
{
    static const QString latin = QStringLiteral("abcxyzWMi.,:;!|ąęłóżŻĆ 0123456789");
    static const QStringList others{QString(QChar(0x27F9)), QString::fromUtf8("𝕏"), QStringLiteral("\t")};
    QString line;
    const int length = random.bounded(120);
    for (int i = 0; i < length; ++i) {
        line += random.bounded(30) == 0 ? others.at(random.bounded(others.size()))
                                        : QString(latin.at(random.bounded(latin.size())));
    }
    return line;
}

} // namespace

// Measuring text as the composer draws it (cutting it is checked on the tool's pages).
class tst_ColumnFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void widthIsTheItemsWidth();

private:
    double itemWidth(const QString &text, int format);
    AsyncReportsHelper helper;
};

void tst_ColumnFit::initTestCase()
{
    helper.createScene(QRect(0, 0, 850, 1260));
}

double tst_ColumnFit::itemWidth(const QString &text, int format)
{
    const std::unique_ptr<QGraphicsItem> item(helper.createTextItemWithFormat(text, helper.formats[format]));
    return item->boundingRect().width();
}

// Plain Latin lines are measured by their length and last character only: that must give
// exactly what a text item of the line measures, like the full measurement of other lines.
void tst_ColumnFit::widthIsTheItemsWidth()
{
    const ColumnFit fit(helper);
    QRandomGenerator random(4711);
    for (int i = 0; i < 3000; ++i) {
        const QString line = randomLine(random);
        QCOMPARE(fit.lineWidth(line), itemWidth(line, kBodyFormat));
    }
    for (int format = MvKeys::TitleFormat; format <= MvKeys::DocumentLabelFormat; ++format) {
        const QString text = QStringLiteral("Dokument nr 1234 — żółć");
        QCOMPARE(fit.width(text, helper.formats[format]), itemWidth(text, format));
    }
}

QTEST_MAIN(tst_ColumnFit)
#include "tst_columnfit.moc"
