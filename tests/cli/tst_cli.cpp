#include "pdfprobe.h"
#include "pdfrendererbase.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

Result runTool(const QStringList &arguments, const QByteArray &input = QByteArray(),
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MVPDFRENDER_TOOL), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    // Decoded whole (Qt 5 would stop a QByteArray's text at its first NUL), the output behind
    // a character of its own: Qt drops a U+FEFF that begins the text it decodes.
    const QByteArray out = '-' + process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(out.constData(), out.size()).mid(1), QString::fromUtf8(err.constData(), err.size())};
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QString spaceless(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Printout lines "Pozycja N ..." for a report of several pages.
QByteArray receiptLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += "Pozycja " + QByteArray::number(i) + " .......... 1,00\n";
    return lines;
}

// bytes converted by iconv (into at most 16 bytes a byte), or nothing.
QByteArray converted(const QByteArray &bytes, const char *from, const char *into)
{
    constexpr int kMostBytesAByte = 16;
    QByteArray out(bytes.size() * kMostBytesAByte + kMostBytesAByte, '\0');
    const iconv_t converter = ::iconv_open(into, from);
    if (converter == iconv_t(-1))
        return QByteArray();
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *to = out.data();
    size_t outLeft = size_t(out.size());
    const bool done = ::iconv(converter, &in, &inLeft, &to, &outLeft) != size_t(-1)
            && ::iconv(converter, nullptr, nullptr, &to, &outLeft) != size_t(-1);
    ::iconv_close(converter);
    return done ? out.left(int(to - out.data())) : QByteArray();
}

// text in encoding, converted by iconv.
QByteArray encoded(const QString &text, const char *encoding)
{
    return converted(text.toUtf8(), "UTF-8", encoding);
}

// Gives folder a default ACL that grants group gid read and write (what setfacl -d -m
// g:GID:rw- does): false where the file system has no ACLs.
bool grantGroupByDefault(const QString &folder, quint32 gid)
{
    // The extended attribute's form: a version, then entries of tag, permissions and id.
    struct Entry
    {
        quint16 tag;
        quint16 permissions;
        quint32 id;
    };
    constexpr quint32 kVersion = 2;
    constexpr quint32 kNoId = 0xFFFFFFFF;
    enum : quint16 { UserObject = 0x01, GroupObject = 0x04, Group = 0x08, Mask = 0x10, Other = 0x20 };
    const Entry entries[] = {{UserObject, 6, kNoId}, {GroupObject, 4, kNoId}, {Group, 6, gid},
                             {Mask, 6, kNoId}, {Other, 4, kNoId}};
    QByteArray value(reinterpret_cast<const char *>(&kVersion), sizeof kVersion);
    value.append(reinterpret_cast<const char *>(entries), sizeof entries);
    return ::setxattr(QFile::encodeName(folder).constData(), "system.posix_acl_default", value.constData(),
                      size_t(value.size()), 0) == 0;
}

// The options a command's help lists, without the help's own.
QSet<QString> helpOptions(const QString &help)
{
    QSet<QString> options;
    QRegularExpressionMatchIterator found = QRegularExpression(QStringLiteral("^\\s+(?:-\\w, )?--([a-z][a-z-]*)"),
                                                               QRegularExpression::MultilineOption).globalMatch(help);
    while (found.hasNext())
        options.insert(found.next().captured(1));
    options.remove(QStringLiteral("help"));
    options.remove(QStringLiteral("help-all"));
    return options;
}

// The tool run by bash, so that limits can be set first; exec keeps the tool's pid.
void startInShell(QProcess &process, const QString &limits, const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted.append(QLatin1Char('\'') + argument + QLatin1Char('\''));
    const QString command = limits + QStringLiteral("; exec '%1' %2")
            .arg(QStringLiteral(MVPDFRENDER_TOOL), quoted.join(QLatin1Char(' ')));
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), command});
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void lineReport();
    void documentReport();
    void reproducibleReports_data();
    void reproducibleReports();
    void failedRuns_data();
    void failedRuns();
    void endings_data();
    void endings();
    void memoryRunningOut();
    void crashBeforeMain_data();
    void crashBeforeMain();
    void cancelDuringTheCopySaysSo();
    void crashLeavesNoWorkFile_data();
    void linkedOutputIsNamed_data();
    void linkedOutputIsNamed();
    void crashLeavesNoWorkFile();
    void outputThatIsAnInput_data();
    void outputThatIsAnInput();
    void replacedOutputKeepsItsMode_data();
    void replacedOutputKeepsItsMode();
    void movedFolderIsNamed();
    void streamedOutput_data();
    void streamedOutput();
    void quickView();
    void cancelledMarker_data();
    void cancelledMarker();
    void languages_data();
    void languages();
    void encodings_data();
    void encodings();
    void decodingKeepsEveryCharacter_data();
    void decodingKeepsEveryCharacter();
    void textSizeIsAResolution();
    void largeTextKeepsLinesWhole_data();
    void largeTextKeepsLinesWhole();
    void quickViewIntoAClosedPipe();
    void everyOptionDocumented();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList leftovers() const;
    QTemporaryDir dir;
};

// The tool speaks the locale's language: English unless a row asks for Polish.
void tst_Cli::initTestCase()
{
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        qunsetenv(name);
    qputenv("LANG", "C.UTF-8");
}

void tst_Cli::init()
{
    QVERIFY(dir.isValid());
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(path(name));
}

QStringList tst_Cli::leftovers() const
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void tst_Cli::lineReport()
{
    QByteArray lines;
    for (int i = 0; i < 700; ++i)
        lines += QStringLiteral("Pozycja %1 żółć 12,50\n").arg(i, 4, 10, QLatin1Char('0')).toUtf8();
    writeFile(path(QStringLiteral("in.txt")), lines);
    const Result result = runTool({QStringLiteral("lines"), path(QStringLiteral("in.txt")),
                                   QStringLiteral("-o"), path(QStringLiteral("out.pdf")),
                                   QStringLiteral("--title"), QStringLiteral("Dzienny"),
                                   QStringLiteral("--place"), QStringLiteral("Gdańsk"),
                                   QStringLiteral("--heading"), QStringLiteral("CIĄG"),
                                   QStringLiteral("--outline-pattern"), QStringLiteral("^Pozycja \\d\\d00"),
                                   QStringLiteral("--pdfa"), QStringLiteral("--progress")});
    QCOMPARE(result.status, 0);
    const QString out = path(QStringLiteral("out.pdf"));
    const int pages = PdfProbe::pageCount(out);
    QVERIFY(pages >= 2);
    QVERIFY(PdfProbe::structureValid(out));
    QCOMPARE(PdfProbe::info(out, QStringLiteral("Title")), QStringLiteral("Dzienny"));
    // A progress line per page but the last, with the share of lines.
    QCOMPARE(result.err.count(QRegularExpression(QStringLiteral("page \\d+ written, \\d+\\.\\d % of lines"))), pages - 1);
    QVERIFY(result.err.contains(QStringLiteral("(%1 pages)").arg(pages)));
    const QString text = PdfProbe::pageTexts(out).join(QString());
    QVERIFY(text.contains(QStringLiteral("Pozycja 0699 żółć 12,50")));
    QVERIFY(text.contains(QStringLiteral("Gdańsk, dnia")));
    QVERIFY(text.contains(QStringLiteral("CIĄG")));
    QCOMPARE(leftovers(), QStringList({QStringLiteral("in.txt"), QStringLiteral("out.pdf")}));
    const QList<PdfProbe::OutlineEntry> entries = PdfProbe::outline(out);
    QVERIFY(entries.size() == 7 && entries.last().title == QStringLiteral("Pozycja 0600 żółć 12,50"));
    QCOMPARE(PdfProbe::info(out, QStringLiteral("Metadata Stream")), QStringLiteral("yes"));   // --pdfa
}

