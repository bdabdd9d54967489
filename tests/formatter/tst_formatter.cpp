#include "logcore.h"
#include "mvstringformatter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString sp(int n)
{
    return QString(n, QLatin1Char(' '));
}

QString chars(int n, char c = 'a')
{
    return QString(n, QLatin1Char(c));
}

// A text of n characters, each telling its position: "0123456789012...".
QString digits(int n, int from = 0)
{
    QString text;
    for (int i = from; i < from + n; ++i)
        text.append(QLatin1Char(char('0' + i % 10)));
    return text;
}

const QString kEsc = QString(QChar(0x1B));
const QString kSeparator40 = QStringLiteral("- ").repeated(20);

// Random printout text: ASCII, Polish letters, whitespace, ESC sequences and characters
// beyond the Basic Multilingual Plane (two code units each).
QString randomText(QRandomGenerator &random, int maxLength)
{
    static const QStringList pieces = QString::fromUtf8("a b c X 0 9 , . % ą ż Ż \t 😀 𝄞").split(QLatin1Char(' '))
            + QStringList{QStringLiteral(" "), QString(QChar(0xA0)), kEsc + QLatin1Char('E'), kEsc + QLatin1Char('!')};
    QString text;
    const int length = random.bounded(maxLength + 1);
    while (text.size() < length)
        text += pieces.at(random.bounded(pieces.size()));
    return text;
}

QString nonSpace(const QStringList &lines)
{
    QString result;
    for (const QString &line : lines) {
        for (const QChar c : line) {
            if (!c.isSpace())
                result.append(c);
        }
    }
    return result;
}

// No half of a surrogate pair stands alone.
bool wellFormed(const QStringList &lines)
{
    for (const QString &line : lines) {
        for (int i = 0; i < line.size(); ++i) {
            if (line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate())
                ++i;
            else if (line.at(i).isSurrogate())
                return false;
        }
    }
    return true;
}

} // namespace

class tst_Formatter : public QObject
{
    Q_OBJECT

private slots:
    void appendTextSplitsLines_data();
    void appendTextSplitsLines();
    void separators();
    void separatorRecognition_data();
    void separatorRecognition();
    void seamsKeepOneSeparator();

    void alignment_data();
    void alignment();
    void getSeparator_data();
    void getSeparator();
    void makeItTwice_data();
    void makeItTwice();
    void wrap_data();
    void wrap();
    void wrapSimple_data();
    void wrapSimple();
    void wrapRightAligned_data();
    void wrapRightAligned();
    void wrappedMultiline_data();
    void wrappedMultiline();

    void appends_data();
    void appends();
    void firstWrapKeepsPlaceMarkers_data();
    void firstWrapKeepsPlaceMarkers();

    void lineMatches();
    void cancelledLine_data();
    void cancelledLine();
    void quickView_data();
    void quickView();
    void invalidPatternIsLogged();

    void randomTextsKeepEveryCharacter();
};

void tst_Formatter::appendTextSplitsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("count");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("counted");

    QTest::newRow("two lines counted") << "ab\ncd" << true << QStringList{"ab", "cd"} << 2;
    QTest::newRow("empty text uncounted") << "" << false << QStringList{""} << 0;
    QTest::newRow("trailing line feed") << "ab\n" << true << QStringList{"ab", ""} << 2;
    QTest::newRow("carriage return kept") << "ab\r\ncd" << true << QStringList{"ab\r", "cd"} << 2;
}

void tst_Formatter::appendTextSplitsLines()
{
    QFETCH(QString, text);
    QFETCH(bool, count);
    QFETCH(QStringList, lines);
    QFETCH(int, counted);
    MvStringFormatter f;
    f.Append(text, count);
    QCOMPARE(f.lines(), lines);
    QCOMPARE(f.allCount(), counted);
    QCOMPARE(f.nonCount(), counted);
}

