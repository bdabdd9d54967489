#include "mvstringformatter.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// Texts of mixed ASCII, Polish letters, spaces, tabs, no-break spaces and ESC sequences.
QString randomText(QRandomGenerator &random, int maxLength)
{
    static const QString alphabet = QStringLiteral("abcXYZ019 ,.%ąćęłńóśźżĄŻ\t ") + QChar(0xA0);
    const int length = random.bounded(maxLength + 1);
    QString text;
    while (text.size() < length) {
        if (random.bounded(20) == 0) {
            text.append(QChar(0x1B));
            text.append(QLatin1Char("EW!a"[random.bounded(4)]));
        } else {
            text.append(alphabet.at(random.bounded(alphabet.size())));
        }
    }
    return text;
}

QString withoutWhitespace(const QString &text)
{
    QString result;
    for (QChar c : text) {
        if (!c.isSpace())
            result.append(c);
    }
    return result;
}

constexpr int kRounds = 20000;

} // namespace

// Properties that must hold for every input, widths outside the documented limits included.
class tst_FormatterFuzz : public QObject
{
    Q_OBJECT

private slots:
    void wrapsLoseNothing();
    void otherWrapsKeepEveryCharacter();
    void appendsEndAndKeepText();
    void quickViewKeepsLineCount();
    void cancelledLineStaysInTheList();
};

void tst_FormatterFuzz::wrapsLoseNothing()
{
    QRandomGenerator random(20261206);
    for (int round = 0; round < kRounds; ++round) {
        const QString text = randomText(random, 120);
        const int width = random.bounded(-5, 81);
        const size_t size = size_t(qint64(width));
        const int effective = qMax(width, 1);

        const QStringList simple = MvStringFormatter::wrapSimple(text, size);
        QCOMPARE(simple.join(QString()), text);
        for (const QString &line : simple)
            QVERIFY(line.size() <= effective && !line.isEmpty());

        const QStringList words = MvStringFormatter::wrap(text, size);
        QCOMPARE(withoutWhitespace(words.join(QString())), withoutWhitespace(text));
        for (const QString &line : words)
            QVERIFY(line.size() <= effective);
    }
}

void tst_FormatterFuzz::otherWrapsKeepEveryCharacter()
{
    QRandomGenerator random(7);
    for (int round = 0; round < kRounds; ++round) {
        const QString left = randomText(random, 90);
        const QString right = randomText(random, 30);
        const int width = random.bounded(-5, 81);

        const QStringList multiline = MvStringFormatter::wrappedMultiline(left, right, width);
        QVERIFY(!multiline.isEmpty());
        // The value stands on the first line, inside the label's text: compare the characters.
        QString joined = withoutWhitespace(multiline.join(QString()));
        QString expected = withoutWhitespace(left + right);
        std::sort(joined.begin(), joined.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(joined, expected);

        const QStringList rightAligned = MvStringFormatter::wrapRightAligned(left, width);
        QVERIFY(rightAligned.size() <= 2);
        QCOMPARE(withoutWhitespace(rightAligned.join(QString())), withoutWhitespace(left));

        const int from = random.bounded(-5, 100);
        const QString twice = MvStringFormatter::MakeItTwice(left, from);
        QCOMPARE(withoutWhitespace(twice), withoutWhitespace(left));
        QVERIFY(twice.size() <= 2 * left.size() + 1);
    }
}

void tst_FormatterFuzz::appendsEndAndKeepText()
{
    QRandomGenerator random(99);
    for (int round = 0; round < kRounds / 4; ++round) {
        const QString left = randomText(random, 90);
        const QString right = randomText(random, 50);
        const int indent = random.bounded(-5, 50);
        MvStringFormatter f;
        f.setWidth(random.bounded(-5, 81));
        const QString expected = withoutWhitespace(left + right);

        const auto check = [&](const char *member) {
            const QString all = withoutWhitespace(f.lines().join(QString()));
            QVERIFY2(all == expected, member);
            QCOMPARE(f.allCount(), f.lines().size());
            f.Clear();
        };
        f.AppFormatWRightWrap(left, right);
        check("AppFormatWRightWrap");
        f.AppFormatWIndentMultiline(left, right, indent);
        check("AppFormatWIndentMultiline");
        f.AppFormatWFirstWrap(left, right, random.bounded(2) == 0);
        check("AppFormatWFirstWrap");
        f.AppFormatWrappedRightAlign(left, right);
        check("AppFormatWrappedRightAlign");
        f.AppFormatWRightWrapCommand(left, QString(), right, indent);
        check("AppFormatWRightWrapCommand");
        f.AppFormatIndentSecondMultiline(left + right, indent);
        check("AppFormatIndentSecondMultiline");
        f.AppFormatWrappedCentered(left + right);
        check("AppFormatWrappedCentered");
        f.AppendWrapped(left + right, random.bounded(-5, 81), indent, random.bounded(2) == 0);
        check("AppendWrapped");
    }
}

void tst_FormatterFuzz::quickViewKeepsLineCount()
{
    QRandomGenerator random(3);
    for (int round = 0; round < kRounds / 10; ++round) {
        QStringList lines;
        const int count = random.bounded(10);
        for (int i = 0; i < count; ++i)
            lines.append(randomText(random, 60));
        const QStringList display = MvStringFormatter::quickViewFormat(lines);
        QCOMPARE(display.size(), lines.size());
        for (int i = 0; i < count; ++i) {
            QVERIFY(!display.at(i).isEmpty());
            if (!lines.at(i).contains(QChar(0x1B)) && !lines.at(i).isEmpty())
                QCOMPARE(display.at(i), lines.at(i));
        }
    }
}

void tst_FormatterFuzz::cancelledLineStaysInTheList()
{
    QRandomGenerator random(11);
    for (int round = 0; round < kRounds / 10; ++round) {
        MvStringFormatter f;
        const int count = random.bounded(6);
        const int marker = random.bounded(count + 1);   // == count: no marker
        for (int i = 0; i < count; ++i)
            f.Append(i == marker ? QStringLiteral(" anulowany ") : randomText(random, 20), false);
        const int window = random.bounded(-3, 9);
        const bool inWindow = marker < count
                && (window <= 0 || window > count || marker >= count - window);
        // Random lines may spell the marker by chance only in theory; the alphabet has no N.
        QCOMPARE(f.haveCancelledLine(window), inWindow);
    }
}

QTEST_MAIN(tst_FormatterFuzz)
#include "tst_formatterfuzz.moc"