// Documents in input order, numbered, with an outline; an image too wide for a column, which
// the library scales down to half the 848-unit scene, is named in a notice (424 / 1187).
void tst_Cli::documentReport()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QVERIFY(image.save(path(QStringLiteral("logo.png"))));
    QVERIFY(image.scaled(1187, 300).save(path(QStringLiteral("wide.png"))));
    writeFile(path(QStringLiteral("a.txt")), "SKLEP\nChleb 3,50\n");
    writeFile(path(QStringLiteral("b.json")), R"({"documents": [
        {"items": ["Pierwszy", {"text": "Nagłówek", "format": 0, "centred": true},
                   {"image": "logo.png", "scale": 0.5, "spaced": true, "tight": true}, {"image": "wide.png"}]},
        {"number": 77, "title": "Paragon żółty", "items": [{"text": "Drugi", "fullHeight": true, "heightFactor": 1.0}]}
    ]})");
    const QStringList arguments{QStringLiteral("documents"), path(QStringLiteral("a.txt")),
                                path(QStringLiteral("b.json")), QStringLiteral("--numbered"),
                                QStringLiteral("--first-number"), QStringLiteral("5"),
                                QStringLiteral("-o"), path(QStringLiteral("docs.pdf"))};
    QCOMPARE(runTool(arguments + QStringList{QStringLiteral("--no-outline")}).status, 0);
    QVERIFY(PdfProbe::outline(path(QStringLiteral("docs.pdf"))).isEmpty());
    const Result result = runTool(arguments);
    QCOMPARE(result.status, 0);
    QVERIFY2(result.err.contains(QStringLiteral("document 1, item 4: image \"wide.png\" scaled from 1 to 0.3572")),
             qPrintable(result.err));
    QStringList titles;
    for (const PdfProbe::OutlineEntry &entry : PdfProbe::outline(path(QStringLiteral("docs.pdf"))))
        titles.append(entry.title);
    // A text file's entry bears its name.
    QCOMPARE(titles, QStringList({QStringLiteral("a.txt"), QStringLiteral("Dokument nr 6"),
                                  QStringLiteral("Paragon żółty")}));
    QCOMPARE(PdfProbe::pageCount(path(QStringLiteral("docs.pdf"))), 1);
    const QString text = spaceless(PdfProbe::pageTexts(path(QStringLiteral("docs.pdf"))).value(0));
    // In input order from 5, but a document's own number wins.
    const QRegularExpression order(QStringLiteral("Dokumentnr5.*SKLEP.*Dokumentnr6.*Nagłówek.*Dokumentnr77.*Drugi"),
                                   QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(text.contains(order), qPrintable(text));
}

void tst_Cli::reproducibleReports_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("dated");
    QTest::addColumn<QString>("title");
    const QString epochDay = QStringLiteral("dnia 30 listopada 2025 roku");
    QTest::newRow("lines, outline, page count")
        << QStringList{QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("--outline-pattern"),
                       QStringLiteral("Pozycja 1"), QStringLiteral("--page-count")} << epochDay << "in.txt";
    QTest::newRow("lines, PDF/A, a date of its own")
        << QStringList{QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("--pdfa"),
                       QStringLiteral("--date"), QStringLiteral("2026-11-30")}
        << "dnia 30 listopada 2026 roku" << "in.txt";
    QTest::newRow("documents, PDF/A, page count")
        << QStringList{QStringLiteral("documents"), QStringLiteral("in.txt"), QStringLiteral("b.txt"),
                       QStringLiteral("--numbered"), QStringLiteral("--pdfa"), QStringLiteral("--page-count")}
        << epochDay << "Raport (plików: 2)";
}

// With SOURCE_DATE_EPOCH, runs of the same input (each process with a hash seed of its own)
// give the same bytes, dated by its day unless --date says otherwise; --page-count footers
// count the pages; a report of several inputs is named for them all.
void tst_Cli::reproducibleReports()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, dated);
    QFETCH(QString, title);
    writeFile(path(QStringLiteral("in.txt")), receiptLines(800));
    writeFile(path(QStringLiteral("b.txt")), receiptLines(300));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1764460800"));
    QByteArray first;
    for (int run = 0; run < 3; ++run) {
        QStringList withPaths;
        for (const QString &argument : arguments)
            withPaths.append(argument.endsWith(QLatin1String(".txt")) ? path(argument) : argument);
        const Result result = runTool(withPaths + QStringList{QStringLiteral("-o"), path(QStringLiteral("out.pdf"))},
                                      QByteArray(), environment);
        QVERIFY2(result.status == 0, qPrintable(result.err));
        const QByteArray bytes = readFile(path(QStringLiteral("out.pdf")));
        if (run == 0)
            first = bytes;
        QVERIFY2(bytes == first, qPrintable(QStringLiteral("run %1 differs").arg(run)));
    }
    QVERIFY(first.contains("/CreationDate (D:20251130000000"));
    const QString out = path(QStringLiteral("out.pdf"));
    QCOMPARE(PdfProbe::info(out, QStringLiteral("Title")), title);
    const QStringList pages = PdfProbe::pageTexts(out);
    QVERIFY2(pages.value(0).contains(dated), qPrintable(pages.value(0).left(300)));
    if (arguments.contains(QStringLiteral("--page-count"))) {
        QVERIFY(pages.size() > 1);
        for (int page = 1; page <= pages.size(); ++page)
            QVERIFY(pages.at(page - 1).contains(PDFRendererBase::pageLabel(page, pages.size())));
    }
}