void tst_Formatter::separators()
{
    MvStringFormatter f;
    f.AppendSeparator(false);
    f.AppendSeparator(false);
    QCOMPARE(f.lines(), QStringList{kSeparator40});
    QCOMPARE(f.allCount(), 1);
    QCOMPARE(f.nonCount(), 0);
    f.AppendSeparator(true);
    QCOMPARE(f.lines().size(), 2);
    QCOMPARE(f.allCount(), 2);

    MvStringFormatter odd;
    odd.setWidth(41);
    odd.AppendSeparator(false);
    QCOMPARE(odd.lines().first(), kSeparator40);
    MvStringFormatter narrow;
    narrow.setWidth(1);
    narrow.AppendSeparator(false);
    narrow.AppendSeparator(false);   // the empty line equals the empty separator
    QCOMPARE(narrow.lines(), QStringList{QString()});
    MvStringFormatter negative;
    negative.setWidth(-7);
    negative.AppendSeparator(true);
    QCOMPARE(negative.lines(), QStringList{QString()});
}

void tst_Formatter::separatorRecognition_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("separator");

    QTest::newRow("four pairs and text") << "- - - - SUMA" << true;
    QTest::newRow("full separator") << kSeparator40 << true;
    QTest::newRow("three pairs and a letter") << "- - - x" << false;
    QTest::newRow("four pairs after a space") << " - - - - " << false;
    QTest::newRow("width-6 separator is three pairs") << "- - - " << false;
    QTest::newRow("four dashes without spaces") << "----" << false;
}

void tst_Formatter::separatorRecognition()
{
    QFETCH(QString, line);
    QFETCH(bool, separator);
    MvStringFormatter f;
    QCOMPARE(f.isSeparator(line), separator);
    QStringList list{line, QStringLiteral("tekst")};
    QCOMPARE(f.GetLinesCount(list), long(separator ? 1 : 2));
}

void tst_Formatter::seamsKeepOneSeparator()
{
    MvStringFormatter first;
    first.Append(QStringLiteral("góra"), true);
    first.AppendSeparator(false);
    MvStringFormatter second;
    second.AppendSeparator(false);
    second.Append(QStringLiteral("dół"), true);
    second.setWidth(40);

    MvStringFormatter joined = first;
    joined.Append(second, true);
    QCOMPARE(joined.lines(), QStringList({QStringLiteral("góra"), kSeparator40, QStringLiteral("dół")}));
    // 2 counted before, minus the dropped separator, plus both lines of the other.
    QCOMPARE(joined.allCount(), 2 - 1 + 2);
    QCOMPARE(joined.nonCount(), 1 + 2);

    MvStringFormatter prepended = second;
    prepended.Prepend(first, false);
    QCOMPARE(prepended.lines(), QStringList({QStringLiteral("góra"), kSeparator40, QStringLiteral("dół")}));
    QCOMPARE(prepended.allCount(), 2 - 1);

    // Separators of another width are not the same line: no strip.
    MvStringFormatter wide;
    wide.setWidth(42);
    wide.AppendSeparator(false);
    MvStringFormatter plain = first;
    plain.Append(wide, false);
    QCOMPARE(plain.lines().size(), 3);
    QCOMPARE(plain.width(), 42);
}

void tst_Formatter::alignment_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("expected");

    using F = MvStringFormatter;
    QTest::newRow("FormatL pads right") << F::FormatL("abc", 6) << "abc   ";
    QTest::newRow("FormatL never cuts") << F::FormatL("abcdef", 3) << "abcdef";
    QTest::newRow("FormatR pads left") << F::FormatR("abc", 6) << "   abc";
    QTest::newRow("FormatC 5 of 40") << F::FormatC(chars(5), 40) << sp(17) + chars(5);
    QTest::newRow("FormatC 6 of 40") << F::FormatC(chars(6), 40) << sp(17) + chars(6);
    QTest::newRow("FormatC too long") << F::FormatC(chars(5), 4) << chars(5);
    QTest::newRow("FormatC width - 1") << F::FormatC(chars(5), 6) << chars(5);
    QTest::newRow("FormatW right ends at 40") << F::FormatW(chars(4), chars(5, 'b'), 40)
                                              << chars(4) + sp(31) + chars(5, 'b');
    QTest::newRow("FormatW too long touches") << F::FormatW(chars(30), chars(30, 'b'), 40)
                                              << chars(30) + chars(30, 'b');
    QTest::newRow("nBSP") << F::nBSP("a  b\tc") << "a&nbsp;&nbsp;b\tc";
}