void tst_Cli::failedRuns_data()
{
    QTest::addColumn<QString>("command");        // run by bash; $TOOL is the tool
    QTest::addColumn<QByteArray>("content");     // written to in.txt and in.json first
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("status");
    const QString lines = QStringLiteral("$TOOL lines in.txt -o out.pdf");
    const QString json = QStringLiteral("$TOOL documents in.json -o out.pdf");

    QTest::newRow("missing input") << "$TOOL lines nowhere.txt -o out.pdf" << QByteArray()
                                   << "nowhere.txt: no such file" << 2;
    // A closed standard output is no place for a report, nor is a temporary folder that takes
    // no file (named, since it is not where standard output leads).
    QTest::newRow("standard output closed") << "$TOOL lines in.txt -o - >&-" << QByteArray("a\n")
                                            << "cannot write standard output: it is closed" << 1;
    QTest::newRow("a temporary folder that is a file") << "set -o pipefail; TMPDIR=$PWD/in.txt $TOOL lines in.txt -o - | cat"
        << QByteArray("a\n") << "cannot write standard output: its temporary file in /" << 1;
    QTest::newRow("a windows-1250 file read as UTF-8") << lines << QByteArray("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\n")
        << "in.txt: invalid UTF-8 on line 1 (it looks like windows-1250: try --encoding cp1250)" << 2;
    QTest::newRow("an image read as text") << lines << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                           << "in.txt: not a text file (it looks like a PNG image)" << 2;
    QTest::newRow("a gzip archive read as iso-8859-2") << lines + " --encoding iso-8859-2"
        << QByteArray("\x1F\x8B\x08\0\0\0\0\0\0\x03\xCB\x48\xCD\xC9\xC9\x07\0", 17)
        << "in.txt: not a text file (it looks like a gzip archive)" << 2;
    // Numbers as a program stores them: four bytes each, most of them NUL.
    QByteArray binary;
    for (quint32 i = 0; i < 1024; ++i)
        binary.append(reinterpret_cast<const char *>(&i), sizeof i);
    QTest::newRow("binary data read as windows-1250") << lines + " --encoding cp1250" << binary
        << "in.txt: not a text file (it looks like binary data)" << 2;
    // The line of the fault counts characters, not bytes that happen to be a line feed's
    // (U+040A is 0A 04 in UTF-16LE).
    QTest::newRow("a fault on line 3 of UTF-16") << lines + " --encoding utf-16le"
        << encoded(QStringLiteral("\u040A\u040A\nabc\n"), "UTF-16LE") + QByteArray("\x00\xD8" "A\0", 4)
        << "in.txt: not valid utf-16le on line 3" << 2;
    QTest::newRow("an unknown encoding") << lines + " --encoding klingon" << QByteArray("a")
                                         << "--encoding: unknown encoding \"klingon\"" << 2;
    QTest::newRow("text too large") << lines + " --text-size 9" << QByteArray("a")
                                    << "--text-size takes points from 0.5 to 6.9" << 2;
    QTest::newRow("a text size and a resolution") << lines + " --text-size 5 --ppi 100" << QByteArray("a")
                                                  << "--ppi and --text-size set the same thing" << 2;
    QTest::newRow("a date that is no day") << lines + " --date 2026-02-30" << QByteArray("a")
                                           << "--date takes a day as YYYY-MM-DD, such as 2026-11-30" << 2;
    QTest::newRow("a malformed SOURCE_DATE_EPOCH") << "SOURCE_DATE_EPOCH=yesterday " + lines << QByteArray("a")
        << "SOURCE_DATE_EPOCH takes whole seconds since 1970-01-01 UTC, not \"yesterday\"" << 2;
    QTest::newRow("a directory") << "$TOOL lines . -o out.pdf" << QByteArray() << ".: is a directory" << 2;
    QTest::newRow("a device") << "$TOOL lines /dev/zero -o out.pdf" << QByteArray()
                              << "/dev/zero: is a device, not a file" << 2;
    QTest::newRow("a device as a document") << "$TOOL documents /dev/urandom -o out.pdf" << QByteArray()
                                            << "/dev/urandom: is a device, not a file" << 2;
    QTest::newRow("a device as standard input") << "$TOOL quickview < /dev/zero" << QByteArray()
                                                << "standard input is a device, not a file" << 2;
    QTest::newRow("a file past the limit") << "truncate -s 65M in.txt; " + lines << QByteArray()
                                           << "in.txt: larger than the limit of 64 MiB" << 2;
    QTest::newRow("a pipe past the limit") << "head -c 70000000 /dev/zero | $TOOL lines - -o out.pdf"
                                           << QByteArray() << "standard input: larger than the limit of 64 MiB" << 2;
    QTest::newRow("invalid UTF-8") << lines << QByteArray("ok\n\xff\nok\n\xc3\n")
                                   << "in.txt: invalid UTF-8 on lines 2, 4" << 2;
    QTest::newRow("malformed JSON") << json << QByteArray("{\"documents\": [}")
                                    << "in.json: malformed JSON at offset 16" << 2;
    // Qt's parser names these; the streaming one would take the NUL for the end of the text,
    // or build a document nested deeper than the stack takes apart.
    QTest::newRow("text after a NUL") << json << QByteArray("[{\"items\": [\"a\"]}]\0[{\"items\": [5]}]", 33)
                                      << "in.json: malformed JSON at offset 18: garbage at the end of the document" << 2;
    QTest::newRow("a document nested too deep") << json
        << QByteArray("[{\"items\": [") + QByteArray(300000, '[') + QByteArray(300000, ']') + "]}]"
        << "in.json: malformed JSON at offset 1034: too deeply nested document" << 2;
    QTest::newRow("unknown JSON key") << json << QByteArray(R"({"documents": [{"items": [{"txt": "a"}]}]})")
                                      << "in.json: document 1, item 1: unknown key \"txt\"" << 2;
    QTest::newRow("a key twice in an item") << json
        << QByteArray(R"({"documents": [{"items": ["a"]}, {"items": ["b", {"text": "x", "text": "y"}]}]})")
        << "in.json: document 2, item 2: duplicate key \"text\"" << 2;
    QTest::newRow("a key twice in a document") << json << QByteArray(R"([{"items": [], "items": ["a"]}])")
                                               << "in.json: document 1: duplicate key \"items\"" << 2;
    QTest::newRow("a title that is not text") << json << QByteArray(R"([{"title": 4711, "items": ["a"]}])")
                                              << "in.json: document 1: \"title\" must be a string" << 2;
    QTest::newRow("an invalid outline pattern") << lines + " --outline-pattern '(PARAGON'" << QByteArray("a")
                                                << "--outline-pattern: missing closing parenthesis at offset 8" << 2;
    QTest::newRow("an outline pattern the engine gives up on") << lines + " --outline-pattern '^(a+)+c|!c'"
        << QByteArray(40, 'a') + "!c\n" << "the outline pattern cannot be matched against line 1" << 2;
    QTest::newRow("no documents") << json << QByteArray(R"({"documents": []})") << "the inputs hold no documents" << 2;
    QTest::newRow("a missing image") << json << QByteArray(R"([{"items": [{"image": "none.png"}]}])")
                                     << "in.json: document 1, item 1: image \"none.png\": no such file" << 2;
    QTest::newRow("an image bomb") << json << QByteArray(R"([{"items": ["a", {"image": "bomb.bmp"}]}])")
        << "in.json: document 1, item 2: image \"bomb.bmp\": 10000 x 10000 pixels, more than the limit of "
           "30 megapixels" << 2;
    QTest::newRow("a truncated image") << json << QByteArray(R"([{"items": [{"image": "cut.png"}]}])")
                                       << "in.json: document 1, item 1: image \"cut.png\": damaged or incomplete" << 2;
    QTest::newRow("a bitmap cut short") << json << QByteArray(R"([{"items": [{"image": "cut.bmp"}]}])")
        << "image \"cut.bmp\": damaged or incomplete (the file ends before its pixels do)" << 2;
    QTest::newRow("an icon hiding a huge image") << json << QByteArray(R"([{"items": [{"image": "huge.ico"}]}])")
        << "image \"huge.ico\": damaged or incomplete (an image in it is larger than the limit of 30 megapixels)" << 2;
    QTest::newRow("a key twice after a raw TAB") << json
        << QByteArray("[{\"items\": [{\"text\": \"a\tb\", \"text\": \"c\"}]}]")
        << "in.json: malformed JSON at offset" << 2;
    QTest::newRow("an image file past the limit") << json
                                                  << QByteArray(R"([{"items": [{"image": "huge.png"}]}])")
                                                  << "image \"huge.png\": larger than the limit of 32 MiB" << 2;
    QTest::newRow("numbers past the largest")
        << "$TOOL documents in.txt in.txt in.txt --numbered --first-number 2147483646 -o out.pdf"
        << QByteArray("a") << "--first-number 2147483646 numbers 3 documents past 2147483647" << 2;
    QTest::newRow("headings leaving no room for a line")
        << lines + " $(for i in $(seq 120); do echo --heading H$i; done)" << QByteArray("a")
        << "the 120 heading lines leave no room for a line in a column" << 2;
    QTest::newRow("a resolution below the range") << lines + " --ppi 1" << QByteArray("a")
                                                  << "--ppi takes a whole number from 72 to 1200" << 2;
    QTest::newRow("unknown option") << lines + " --colour" << QByteArray("a") << "unknown option --colour" << 2;
    QTest::newRow("a misspelt option") << lines + " --titel T" << QByteArray("a")
                                       << "unknown option --titel; did you mean --title?" << 2;
    QTest::newRow("a documents file given to lines") << "$TOOL lines in.json -o out.pdf"
        << QByteArray(R"({"documents": [{"items": ["a"]}]})") << "in.json: this is a documents file: use " << 2;
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    QImage(4, 4, QImage::Format_RGB32).save(&pngBuffer, "PNG");
    QTest::newRow("an image given to documents") << "cp in.txt logo.png; $TOOL documents logo.png -o out.pdf; s=$?; rm logo.png; exit $s"
        << png
        << R"(logo.png: an image goes into a document of a JSON file, such as {"documents": [{"items": [{"image": "logo.png"}]}]})" << 2;
    QTest::newRow("text in cp1250 that begins like a bitmap") << "$TOOL documents in.txt -o out.pdf"
        << QByteArray("BMW \xb3\xf3" "d\xbc Sp. z o.o.\n") << "in.txt: invalid UTF-8 on line 1" << 2;
    QTest::newRow("a negative document number") << json << QByteArray(R"([{"number": -1, "items": ["a"]}])")
                                                 << "\"number\" must be a whole number from 1 to 2147483647" << 2;
    QTest::newRow("document number zero") << json << QByteArray(R"([{"number": 0, "items": ["a"]}])")
                                          << "\"number\" must be a whole number from 1 to 2147483647" << 2;
    QTest::newRow("a text size out of range, in Polish") << "LANG=pl_PL.UTF-8 " + lines + " --text-size 9,5" << QByteArray("a")
                                                         << "--text-size przyjmuje punkty od 0,5 do 6,9, np. 5 albo 5,5" << 2;
    QTest::newRow("standard output a terminal") << "script -qec \"$TOOL lines in.txt -o -\" /dev/null 1>&2"
        << QByteArray("a") << "cannot write standard output: it is a terminal" << 2;
    QTest::newRow("no output") << "$TOOL lines in.txt" << QByteArray("a") << "missing the output file" << 2;
    QTest::newRow("first number without numbering") << "$TOOL documents in.txt --first-number 3 -o out.pdf"
                                                    << QByteArray("a") << "--first-number needs --numbered" << 2;
    // Renders that fail: status 1.
    QTest::newRow("a missing folder") << "$TOOL lines in.txt -o missing/out.pdf" << QByteArray("a")
                                      << "cannot write missing/out.pdf: no such file or folder" << 1;
    QTest::newRow("a directory as output") << "$TOOL lines in.txt -o ." << QByteArray("a")
                                           << "cannot write .: it is a folder" << 1;
    QTest::newRow("a full device") << "$TOOL lines in.txt -o /dev/full" << QByteArray("a")
                                   << "cannot write /dev/full: no space left on the disk" << 1;
    QTest::newRow("a file where a folder should be") << "touch file; $TOOL lines in.txt -o file/out.pdf; s=$?; rm file; exit $s" << QByteArray("a")
                                                     << "cannot write file/out.pdf: a part of the path is not a folder" << 1;
    QTest::newRow("a path the system refuses, in Polish") << "touch file; LANG=pl_PL.UTF-8 $TOOL lines in.txt -o file/out.pdf; s=$?; rm file; exit $s"
        << QByteArray("a") << "nie można zapisać file/out.pdf: część ścieżki nie jest folderem" << 1;
    QTest::newRow("a machine without fonts") << "FONTCONFIG_FILE=$PWD/fonts.conf " + lines << QByteArray("a")
                                             << "no installed font for Open Sans, Liberation Mono" << 1;
    // In Polish, the tool says it in its own Polish words.
    QTest::newRow("a machine without fonts, in Polish") << "LANG=pl_PL.UTF-8 FONTCONFIG_FILE=$PWD/fonts.conf " + lines
        << QByteArray("a") << "brak zainstalowanej czcionki: Open Sans, Liberation Mono" << 1;
}

// Whatever is wrong with the input, the tool says so in one line, exits with status 2 and
// writes nothing; none of it takes much memory (a gigabyte of address space is plenty). A
// render that cannot be done ends the same way, with status 1.
void tst_Cli::failedRuns()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(int, status);
    writeFile(path(QStringLiteral("in.txt")), content);
    writeFile(path(QStringLiteral("in.json")), content);
    // A BMP that declares 10000 x 10000 pixels (400 MB decoded) in 54 bytes.
    QByteArray bomb("BM");
    for (const quint32 field : {54u, 0u, 54u, 40u, 10000u, 10000u})
        bomb += QByteArray(reinterpret_cast<const char *>(&field), 4);
    bomb += QByteArray("\x01\x00\x18\x00", 4) + QByteArray(24, '\0');
    writeFile(path(QStringLiteral("bomb.bmp")), bomb);
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    for (const char *format : {"png", "bmp"}) {
        const QString cut = path(QStringLiteral("cut.%1").arg(QLatin1String(format)));
        QVERIFY(image.save(cut));
        const QByteArray whole = readFile(cut);
        writeFile(cut, whole.left(format == QByteArrayLiteral("png") ? whole.size() - 30 : whole.size() / 3));
    }
    // An icon whose directory says 256 x 256, holding a PNG of 8000 x 8000 pixels.
    QByteArray png;
    QBuffer pngBuffer(&png);
    QVERIFY(pngBuffer.open(QIODevice::WriteOnly) && QImage(8000, 8000, QImage::Format_Mono).save(&pngBuffer, "PNG"));
    QByteArray icon("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0", 14);
    for (const quint32 field : {quint32(png.size()), 22u})
        icon += QByteArray(reinterpret_cast<const char *>(&field), 4);
    writeFile(path(QStringLiteral("huge.ico")), icon + png);
    QFile huge(path(QStringLiteral("huge.png")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(33 * 1024 * 1024));
    huge.close();
    writeFile(path(QStringLiteral("fonts.conf")), "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    const QStringList before = leftovers();

    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TOOL"), QStringLiteral(MVPDFRENDER_TOOL));
    process.setProcessEnvironment(environment);
#ifdef __SANITIZE_ADDRESS__
    const QString limit = QStringLiteral(":");   // the sanitizer's shadow memory needs more
#else
    const QString limit = QStringLiteral("ulimit -v 1000000");
#endif
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), limit + QStringLiteral("; ") + command});
    QVERIFY(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(err.contains(message), qPrintable(err));
    // One line, and for a mistake in the arguments a pointer to the help.
    const QStringList said = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .filter(QRegularExpression(QStringLiteral("^(?!Try 'mvpdfrender|Spróbuj: 'mvpdfrender)")));
    QVERIFY2(said.size() == 1, qPrintable(err));
    QVERIFY(!QFile::exists(path(QStringLiteral("out.pdf"))));
    QCOMPARE(leftovers(), before);
}

void tst_Cli::endings_data()
{
    QTest::addColumn<QString>("limits");       // shell commands run before the tool
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("signalNumber");     // sent when the last page is being written
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString out = QStringLiteral("out.pdf");
    QTest::newRow("SIGINT") << ":" << out << int(SIGINT) << 130 << "cancelled";
    QTest::newRow("SIGTERM") << ":" << out << int(SIGTERM) << 130 << "cancelled";
    QTest::newRow("SIGHUP") << ":" << out << int(SIGHUP) << 130 << "cancelled";
    QTest::newRow("SIGQUIT") << ":" << out << int(SIGQUIT) << 130 << "cancelled";
    QTest::newRow("SIGINT while a FIFO has no reader") << ":" << "fifo" << int(SIGINT) << 130 << "cancelled";
    QTest::newRow("SIGINT ignored when the tool started") << "trap '' INT" << out << int(SIGINT) << 0 << "wrote";
    QTest::newRow("file-size limit") << "ulimit -f 16" << out << 0 << 1
                                     << "cannot write out.pdf: larger than the file-size limit";
}

// However a run ends early, it leaves no work file and the earlier report as it was.
void tst_Cli::endings()
{
    QFETCH(QString, limits);
    QFETCH(QString, output);
    QFETCH(int, signalNumber);
    QFETCH(int, status);
    QFETCH(QString, message);
    // Two pages of thousands of lines at the highest layout resolution: the second, and last,
    // takes long enough that a signal sent when it starts arrives while it is composed.
    writeFile(path(QStringLiteral("big.txt")), receiptLines(5000));
    writeFile(path(QStringLiteral("out.pdf")), "earlier report");
    if (output == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(qPrintable(path(output)), 0600), 0);

    QProcess process;
    process.setWorkingDirectory(dir.path());
    startInShell(process, limits, {QStringLiteral("lines"), QStringLiteral("big.txt"), QStringLiteral("-o"),
                                   output, QStringLiteral("--progress"), QStringLiteral("--ppi"),
                                   QStringLiteral("1200")});
    QVERIFY(process.waitForStarted());
    QByteArray err;
    if (signalNumber != 0) {
        // Read as soon as it is said (a polling wait could miss the short last page).
        process.setReadChannel(QProcess::StandardError);
        while (!err.contains("page 1 written") && process.waitForReadyRead(120000))
            err += process.readAllStandardError();
        QVERIFY2(err.contains("page 1 written"), err.constData());
        // The complete report then waits in open() for the FIFO's reader.
        const QString waitChannel = QStringLiteral("/proc/%1/wchan").arg(process.processId());
        if (output == QLatin1String("fifo"))
            QTRY_COMPARE_WITH_TIMEOUT(readFile(waitChannel), QByteArray("wait_for_partner"), 120000);
        ::kill(pid_t(process.processId()), signalNumber);
    }
    QVERIFY(process.waitForFinished(120000));
    err += process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(QString::fromUtf8(err).contains(message), err.constData());
    QCOMPARE(leftovers(), QStringList({QStringLiteral("big.txt"), QStringLiteral("out.pdf")}));
    if (status == 0)
        QVERIFY(PdfProbe::structureValid(path(QStringLiteral("out.pdf"))));
    else
        QCOMPARE(readFile(path(QStringLiteral("out.pdf"))), QByteArray("earlier report"));
}

// Wherever memory runs out (the limit decides where), the run fails cleanly or succeeds whole.
void tst_Cli::memoryRunningOut()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("the sanitizer's shadow memory needs far more address space than the limits tried");
#endif
    writeFile(path(QStringLiteral("big.txt")), receiptLines(20000));
    int failures = 0;
    for (int limit = 100000; limit <= 300000; limit += 40000) {
        writeFile(path(QStringLiteral("out.pdf")), "earlier report");
        QProcess process;
        process.setWorkingDirectory(dir.path());
        startInShell(process, QStringLiteral("ulimit -v %1").arg(limit),
                     {QStringLiteral("lines"), QStringLiteral("big.txt"), QStringLiteral("-o"),
                      QStringLiteral("out.pdf"), QStringLiteral("--quiet"), QStringLiteral("--ppi"),
                      QStringLiteral("600")});
        QVERIFY(process.waitForFinished(120000));
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(leftovers(), QStringList({QStringLiteral("big.txt"), QStringLiteral("out.pdf")}));
        if (process.exitCode() == 0) {
            QVERIFY(PdfProbe::structureValid(path(QStringLiteral("out.pdf"))));
            continue;
        }
        ++failures;
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(err, QFileInfo(QStringLiteral(MVPDFRENDER_TOOL)).fileName().toUtf8() + ": out of memory\n");
        QCOMPARE(readFile(path(QStringLiteral("out.pdf"))), QByteArray("earlier report"));
    }
    QVERIFY(failures > 0);
}