void tst_Formatter::alignment()
{
    QFETCH(QString, result);
    QFETCH(QString, expected);
    QCOMPARE(result, expected);
}

void tst_Formatter::getSeparator_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    QTest::newRow("40") << 40 << "- " << kSeparator40;
    QTest::newRow("41") << 41 << "- " << kSeparator40;
    QTest::newRow("1") << 1 << "- " << "";
    QTest::newRow("negative") << -10 << "- " << "";
    QTest::newRow("one character") << 10 << "=" << "==========";
    QTest::newRow("empty pattern") << 10 << "" << "";
}

void tst_Formatter::getSeparator()
{
    QFETCH(int, width);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(MvStringFormatter::GetSeparator(width, pattern), expected);
    if (pattern == QLatin1String("- ")) {
        QStringList list{QStringLiteral("x")};
        MvStringFormatter::PrintSeparator(list, width);
        QCOMPARE(list, QStringList({QStringLiteral("x"), expected}));
    }
}

void tst_Formatter::makeItTwice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("expected");

    QTest::newRow("from 0") << "abcd" << 0 << "a b c d ";
    QTest::newRow("from 2") << "abcd" << 2 << "abc d ";
    QTest::newRow("from -1") << "ab" << -1 << " a b ";
    QTest::newRow("from below -1 as -1") << "ab" << -9 << " a b ";
    QTest::newRow("last index") << "abc" << 2 << "abc ";
    QTest::newRow("beyond the end") << "abc" << 3 << "abc";
    QTest::newRow("far beyond") << "abc" << INT_MAX << "abc";
    QTest::newRow("empty") << "" << 0 << "";
    // 😀 and 𝄞 are two UTF-16 code units each, one character.
    QTest::newRow("a surrogate pair is one character") << "a😀b" << 0 << "a 😀 b ";
    QTest::newRow("from the pair's second half") << "😀ab" << 1 << "😀 a b ";
}

void tst_Formatter::makeItTwice()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(QString, expected);
    QCOMPARE(MvStringFormatter::MakeItTwice(text, from), expected);
}

void tst_Formatter::wrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty text, no lines") << "" << 5 << QStringList();
    QTest::newRow("fits") << "abc" << 3 << QStringList{"abc"};
    QTest::newRow("break at last space before width") << "abc   def" << 5 << QStringList{"abc  ", "def"};
    QTest::newRow("leading spaces stay") << "   abc def" << 6 << QStringList{"   abc", "def"};
    QTest::newRow("trailing space, no empty line") << "abc " << 3 << QStringList{"abc"};
    QTest::newRow("hard cut inside a long word") << "abcdefgh" << 3 << QStringList{"abc", "def", "gh"};
    QTest::newRow("words") << "ala ma kota i psa" << 7 << QStringList{"ala ma", "kota i", "psa"};
    QTest::newRow("only one space dropped") << "ab  cd" << 2 << QStringList{"ab", " c", "d"};
    QTest::newRow("no-break space is whitespace") << QString("ab") + QChar(0xA0) + "cd" << 3
                                                  << QStringList{"ab", "cd"};
    QTest::newRow("width 0 taken as 1") << "abc" << 0 << QStringList{"a", "b", "c"};
    QTest::newRow("negative width taken as 1") << "ab" << -4 << QStringList{"a", "b"};
    QTest::newRow("hard cut before a surrogate pair") << "ab😀cd" << 3 << QStringList{"ab", "😀c", "d"};
    QTest::newRow("a pair wider than the width stays whole") << "😀𝄞" << 1 << QStringList{"😀", "𝄞"};
}