void tst_Cli::crashBeforeMain_data()
{
    QTest::addColumn<QString>("limits");
    QTest::addColumn<QString>("message");
    QTest::newRow("under a memory limit") << "ulimit -v 1000000" << "out of memory";
    QTest::newRow("without a limit") << ":" << "internal error, stopped";
}

// A crash while the libraries are initialised, before main() (an allocator that cannot start
// under the limit), ends the run as a crash inside the run does.
void tst_Cli::crashBeforeMain()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("the sanitizer handles crashes itself");
#endif
    QFETCH(QString, limits);
    QFETCH(QString, message);
    writeFile(path(QStringLiteral("in.txt")), "x\n");
    writeFile(path(QStringLiteral("out.pdf")), "earlier report");
    QProcess process;
    process.setWorkingDirectory(dir.path());
    startInShell(process, limits + QStringLiteral("; export LD_PRELOAD='%1'").arg(QStringLiteral(CRASH_BEFORE_MAIN)),
                 {QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"), QStringLiteral("out.pdf")});
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
             QFileInfo(QStringLiteral(MVPDFRENDER_TOOL)).fileName() + QStringLiteral(": ") + message + QLatin1Char('\n'));
    QCOMPARE(readFile(path(QStringLiteral("out.pdf"))), QByteArray("earlier report"));
}

// A cancel while standard output receives the report cannot take back what its reader has
// got: the tool says how much that is.
void tst_Cli::cancelDuringTheCopySaysSo()
{
    writeFile(path(QStringLiteral("in.txt")), receiptLines(5000));
    // Standard output is a pipe that nothing reads until the end: the copy stops in write()
    // once the pipe is full.
    int pipeEnds[2];
    QCOMPARE(::pipe2(pipeEnds, O_CLOEXEC), 0);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setStandardOutputFile(QStringLiteral("/proc/self/fd/%1").arg(pipeEnds[1]));
    process.start(QStringLiteral(MVPDFRENDER_TOOL), {QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                                                     QStringLiteral("-")});
    QVERIFY(process.waitForStarted());
    ::close(pipeEnds[1]);
    const QString waitChannel = QStringLiteral("/proc/%1/wchan").arg(process.processId());
    QTRY_VERIFY_WITH_TIMEOUT(readFile(waitChannel).endsWith("pipe_write"), 120000);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(120000));
    QFile reader;
    QVERIFY(reader.open(pipeEnds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    const QByteArray received = reader.readAll();
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(received.startsWith("%PDF-"));
    const QByteArray said = "which has received only the first " + QByteArray::number(received.size()) + " bytes";
    QVERIFY2(process.readAllStandardError().contains(said), said.constData());
}

void tst_Cli::crashLeavesNoWorkFile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("a plain report") << QStringList();
    // Its stage has a name of its own while the report's work file has one.
    QTest::newRow("a report with an outline") << QStringList{QStringLiteral("--outline-pattern"), QStringLiteral("^PARAGON")};
}

// A crash where files cannot be made without a name (here: no /proc to give them one) leaves
// none of the names the run made behind.
void tst_Cli::crashLeavesNoWorkFile()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("the sanitizer takes the crash before the tool's own handler");
#endif
#if MVPDFRENDER_PORTABLE_FILES
    QSKIP("work files made on Qt alone keep their names after a crash");
#endif
    QFETCH(QStringList, options);
    if (::geteuid() != 0)
        QSKIP("hiding /proc needs a mount namespace of one's own");
    writeFile(path(QStringLiteral("in.txt")), receiptLines(20000));
    QStringList quoted;
    for (const QString &argument : QStringList{QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                                               QStringLiteral("out.pdf"), QStringLiteral("--progress")} + options)
        quoted.append(QLatin1Char('\'') + argument + QLatin1Char('\''));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("bash"), QStringLiteral("-c"),
                  QStringLiteral("mount -t tmpfs none /proc || exit 99; exec '%1' %2")
                          .arg(QStringLiteral(MVPDFRENDER_TOOL), quoted.join(QLatin1Char(' ')))});
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += process.readAllStandardError()).contains("page 1 written")
                             || process.state() == QProcess::NotRunning, 120000);
    if (process.state() == QProcess::NotRunning && process.exitCode() == 99)
        QSKIP("no mount namespace to be had here");
    QVERIFY2(::kill(pid_t(process.processId()), SIGSEGV) == 0, err.constData());
    QVERIFY(process.waitForFinished(120000));
    err += process.readAllStandardError();
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(err.contains("internal error, stopped"), err.constData());
    QCOMPARE(leftovers(), QStringList{QStringLiteral("in.txt")});
}

void tst_Cli::linkedOutputIsNamed_data()
{
    QTest::addColumn<QString>("linkTarget");   // of the link "out", made in real/sub
    QTest::addColumn<QString>("report");       // where the report then stands
    // real/sub is reached through the link L: ".." from there is real, not the test folder.
    QTest::newRow("a dangling link up from a linked folder") << "../target.pdf" << "real/target.pdf";
    QTest::newRow("an absolute link through a link") << "@/L/../abs.pdf" << "real/abs.pdf";
    QTest::newRow("a chain of links") << "../hop" << "real/chained.pdf";
}

// However links lead to OUT, the report lands where the file system resolves them, and the
// tool names that place.
void tst_Cli::linkedOutputIsNamed()
{
    QFETCH(QString, linkTarget);
    QFETCH(QString, report);
#if MVPDFRENDER_PORTABLE_FILES
    if (linkTarget.startsWith(QLatin1Char('@')))
        QSKIP("Work files made on Qt alone take an absolute link's target as Qt cleans it");
#endif
    QVERIFY(QDir(path(QStringLiteral("real"))).removeRecursively());
    QFile::remove(path(QStringLiteral("L")));
    QVERIFY(QDir().mkpath(path(QStringLiteral("real/sub"))));
    writeFile(path(QStringLiteral("in.txt")), receiptLines(10));
    QVERIFY(QFile::link(QStringLiteral("real/sub"), path(QStringLiteral("L"))));
    QCOMPARE(::symlink("chained.pdf", qPrintable(path(QStringLiteral("real/hop")))), 0);
    const QString target = linkTarget.replace(QLatin1Char('@'), dir.path());
    QCOMPARE(::symlink(qPrintable(target), qPrintable(path(QStringLiteral("real/sub/out")))), 0);
    const Result result = runTool({QStringLiteral("lines"), path(QStringLiteral("in.txt")), QStringLiteral("-o"),
                                   path(QStringLiteral("L/out"))});
    QCOMPARE(result.status, 0);
    const QString real = QDir(path(QStringLiteral("real"))).canonicalPath() + report.mid(report.indexOf(QLatin1Char('/')));
    QVERIFY2(result.err.contains(QStringLiteral("wrote %1 (1 page)").arg(real)), qPrintable(result.err));
    QVERIFY(PdfProbe::structureValid(real));
}

void tst_Cli::outputThatIsAnInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("standardInput");   // a file to read standard input from
    QTest::newRow("the same name") << QStringList{"lines", "in.txt", "-o", "in.txt"} << QString();
    QTest::newRow("through a linked folder") << QStringList{"lines", "in.txt", "-o", "link/../in.txt"} << QString();
    QTest::newRow("a symbolic link to it") << QStringList{"lines", "in.txt", "-o", "alias.txt"} << QString();
    QTest::newRow("a hard link to it") << QStringList{"lines", "in.txt", "-o", "hard.txt"} << QString();
    QTest::newRow("standard input") << QStringList{"lines", "-", "-o", "in.txt"} << "in.txt";
    QTest::newRow("an image of a document") << QStringList{"documents", "doc.json", "-o", "logo.png"}
                                            << QString();
}

void tst_Cli::outputThatIsAnInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, standardInput);
    const QByteArray input = receiptLines(50);
    writeFile(path(QStringLiteral("in.txt")), input);
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::black);
    QVERIFY(image.save(path(QStringLiteral("logo.png"))));
    const QByteArray logo = readFile(path(QStringLiteral("logo.png")));
    writeFile(path(QStringLiteral("doc.json")), R"([{"items": [{"image": "logo.png"}]}])");
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub/deeper")));
    writeFile(path(QStringLiteral("sub/in.txt")), input);
    // link/.. is the folder sub, not the test folder: "../in.txt" seen through it is not in.txt.
    for (const auto &link : {std::pair{"sub/deeper", "link"}, std::pair{"in.txt", "alias.txt"}}) {
        QFile::remove(path(QLatin1String(link.second)));
        QVERIFY(QFile::link(path(QLatin1String(link.first)), path(QLatin1String(link.second))));
    }
    QFile::remove(path(QStringLiteral("hard.txt")));
    QCOMPARE(::link(qPrintable(path(QStringLiteral("in.txt"))), qPrintable(path(QStringLiteral("hard.txt")))), 0);

    QProcess process;
    process.setWorkingDirectory(dir.path());
    if (!standardInput.isEmpty())
        process.setStandardInputFile(path(standardInput));
    process.start(QStringLiteral(MVPDFRENDER_TOOL), arguments);
    QVERIFY(process.waitForFinished(60000));
    if (QTest::currentDataTag() == QLatin1String("through a linked folder")) {
        // The output is sub/in.txt: the input survives, its namesake in sub is replaced.
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(PdfProbe::structureValid(path(QStringLiteral("sub/in.txt"))));
    } else {
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("it is also an input of this run"));
    }
    QCOMPARE(readFile(path(QStringLiteral("in.txt"))), input);
    QCOMPARE(readFile(path(QStringLiteral("logo.png"))), logo);
}

void tst_Cli::replacedOutputKeepsItsMode_data()
{
    QTest::addColumn<int>("earlierMode");   // -1: no earlier OUT
    QTest::addColumn<int>("umask");
    QTest::addColumn<bool>("defaultAcl");   // the folder grants a group rw- by default
    QTest::addColumn<int>("mode");
    QTest::newRow("a private report stays private") << 0600 << 022 << false << 0600;
    QTest::newRow("a shared report stays shared") << 0664 << 077 << false << 0664;
    QTest::newRow("a new report follows the umask") << -1 << 027 << false << 0640;
    // As any new file there: the ACL's mask (the group bits) rw-, the umask not asked.
    QTest::newRow("a new report follows the folder's ACL") << -1 << 077 << true << 0664;
}

void tst_Cli::replacedOutputKeepsItsMode()
{
    QFETCH(int, earlierMode);
    QFETCH(int, umask);
    QFETCH(bool, defaultAcl);
    QFETCH(int, mode);
    writeFile(path(QStringLiteral("in.txt")), receiptLines(10));
    const QString folder = defaultAcl ? QStringLiteral("shared") : QStringLiteral("reports");
    const QString target = path(folder + QStringLiteral("/out.pdf"));
    QVERIFY(QDir(dir.path()).mkpath(folder));
    if (defaultAcl && !grantGroupByDefault(path(folder), ::getgid() + 1))
        QSKIP("The file system of the temporary folder has no ACLs");
    QFile::remove(target);
    // OUT is reached through a link, which stays a link to the replaced report.
    QFile::remove(path(QStringLiteral("out.pdf")));
    QVERIFY(QFile::link(target, path(QStringLiteral("out.pdf"))));
    if (earlierMode >= 0) {
        writeFile(target, "earlier");
        QCOMPARE(::chmod(qPrintable(target), mode_t(earlierMode)), 0);
    }
    QProcess process;
    process.setWorkingDirectory(dir.path());
    startInShell(process, QStringLiteral("umask %1").arg(umask, 3, 8, QLatin1Char('0')),
                 {QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"), QStringLiteral("out.pdf")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(QFileInfo(path(QStringLiteral("out.pdf"))).isSymLink());
    QVERIFY(PdfProbe::structureValid(target));
    struct stat status {};
    QCOMPARE(::stat(qPrintable(target), &status), 0);
    QCOMPARE(int(status.st_mode & 0777), mode);
    QCOMPARE(QDir(path(folder)).entryList(QDir::Files | QDir::Hidden), QStringList{"out.pdf"});
}

// OUT's folder renamed, and another made in its place, while the report is written: the
// report stands in the renamed folder, and the run fails saying so instead of "wrote OUT".
void tst_Cli::movedFolderIsNamed()
{
#if MVPDFRENDER_PORTABLE_FILES
    QSKIP("Work files made on Qt alone find their folder again by its path");
#endif
    writeFile(path(QStringLiteral("in.txt")), receiptLines(20000));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("out")));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    QByteArray said;
    connect(&process, &QProcess::readyReadStandardError, &process, [&]() {
        if (said.isEmpty()) {
            QDir(dir.path()).rename(QStringLiteral("out"), QStringLiteral("moved"));
            QDir(dir.path()).mkpath(QStringLiteral("out"));
        }
        said += process.readAllStandardError();
    });
    process.start(QStringLiteral(MVPDFRENDER_TOOL), {QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                                                    QStringLiteral("out/report.pdf"), QStringLiteral("--progress")});
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(said.contains("cannot write out/report.pdf: its folder was moved during the run; the report is "
                           + QFile::encodeName(QDir(path(QStringLiteral("moved"))).canonicalPath()) + "/report.pdf"),
             said.right(300).constData());
    QVERIFY(!said.contains("wrote"));
    QVERIFY(PdfProbe::structureValid(path(QStringLiteral("moved/report.pdf"))));
    QVERIFY(QDir(path(QStringLiteral("out"))).isEmpty());
}

void tst_Cli::streamedOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("appendToFile");   // standard output opened for appending to a file
    QTest::newRow("- to a pipe") << "-" << false;
    QTest::newRow("/dev/stdout to a pipe") << "/dev/stdout" << false;
    QTest::newRow("/dev/stdout appended to a file") << "/dev/stdout" << true;
}

void tst_Cli::streamedOutput()
{
    QFETCH(QString, output);
    QFETCH(bool, appendToFile);
    writeFile(path(QStringLiteral("in.txt")), receiptLines(700));
    const QString file = path(QStringLiteral("streamed.pdf"));
    const QByteArray earlier = "earlier content\n";
    writeFile(file, earlier);
    QProcess process;
    if (appendToFile)
        process.setStandardOutputFile(file, QIODevice::Append);
    process.start(QStringLiteral(MVPDFRENDER_TOOL), {QStringLiteral("lines"), path(QStringLiteral("in.txt")),
                                                     QStringLiteral("-o"), output, QStringLiteral("--progress")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray err = process.readAllStandardError();
    QVERIFY(err.contains("page 1 written"));
    QVERIFY(err.contains("wrote standard output (3 pages)"));
    QByteArray pdf = appendToFile ? readFile(file) : process.readAllStandardOutput();
    if (appendToFile) {
        QVERIFY(pdf.startsWith(earlier));
        pdf = pdf.mid(earlier.size());
    }
    QVERIFY(pdf.startsWith("%PDF-"));
    writeFile(file, pdf);
    QVERIFY(PdfProbe::structureValid(file));
    QCOMPARE(PdfProbe::pageCount(file), 3);
}

void tst_Cli::quickView()
{
    // A NUL inside a line goes out with the rest of the line.
    const QByteArray nul(1, '\0');
    const Result result = runTool({QStringLiteral("quickview")}, "\x1b" "Ekawa\n\nab\x1b!cd\nSUMA" + nul + "PLN\n");
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QStringLiteral("k a w a \n \nabcd\nSUMA") + QChar(0) + QStringLiteral("PLN\n"));
}

void tst_Cli::cancelledMarker_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("status");
    QTest::newRow("in the last two") << "2" << 0;
    QTest::newRow("not in the last line") << "1" << 1;
    QTest::newRow("whole printout") << "0" << 0;
    QTest::newRow("negative") << "-1" << 2;
}

void tst_Cli::cancelledMarker()
{
    QFETCH(QString, window);
    QFETCH(int, status);
    const Result result = runTool({QStringLiteral("quickview"), QStringLiteral("--cancelled"), window},
                                  "PARAGON\n\x1b" "EANULOWANY\nkoniec\n");
    QCOMPARE(result.status, status);
    QVERIFY(result.out.isEmpty());
}