void tst_Formatter::wrap()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QStringList, lines);
    QCOMPARE(MvStringFormatter::wrap(text, size_t(qint64(width))), lines);
}

void tst_Formatter::wrapSimple_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << "" << 4 << QStringList();
    QTest::newRow("spaces are text") << "ab cd ef" << 3 << QStringList{"ab ", "cd ", "ef"};
    QTest::newRow("exact multiple") << "abcdef" << 3 << QStringList{"abc", "def"};
    QTest::newRow("width 0 taken as 1") << "ab" << 0 << QStringList{"a", "b"};
    QTest::newRow("cut before a surrogate pair") << "a😀b" << 2 << QStringList{"a", "😀", "b"};
    QTest::newRow("pairs at width 1") << "😀𝄞x" << 1 << QStringList{"😀", "𝄞", "x"};
}

void tst_Formatter::wrapSimple()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QStringList, lines);
    QCOMPARE(MvStringFormatter::wrapSimple(text, size_t(qint64(width))), lines);
}

void tst_Formatter::wrapRightAligned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty: one empty line") << "" << 10 << QStringList{""};
    QTest::newRow("fits") << "abc def" << 10 << QStringList{"abc def"};
    QTest::newRow("space beyond the width ignored") << "abcd efghij klm" << 10
                                                    << QStringList{"abcd", "efghij klm"};
    QTest::newRow("tail right-justified") << "abcd efghijklmn" << 10
                                          << QStringList{"abcd", "efghijklmn"};
    QTest::newRow("short tail padded") << "abcdefgh ijk" << 10 << QStringList{"abcdefgh", "       ijk"};
    QTest::newRow("no whitespace") << "abcdefghijklmno" << 10 << QStringList{"abcdefghij", "klmno"};
    QTest::newRow("break at index 0") << " abcdefghijklmn" << 10 << QStringList{"", "abcdefghijklmn"};
    QTest::newRow("space at the width") << "abcdefghij klmno" << 10
                                        << QStringList{"abcdefghij", "     klmno"};
    QTest::newRow("tab counts") << "abc\tdefghijkl" << 10 << QStringList{"abc", " defghijkl"};
    QTest::newRow("no-break space does not") << QString("abc") + QChar(0xA0) + "defghijkl" << 10
                                             << QStringList{"abc" + QString(QChar(0xA0)) + "defghi", "jkl"};
    QTest::newRow("no whitespace, cut before a pair") << "abcdefghi😀jk" << 10
                                                      << QStringList{"abcdefghi", "😀jk"};
}

void tst_Formatter::wrapRightAligned()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QStringList, lines);
    QCOMPARE(MvStringFormatter::wrapRightAligned(text, width), lines);
}

void tst_Formatter::wrappedMultiline_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("one line") << "Chleb" << "3,50" << 20 << QStringList{"Chleb" + sp(11) + "3,50"};
    QTest::newRow("50 and 4 at 20") << digits(50) << "9,99" << 20
                                    << QStringList{digits(15) + " 9,99", digits(15, 15),
                                                   digits(15, 30), digits(5, 45)};
    QTest::newRow("exactly full is not one line") << chars(16) << "1,00" << 20
                                                  << QStringList{chars(15) + " 1,00", "a"};
    QTest::newRow("right too long: one character a line") << "abc" << chars(25, 'x') << 20
                                                         << QStringList{"a " + chars(25, 'x'), "b", "c"};
    QTest::newRow("empty left, long right") << "" << chars(25, 'x') << 20
                                            << QStringList{chars(25, 'x')};
}

void tst_Formatter::wrappedMultiline()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, width);
    QFETCH(QStringList, lines);
    QCOMPARE(MvStringFormatter::wrappedMultiline(left, right, width), lines);
}