void tst_Cli::languages_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("said");        // all of them
    QTest::addColumn<QStringList>("notSaid");     // none of them
    const QStringList report{QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                             QStringLiteral("out.pdf"), QStringLiteral("--progress")};
    const QString tool = QFileInfo(QStringLiteral(MVPDFRENDER_TOOL)).fileName();   // the flavour's name
    QTest::newRow("English") << QByteArray("C.UTF-8") << report
        << QStringList{QStringLiteral("page 1 written, "), QStringLiteral("% of lines"), QStringLiteral("(3 pages)")}
        << QStringList{QStringLiteral("zapisano"), QStringLiteral("Tworzenie"), QStringLiteral("stron")};
    QTest::newRow("Polish") << QByteArray("pl_PL.UTF-8") << report
        << QStringList{QStringLiteral("zapisano stronę 1, "), QStringLiteral("% wierszy"), QStringLiteral("(3 strony)")}
        << QStringList{QStringLiteral("page"), QStringLiteral("wrote"), QStringLiteral("lines")};
    QTest::newRow("Polish help") << QByteArray("pl_PL.UTF-8") << QStringList{QStringLiteral("documents"), QStringLiteral("--help")}
        << QStringList{tool + QStringLiteral(" documents [opcje] WEJŚCIE..."), QStringLiteral("Numeruje dokumenty")}
        << QStringList{QStringLiteral("Number the documents"), QStringLiteral("INPUT")};
    QTest::newRow("Polish help, Qt's rows too") << QByteArray("pl_PL.UTF-8") << QStringList{QStringLiteral("lines"), QStringLiteral("--help")}
        << QStringList{QStringLiteral("Pokazuje tę pomoc.")} << QStringList{QStringLiteral("Displays")};
    QTest::newRow("the full help at the top") << QByteArray("C.UTF-8") << QStringList{QStringLiteral("--help-all")}
        << QStringList{QStringLiteral("Usage: %1 COMMAND").arg(tool)} << QStringList{QStringLiteral("unknown command")};
    QTest::newRow("Polish numbers") << QByteArray("pl_PL.UTF-8") << report + QStringList{QStringLiteral("--text-size"), QStringLiteral("4,5")}
        << QStringList{QStringLiteral("73,9 % wierszy")} << QStringList{QStringLiteral("73.9")};
    QTest::newRow("Polish usage error") << QByteArray("pl_PL.UTF-8")
        << QStringList{QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"), QStringLiteral("out.pdf"),
                       QStringLiteral("--date"), QStringLiteral("jutro")}
        << QStringList{QStringLiteral("--date przyjmuje dzień"), QStringLiteral("Spróbuj: '%1 lines --help'").arg(tool)}
        << QStringList{QStringLiteral("takes"), QStringLiteral("Try")};
}

// A run speaks one language, the locale's: Polish throughout, the library's texts and the
// tool's alike, or English throughout.
void tst_Cli::languages()
{
    QFETCH(QByteArray, language);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, said);
    QFETCH(QStringList, notSaid);
    writeFile(path(QStringLiteral("in.txt")), receiptLines(700));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(language));
    QStringList withPaths;
    for (const QString &argument : arguments)
        withPaths.append(argument.endsWith(QLatin1String(".txt")) || argument.endsWith(QLatin1String(".pdf"))
                         ? path(argument) : argument);
    const Result result = runTool(withPaths, QByteArray(), environment);
    const QString all = result.out + result.err;
    for (const QString &text : said)
        QVERIFY2(all.contains(text), qPrintable(text + QStringLiteral(" not in: ") + all.left(600)));
    for (const QString &text : notSaid)
        QVERIFY2(!all.contains(text), qPrintable(text + QStringLiteral(" in: ") + all.left(600)));
}

void tst_Cli::encodings_data()
{
    QTest::addColumn<QString>("option");     // --encoding's value; empty: none given
    QTest::addColumn<QByteArray>("iconvName");
    QTest::newRow("windows-1250") << "cp1250" << QByteArray("CP1250");
    QTest::newRow("ISO-8859-2") << "iso-8859-2" << QByteArray("ISO-8859-2");
    QTest::newRow("CP852") << "cp852" << QByteArray("CP852");
    QTest::newRow("UTF-16 with a byte-order mark") << "utf-16" << QByteArray("UTF-16");
    QTest::newRow("UTF-16, its mark alone") << QString() << QByteArray("UTF-16");
}

// A file in an older encoding renders the same words as its UTF-8 twin.
void tst_Cli::encodings()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, iconvName);
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("Zażółć gęślą jaźń %1 ŹĆŃĄŚ 12,50\r\n").arg(i);
    writeFile(path(QStringLiteral("utf8.txt")), text.toUtf8());
    const QByteArray older = encoded(text, iconvName.constData());
    QVERIFY(!older.isEmpty() && older != text.toUtf8());
    writeFile(path(QStringLiteral("older.txt")), older);
    QStringList arguments{QStringLiteral("lines"), path(QStringLiteral("older.txt")), QStringLiteral("-o"),
                          path(QStringLiteral("older.pdf")), QStringLiteral("--title"), QStringLiteral("Kasa")};
    if (!option.isEmpty())
        arguments += QStringList{QStringLiteral("--encoding"), option};
    const Result result = runTool(arguments);
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(runTool({QStringLiteral("lines"), path(QStringLiteral("utf8.txt")), QStringLiteral("-o"),
                      path(QStringLiteral("utf8.pdf")), QStringLiteral("--title"), QStringLiteral("Kasa")}).status, 0);
    const QStringList pages = PdfProbe::pageTexts(path(QStringLiteral("older.pdf")));
    QVERIFY(pages.value(0).contains(QStringLiteral("Zażółć gęślą jaźń 39 ŹĆŃĄŚ 12,50")));
    QCOMPARE(pages, PdfProbe::pageTexts(path(QStringLiteral("utf8.pdf"))));
}