// Each row appends through one member at W = 40 and lists the lines expected.
void tst_Formatter::appends_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("C") << "C" << QStringList{"Paragon"} << 0 << QStringList{sp(16) + "Paragon"};
    QTest::newRow("W 10 and 10") << "W" << QStringList{chars(10), chars(10, 'b')} << 0
                                 << QStringList{chars(10) + sp(20) + chars(10, 'b')};
    QTest::newRow("WIndent") << "WIndent" << QStringList{"Razem", "5,00"} << 3
                             << QStringList{sp(3) + "Razem" + sp(28) + "5,00"};
    QTest::newRow("WIndent empty value pads") << "WIndent" << QStringList{"Razem", ""} << 2
                                              << QStringList{(sp(2) + "Razem").leftJustified(40)};
    QTest::newRow("FirstWrap fits") << "FirstWrap" << QStringList{chars(20), chars(18, 'b')} << 0
                                    << QStringList{chars(20) + " " + chars(18, 'b')};
    QTest::newRow("FirstWrap 20 and 19 do not fit") << "FirstWrap" << QStringList{chars(20), chars(19, 'b')} << 0
                                                    << QStringList{chars(20), chars(19, 'b').leftJustified(40)};
    QTest::newRow("FirstWrap no gap fits") << "FirstWrapNoGap" << QStringList{chars(20), chars(19, 'b')} << 0
                                           << QStringList{chars(20) + chars(19, 'b')};
    QTest::newRow("FirstWrap slices of 40") << "FirstWrap" << QStringList{"L", digits(90)} << 0
                                            << QStringList{"L", digits(40), digits(40, 40),
                                                           digits(10, 80).leftJustified(40)};
    QTest::newRow("IndentMultiline fits") << "IndentMultiline" << QStringList{"ab", "cd"} << 2
                                          << QStringList{"  ab" + sp(34) + "cd"};
    QTest::newRow("IndentMultiline 2, 10, 40") << "IndentMultiline" << QStringList{chars(10), digits(40)} << 2
                                               << QStringList{sp(2) + chars(10) + " " + digits(27),
                                                              (sp(2) + digits(13, 27)).leftJustified(40)};
    QTest::newRow("IndentSecondMultiline 90, 3") << "IndentSecond" << QStringList{digits(90)} << 3
                                                 << QStringList{digits(40), sp(3) + digits(40, 40),
                                                                sp(3) + digits(10, 80)};
    QTest::newRow("IndentSecondMultiline fits") << "IndentSecond" << QStringList{chars(40)} << 3
                                                << QStringList{chars(40)};
    QTest::newRow("RightWrap fits") << "RightWrap" << QStringList{"Mleko", "2,99"} << 0
                                    << QStringList{"Mleko" + sp(31) + "2,99"};
    QTest::newRow("RightWrap 30 and 10") << "RightWrap" << QStringList{chars(30), digits(10)} << 0
                                         << QStringList{chars(30), sp(30) + digits(10)};
    QTest::newRow("RightWrap 50 and 5") << "RightWrap" << QStringList{digits(50), "12,00"} << 0
                                        << QStringList{digits(40), digits(10, 40) + sp(25) + "12,00"};
    QTest::newRow("RightWrap indented pieces of 36") << "RightWrap" << QStringList{sp(4) + digits(60), "1,00"} << 0
                                                     << QStringList{sp(4) + digits(36),
                                                                    sp(4) + digits(24, 36) + sp(8) + "1,00"};
    QTest::newRow("RightWrap indent counted twice") << "RightWrap" << QStringList{sp(4) + digits(64), "1,00"} << 0
                                                    << QStringList{sp(4) + digits(36), sp(4) + digits(28, 36),
                                                                   sp(36) + "1,00"};
    QTest::newRow("RightWrap long value wrapped") << "RightWrap" << QStringList{sp(4) + chars(40), "ab " + chars(40, 'c')} << 0
                                                  << QStringList{sp(4) + chars(36), sp(4) + chars(4),
                                                                 sp(4) + "ab", sp(4) + chars(36, 'c'),
                                                                 sp(4) + chars(4, 'c')};
    QTest::newRow("RightWrap label of spaces") << "RightWrap" << QStringList{sp(45), "1,00"} << 0
                                               << QStringList{sp(40), sp(5) + sp(31) + "1,00"};
    QTest::newRow("WrappedCentered empty") << "WrappedCentered" << QStringList{""} << 0 << QStringList{sp(20)};
    QTest::newRow("WrappedCentered long") << "WrappedCentered" << QStringList{chars(30) + " " + chars(20, 'b')} << 0
                                          << QStringList{sp(5) + chars(30), sp(10) + chars(20, 'b')};
    QTest::newRow("WrappedRightAlign fits") << "WrappedRightAlign" << QStringList{"A", "B"} << 0
                                            << QStringList{"A" + sp(38) + "B"};
    QTest::newRow("WrappedRightAlign long") << "WrappedRightAlign" << QStringList{chars(30), chars(5, 'b') + " " + chars(40, 'c')} << 0
                                            << QStringList{chars(30) + sp(10), sp(35) + chars(5, 'b'), chars(40, 'c')};
    QTest::newRow("RightWrapCommand fits") << "Command" << QStringList{"ab", "cd", "9"} << 2
                                           << QStringList{"  ab cd" + sp(32) + "9"};
    QTest::newRow("RightWrapCommand head fits alone") << "Command" << QStringList{chars(15), chars(15, 'b'), chars(10, 'c')} << 2
                                                      << QStringList{(sp(2) + chars(15) + " " + chars(15, 'b')).leftJustified(40),
                                                                     sp(30) + chars(10, 'c')};
    QTest::newRow("RightWrapCommand two label lines") << "Command" << QStringList{chars(20), chars(20, 'b'), "5"} << 2
                                                      << QStringList{sp(2) + chars(20), sp(2) + chars(20, 'b'), sp(39) + "5"};
    QTest::newRow("RightWrapCommand long value") << "Command" << QStringList{"a", "b", chars(30, 'c') + " " + chars(20, 'd')} << 0
                                                 << QStringList{"a b" + sp(37), sp(10) + chars(30, 'c'), chars(20, 'd')};
    QTest::newRow("AppendWrapped slices") << "WrappedSlices" << QStringList{digits(72)} << 4
                                          << QStringList{sp(4) + digits(36), sp(4) + digits(36, 36)};
    QTest::newRow("AppendWrapped words") << "WrappedWords" << QStringList{"ala ma kota"} << 4
                                         << QStringList{(sp(4) + "ala ma").leftJustified(40), (sp(4) + "kota").leftJustified(40)};
    QTest::newRow("AppendWrapped empty") << "WrappedWords" << QStringList{""} << 4 << QStringList();
    QTest::newRow("line feed in a value") << "W" << QStringList{"a", "b\nc"} << 0
                                          << QStringList{"a" + sp(36) + "b", "c"};
}