void tst_Cli::decodingKeepsEveryCharacter_data()
{
    QTest::addColumn<QString>("option");      // --encoding's value; empty: none given
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("lines");       // what quickview gives back: the lines read

    const QByteArray nul(1, '\0');
    const QString text = QStringLiteral("PARAGON %1 Zażółć\nANULOWANY\n").arg(QChar(0));
    QTest::newRow("a NUL in windows-1250") << "cp1250" << encoded(text, "CP1250") << text;
    QTest::newRow("a NUL in UTF-16, its mark alone") << QString() << encoded(text, "UTF-16") << text;
    QTest::newRow("UTF-32, its mark alone") << QString() << QByteArray("\xFF\xFE\0\0", 4) + encoded(text, "UTF-32LE") << text;
    QTest::newRow("UTF-32 named") << "utf-32" << QByteArray("\xFF\xFE\0\0", 4) + encoded(text, "UTF-32LE") << text;
    QTest::newRow("UTF-16 named, its mark dropped") << "utf-16le" << QByteArray("\xFF\xFE") + encoded(text, "UTF-16LE") << text;
    // The mark read, a U+FEFF after it is the text's first character, as in UTF-8.
    for (const char *name : {"", "utf-16", "utf-16le"})
        QTest::newRow(qPrintable(QStringLiteral("a U+FEFF after a UTF-16 mark, %1").arg(QLatin1String(name))))
            << QString::fromLatin1(name) << QByteArray("\xFF\xFE") + encoded(QStringLiteral("\uFEFF") + text, "UTF-16LE")
            << QStringLiteral("\uFEFF") + text;
    // A mark is no more than the bytes it is in an encoding the operator named.
    QTest::newRow("a foreign mark in windows-1250") << "cp1250" << QByteArray("\xFF\xFE" "ab\n") << QStringLiteral("˙ţab\n");
    // Only the file's own mark is no text: one that begins a later line is a character of it.
    QTest::newRow("a mark inside UTF-8") << QString() << QByteArray("\xEF\xBB\xBF" "PARAGON\n\xEF\xBB\xBF" "SUMA\n")
                                         << QStringLiteral("PARAGON\n\uFEFFSUMA\n");
    // Wide code units whatever the encoding's name.
    QTest::newRow("UCS-2 by another name") << "UNICODELITTLE" << encoded(text, "UNICODELITTLE") << text;
    // Text that begins like an archive's or an image's signature is still text.
    QTest::newRow("text that begins like a signature") << QString() << QByteArray("BZhang Wei\nGIF89a to format\n%PDF-1.4 no\n")
                                                       << QStringLiteral("BZhang Wei\nGIF89a to format\n%PDF-1.4 no\n");
    // (quickview drops ESC and the character after it.)
    QTest::newRow("printer parameter bytes") << QString() << QByteArray("\x1B" "a\x01PARAGON\n\x1D!\x11SUMA\x0E 12,00\n")
                                             << QStringLiteral("\x01PARAGON\n\x1D!\x11SUMA\x0E 12,00\n");

    // TSCII makes up to four characters (twelve bytes of UTF-8) of one byte: every byte that
    // stands for something, as iconv reads them.
    QByteArray tamil;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        if (!converted(QByteArray(1, char(byte)), "TSCII", "UTF-8").isEmpty())
            tamil += char(byte);
    }
    QTest::newRow("TSCII, many bytes a byte") << "TSCII" << tamil + '\n'
                                              << QString::fromUtf8(converted(tamil, "TSCII", "UTF-8") + '\n');
    // A long run of lines, which the C library's TSCII converter garbles here and there when
    // it is given all of them at once.
    const QByteArray tamilLine = encoded(QStringLiteral("ஸ்ரீ ராமஜெயம் ஸ்ரீ கிருஷ்ணா\n"), "TSCII");
    const QByteArray tamilLineText = converted(tamilLine, "TSCII", "UTF-8");
    constexpr int kTamilLines = 50000;
    QTest::newRow("TSCII, a long run of lines") << "TSCII" << tamilLine.repeated(kTamilLines)
                                                << QString::fromUtf8(tamilLineText).repeated(kTamilLines);
    // Text whose conversion needs more room midway (glibc's TSCII gives other text when it
    // resumes after asking for room).
    const QByteArray roomy(
        "\x80\x2F\x02\x5A\x61\xBF\xF3\x2D\xB3\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\xA7\xA8\xA9\xAA\xAB"
        "\xAC\xAD\xAE\xAF\xB0\xE6\x20\x67\xEA\x9C\x6C\xB9\x00\x6A\x30\x9F\xF1\x0D\x2D\xB3\x81\x82\x83\x84"
        "\x85\xB2\xB3\xB4\xB5\xB6\xB7\x48\x46\x45\x3F\xBC\xBD\x4F\x4E\x0A\xBE\xBF\xC0\xC1", 68);
    const QByteArray roomyText = converted(roomy, "TSCII", "UTF-8") + '\n';
    QTest::newRow("TSCII, more room midway") << "TSCII" << roomy
                                             << QString::fromUtf8(roomyText.constData(), roomyText.size());
}

// Whatever the encoding and however it is asked for, every character of the input comes
// back, NULs included (quickview gives the lines it read as they are).
void tst_Cli::decodingKeepsEveryCharacter()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, input);
    QFETCH(QString, lines);
    QVERIFY(!input.isEmpty());
    writeFile(path(QStringLiteral("in.txt")), input);
    QStringList arguments{QStringLiteral("quickview"), path(QStringLiteral("in.txt"))};
    if (!option.isEmpty())
        arguments += QStringList{QStringLiteral("--encoding"), option};
    const Result result = runTool(arguments);
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(result.out, lines);
}

// --text-size sets the layout resolution: 5 points is a resolution of 100, the same file.
void tst_Cli::textSizeIsAResolution()
{
    writeFile(path(QStringLiteral("in.txt")), receiptLines(300));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1764460800"));
    const QStringList arguments{QStringLiteral("lines"), path(QStringLiteral("in.txt")), QStringLiteral("-o")};
    QCOMPARE(runTool(arguments + QStringList{path(QStringLiteral("size.pdf")), QStringLiteral("--text-size"),
                                            QStringLiteral("5")}, QByteArray(), environment).status, 0);
    QCOMPARE(runTool(arguments + QStringList{path(QStringLiteral("ppi.pdf")), QStringLiteral("--ppi"),
                                            QStringLiteral("100")}, QByteArray(), environment).status, 0);
    QVERIFY(readFile(path(QStringLiteral("size.pdf"))) == readFile(path(QStringLiteral("ppi.pdf"))));
}

void tst_Cli::largeTextKeepsLinesWhole_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QStringList>("size");
    QTest::addColumn<int>("length");
    QTest::newRow("40 characters at 6.9 pt") << QByteArray("C.UTF-8") << QStringList{"--text-size", "6.9"} << 40;
    QTest::newRow("40 characters at 6,9 pt in Polish") << QByteArray("pl_PL.UTF-8") << QStringList{"--text-size", "6,9"} << 40;
    QTest::newRow("50 characters at 72 ppi") << QByteArray("C.UTF-8") << QStringList{"--ppi", "72"} << 50;
    QTest::newRow("50 characters at 6.6 pt") << QByteArray("C.UTF-8") << QStringList{"--text-size", "6.6"} << 50;
}

// At every accepted size a printout line of up to 50 characters stays whole: a page whose
// lines a third of it cannot hold gets two columns.
void tst_Cli::largeTextKeepsLinesWhole()
{
    QFETCH(QByteArray, language);
    QFETCH(QStringList, size);
    QFETCH(int, length);
    QStringList lines;
    for (int i = 0; i < 400; ++i)
        lines.append(QStringLiteral("Mąka pszenna typ 450 %1").arg(i, 4, 10, QLatin1Char('0')).leftJustified(length - 8)
                     + QStringLiteral("1 x 6,92"));
    writeFile(path(QStringLiteral("in.txt")), lines.join(QLatin1Char('\n')).toUtf8());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(language));
    const QString out = path(QStringLiteral("large.pdf"));
    QCOMPARE(runTool(QStringList{QStringLiteral("lines"), path(QStringLiteral("in.txt")), QStringLiteral("-o"), out} + size,
                     QByteArray(), environment).status, 0);
    const QString text = PdfProbe::rawText(out);
    for (const QString &line : qAsConst(lines))
        QVERIFY2(text.contains(line.simplified() + QLatin1Char('\n')), qPrintable(line));
}

// A reader that stops reading ends quickview quietly, with the status of a SIGPIPE death.
void tst_Cli::quickViewIntoAClosedPipe()
{
    writeFile(path(QStringLiteral("in.txt")), receiptLines(200000));
    QProcess process;
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"),
                  QStringLiteral("set -o pipefail; '%1' quickview '%2' | head -n 1 > /dev/null")
                          .arg(QStringLiteral(MVPDFRENDER_TOOL), path(QStringLiteral("in.txt")))});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 141);
    QCOMPARE(process.readAllStandardError(), QByteArray());
}

// Every option of every command's help is in the manual and in the README, and every option
// the manual describes is one of the tool's.
void tst_Cli::everyOptionDocumented()
{
    QSet<QString> helped;
    for (const QString &command : {QStringLiteral("lines"), QStringLiteral("documents"), QStringLiteral("quickview")})
        helped += helpOptions(runTool({command, QStringLiteral("--help")}).out);
    QVERIFY(helped.contains(QStringLiteral("encoding")) && helped.contains(QStringLiteral("output")));
    const QString manual = QString::fromUtf8(readFile(QStringLiteral(MVPDFRENDER_MANUAL))).remove(QLatin1Char('\\'));
    const QString readme = QString::fromUtf8(readFile(QStringLiteral(MVPDFRENDER_README)));
    // The manual's options stand in its tagged lines (.B, .BI, .BR).
    QSet<QString> described;
    const QRegularExpression option(QStringLiteral("--([a-z][a-z-]*)"));
    for (const QString &line : manual.split(QLatin1Char('\n'))) {
        QRegularExpressionMatchIterator found = option.globalMatch(line);
        while (line.startsWith(QLatin1String(".B")) && found.hasNext())
            described.insert(found.next().captured(1));
    }
    for (const QString &option : qAsConst(helped)) {
        QVERIFY2(described.contains(option), qPrintable(QStringLiteral("--%1 is not in the manual").arg(option)));
        QVERIFY2(readme.contains(QStringLiteral("--") + option),
                 qPrintable(QStringLiteral("--%1 is not in the README").arg(option)));
    }
    for (const QString &option : qAsConst(described))
        QVERIFY2(helped.contains(option), qPrintable(QStringLiteral("--%1 is in the manual only").arg(option)));
}

QTEST_MAIN(tst_Cli)
#include "tst_cli.moc"