void tst_Formatter::appends()
{
    QFETCH(QString, member);
    QFETCH(QStringList, args);
    QFETCH(int, number);
    QFETCH(QStringList, lines);

    MvStringFormatter f;
    const QString a = args.value(0), b = args.value(1), c = args.value(2);
    if (member == QLatin1String("C"))
        f.AppFormatC(a);
    else if (member == QLatin1String("W"))
        f.AppFormatW(a, b);
    else if (member == QLatin1String("WIndent"))
        f.AppFormatWIndent(a, b, number);
    else if (member == QLatin1String("FirstWrap"))
        f.AppFormatWFirstWrap(a, b, false);
    else if (member == QLatin1String("FirstWrapNoGap"))
        f.AppFormatWFirstWrap(a, b, true);
    else if (member == QLatin1String("IndentMultiline"))
        f.AppFormatWIndentMultiline(a, b, number);
    else if (member == QLatin1String("IndentSecond"))
        f.AppFormatIndentSecondMultiline(a, number);
    else if (member == QLatin1String("RightWrap"))
        f.AppFormatWRightWrap(a, b);
    else if (member == QLatin1String("WrappedCentered"))
        f.AppFormatWrappedCentered(a);
    else if (member == QLatin1String("WrappedRightAlign"))
        f.AppFormatWrappedRightAlign(a, b);
    else if (member == QLatin1String("Command"))
        f.AppFormatWRightWrapCommand(a, b, c, number);
    else if (member == QLatin1String("WrappedSlices"))
        f.AppendWrapped(a, 40, number, false);
    else if (member == QLatin1String("WrappedWords"))
        f.AppendWrapped(a, 14, number, true);
    else
        QFAIL("unknown member");
    QCOMPARE(f.lines(), lines);
    QCOMPARE(f.allCount(), lines.size());
    QCOMPARE(f.nonCount(), lines.size());
}

void tst_Formatter::firstWrapKeepsPlaceMarkers_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::newRow("%2 in the label") << "a%2b" << "x";
    QTest::newRow("%1 and %3") << "%1%3" << "%2";
    QTest::newRow("percent signs") << "100%" << "% 5";
}

void tst_Formatter::firstWrapKeepsPlaceMarkers()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    MvStringFormatter f;
    f.AppFormatWFirstWrap(left, right, false);
    QCOMPARE(f.lines(), QStringList{left + " " + right});
}

void tst_Formatter::lineMatches()
{
    QVERIFY(MvStringFormatter::LineMatches(QStringLiteral("anulowany"), QStringLiteral("PARAGON ANULOWANY")));
    QVERIFY(!MvStringFormatter::LineMatches(QRegularExpression(QStringLiteral("anulowany")),
                                            QStringLiteral("PARAGON ANULOWANY")));
    QVERIFY(MvStringFormatter::LineMatches(
            QRegularExpression(QStringLiteral("anulowany"), QRegularExpression::CaseInsensitiveOption),
            QStringLiteral("PARAGON ANULOWANY")));
    QVERIFY(MvStringFormatter::LineMatches(QStringLiteral("^\\d+,\\d\\d$"), QStringLiteral("12,50")));
}

void tst_Formatter::cancelledLine_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("cancelled");

    QStringList twenty{QStringLiteral("ANULOWANY")};
    for (int i = 1; i < 20; ++i)
        twenty.append(QStringLiteral("linia %1").arg(i));
    QTest::newRow("window 0 searches all") << twenty << 0 << true;
    QTest::newRow("last three") << twenty << 3 << false;
    QTest::newRow("window beyond the list") << twenty << 50 << true;
    QTest::newRow("negative window searches all") << twenty << -1 << true;
    QTest::newRow("empty list") << QStringList() << 0 << false;
    QTest::newRow("empty list, window 5") << QStringList() << 5 << false;
    QTest::newRow("tab and trailing spaces") << QStringList{"\tANULOWANY  "} << 1 << true;
    QTest::newRow("lower case") << QStringList{"anulowany"} << 1 << true;
    QTest::newRow("double width") << QStringList{"A N U L O W A N Y "} << 1 << true;
    QTest::newRow("followed by a colon") << QStringList{"ANULOWANY:"} << 1 << false;
    QTest::newRow("with control characters") << QStringList{kEsc + "EANULOWANY"} << 1 << false;
    QTest::newRow("marker inside the window") << QStringList{"a", "ANULOWANY", "b"} << 2 << true;
}

void tst_Formatter::cancelledLine()
{
    QFETCH(QStringList, lines);
    QFETCH(int, window);
    QFETCH(bool, cancelled);
    MvStringFormatter f;
    for (const QString &line : lines)
        f.Append(line, false);
    QCOMPARE(f.haveCancelledLine(window), cancelled);
}

void tst_Formatter::quickView_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("display");

    QTest::newRow("double width word") << QStringList{kEsc + "Ekawa"} << QStringList{"k a w a "};
    QTest::newRow("empty line") << QStringList{""} << QStringList{" "};
    QTest::newRow("only a sequence") << QStringList{kEsc + "a"} << QStringList{" "};
    QTest::newRow("lone ESC at the end stays") << QStringList{"ab" + kEsc} << QStringList{"ab" + kEsc};
    QTest::newRow("narrow before W") << QStringList{"ab" + kEsc + "Wcd"} << QStringList{"abc d "};
    QTest::newRow("only the last part widened") << QStringList{kEsc + "Eab" + kEsc + "!cd"}
                                                << QStringList{"abc d "};
    QTest::newRow("other codes dropped") << QStringList{"x" + kEsc + "!y" + kEsc + "Fz"} << QStringList{"xyz"};
    QTest::newRow("ESC ESC is one sequence") << QStringList{kEsc + kEsc + "E"} << QStringList{"E"};
    QTest::newRow("line feed is no code") << QStringList{"a" + kEsc + "\nb"} << QStringList{"a" + kEsc + "\nb"};
    QTest::newRow("plain lines copied") << QStringList{"abc", "  "} << QStringList{"abc", "  "};
    QTest::newRow("a pair after ESC is one code") << QStringList{kEsc + "😀ab"} << QStringList{"ab"};
    QTest::newRow("a pair widened whole") << QStringList{kEsc + "E😀x"} << QStringList{"😀 x "};
}

void tst_Formatter::quickView()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, display);
    QCOMPARE(MvStringFormatter::quickViewFormat(lines), display);
}

void tst_Formatter::invalidPatternIsLogged()
{
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("log.txt"));
    CGlobalDebugFileHandler::instance()->setLogFile(logPath);
    QVERIFY(!MvStringFormatter::LineMatches(QStringLiteral("("), QStringLiteral("(")));
    CGlobalDebugFileHandler::instance()->setLogFile(QString());

    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList entries = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'),
                                                                      Qt::SkipEmptyParts);
    QCOMPARE(entries.size(), 1);
    const QString entry = entries.first();
    QVERIFY2(entry.contains(QStringLiteral("[10]")), qPrintable(entry));
    // The function as the compiler spells it: g++ and clang space its parameters differently.
    QVERIFY2(QString(entry).remove(QLatin1Char(' ')).contains(QStringLiteral("MvStringFormatter::LineMatches(constQString&,constQString&)")),
             qPrintable(entry));
    QVERIFY(entry.contains(QStringLiteral("mvstringformatter.cpp:")));
    QVERIFY(entry.contains(QStringLiteral("Invalid regexp: missing closing parenthesis")));
}

// Whatever the text and the width (limits broken included), cutting and spreading keep every
// character, in order, and every character whole.
void tst_Formatter::randomTextsKeepEveryCharacter()
{
    QRandomGenerator random(20261206);
    for (int round = 0; round < 5000; ++round) {
        const QString left = randomText(random, 90);
        const QString right = randomText(random, 40);
        const int width = random.bounded(-3, 60);
        const int indent = random.bounded(-3, 50);

        const QStringList simple = MvStringFormatter::wrapSimple(left, size_t(qint64(width)));
        QCOMPARE(simple.join(QString()), left);
        const QStringList outputs[] = {
            simple,
            MvStringFormatter::wrap(left, size_t(qint64(width))),
            MvStringFormatter::wrapRightAligned(left, width),
            {MvStringFormatter::MakeItTwice(left, indent)},
        };
        for (const QStringList &lines : outputs) {
            QCOMPARE(nonSpace(lines), nonSpace({left}));
            QVERIFY(wellFormed(lines));
        }
        QVERIFY(wellFormed(MvStringFormatter::quickViewFormat({left, right})));

        MvStringFormatter f;
        f.setWidth(width);
        f.AppFormatWIndentMultiline(left, right, indent);
        f.AppFormatIndentSecondMultiline(left + right, indent);
        f.AppendWrapped(left + right, width, indent, random.bounded(2) == 0);
        QCOMPARE(nonSpace(f.lines()), nonSpace({left + right, left + right, left + right}));
        QVERIFY(wellFormed(f.lines()));
        QCOMPARE(f.allCount(), f.lines().size());
    }
}

QTEST_MAIN(tst_Formatter)
#include "tst_formatter.moc"
