#include "pdfprobe.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

Result runTool(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QProcess process;
    process.start(QStringLiteral(MVPDFRENDER_TOOL), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
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

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lineReport();
    void lineReportFromStandardInput();
    void documentReport();
    void inputErrors_data();
    void inputErrors();
    void outputErrors_data();
    void outputErrors();
    void interruptRemovesThePartialFile();
    void quickView();
    void cancelledMarker_data();
    void cancelledMarker();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList leftovers() const;
    QTemporaryDir dir;
};

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
                                   QStringLiteral("--progress")});
    QCOMPARE(result.status, 0);
    const QString out = path(QStringLiteral("out.pdf"));
    const int pages = PdfProbe::pageCount(out);
    QVERIFY(pages >= 2);
    QVERIFY(PdfProbe::structureValid(out));
    QCOMPARE(PdfProbe::info(out, QStringLiteral("Title")), QStringLiteral("Dzienny"));
    QCOMPARE(result.err.count(QStringLiteral("Tworzenie strony: ")), pages - 1);
    QVERIFY(result.err.contains(QStringLiteral("(%1 pages)").arg(pages)));
    const QString text = PdfProbe::pageTexts(out).join(QString());
    QVERIFY(text.contains(QStringLiteral("Pozycja 0699 żółć 12,50")));
    QVERIFY(text.contains(QStringLiteral("Gdańsk, dnia")));
    QVERIFY(text.contains(QStringLiteral("CIĄG")));
    QCOMPARE(leftovers(), QStringList({QStringLiteral("in.txt"), QStringLiteral("out.pdf")}));
}

void tst_Cli::lineReportFromStandardInput()
{
    const QByteArray printout = "NORMAL\r\n\x1b" "EDUZY\r\n";
    const Result result = runTool({QStringLiteral("lines"), QStringLiteral("-"), QStringLiteral("--quick-view"),
                                   QStringLiteral("-o"), path(QStringLiteral("q.pdf")), QStringLiteral("--quiet")},
                                  printout);
    QCOMPARE(result.status, 0);
    QVERIFY(result.err.isEmpty());
    const QString text = PdfProbe::pageTexts(path(QStringLiteral("q.pdf"))).value(0);
    QVERIFY(text.contains(QStringLiteral("NORMAL")));
    QVERIFY(text.contains(QStringLiteral("D U Z Y")));
}

void tst_Cli::documentReport()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QVERIFY(image.save(path(QStringLiteral("logo.png"))));
    writeFile(path(QStringLiteral("a.txt")), "SKLEP\nChleb 3,50\n");
    writeFile(path(QStringLiteral("b.json")), R"({"documents": [
        {"items": ["Pierwszy", {"text": "Nagłówek", "format": 0, "centred": true},
                   {"image": "logo.png", "scale": 0.5, "spaced": true, "tight": true}]},
        {"number": 77, "items": [{"text": "Drugi", "fullHeight": true, "heightFactor": 1.0}]}
    ]})");
    const Result result = runTool({QStringLiteral("documents"), path(QStringLiteral("a.txt")),
                                   path(QStringLiteral("b.json")), QStringLiteral("--numbered"),
                                   QStringLiteral("--first-number"), QStringLiteral("5"),
                                   QStringLiteral("-o"), path(QStringLiteral("docs.pdf"))});
    QCOMPARE(result.status, 0);
    QCOMPARE(PdfProbe::pageCount(path(QStringLiteral("docs.pdf"))), 1);
    const QString text = spaceless(PdfProbe::pageTexts(path(QStringLiteral("docs.pdf"))).value(0));
    QVERIFY(text.contains(QStringLiteral("Dokumentnr5")));
    QVERIFY(text.contains(QStringLiteral("Dokumentnr6")));   // the first JSON document, in order
    QVERIFY(text.contains(QStringLiteral("Dokumentnr77")));  // its own number wins
    QVERIFY(text.contains(QStringLiteral("Nagłówek")));
    QVERIFY(text.indexOf(QStringLiteral("SKLEP")) < text.indexOf(QStringLiteral("Drugi")));
}

void tst_Cli::inputErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("content");     // written to in.txt or in.json first
    QTest::addColumn<QString>("message");

    QTest::newRow("missing input") << QStringList{"lines", "nowhere.txt"} << QByteArray()
                                   << "nowhere.txt: no such file";
    QTest::newRow("a directory as input") << QStringList{"lines", "."} << QByteArray() << "is a directory";
    QTest::newRow("invalid UTF-8 lines") << QStringList{"lines", "in.txt"} << QByteArray("ok\n\xff\nok\n\xc3\n")
                                         << "in.txt: invalid UTF-8 on lines 2, 4";
    QTest::newRow("malformed JSON") << QStringList{"documents", "in.json"} << QByteArray("{\"documents\": [}")
                                    << "in.json: malformed JSON at offset 16";
    QTest::newRow("unknown JSON key") << QStringList{"documents", "in.json"}
                                      << QByteArray(R"({"documents": [{"items": [{"txt": "a"}]}]})")
                                      << "in.json: document 1, item 1: unknown key \"txt\"";
    QTest::newRow("missing image") << QStringList{"documents", "in.json"}
                                   << QByteArray(R"([{"items": [{"image": "none.png"}]}])")
                                   << "cannot read image \"none.png\"";
    QTest::newRow("unknown option") << QStringList{"lines", "in.txt", "--colour"} << QByteArray("a")
                                    << "Unknown option 'colour'";
    QTest::newRow("missing output") << QStringList{"lines", "in.txt", "--no-o"} << QByteArray("a")
                                    << "Unknown option";
    QTest::newRow("bad ppi") << QStringList{"lines", "in.txt", "--ppi", "0"} << QByteArray("a")
                             << "--ppi takes a whole number";
    QTest::newRow("first number without numbering") << QStringList{"documents", "in.txt", "--first-number", "3"}
                                                    << QByteArray("a") << "--first-number needs --numbered";
}

void tst_Cli::inputErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    writeFile(path(QStringLiteral("in.txt")), content);
    writeFile(path(QStringLiteral("in.json")), content);
    QDir::setCurrent(dir.path());
    const Result result = runTool(arguments + QStringList{QStringLiteral("-o"), QStringLiteral("out.pdf")});
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(!QFile::exists(path(QStringLiteral("out.pdf"))));
    QCOMPARE(leftovers().size(), 2);
}

void tst_Cli::outputErrors_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << "missing/out.pdf" << "cannot write missing/out.pdf";
    QTest::newRow("a directory") << "." << "cannot write .: it is a directory";
    QTest::newRow("a full device") << "/dev/full" << "Nie można zapisać pliku PDF: /dev/full";
}

void tst_Cli::outputErrors()
{
    QFETCH(QString, output);
    QFETCH(QString, message);
    if (output.startsWith(QLatin1Char('/')) && !QFile::exists(output))
        QSKIP("the device is missing on this system");
    writeFile(path(QStringLiteral("in.txt")), "linia\n");
    QDir::setCurrent(dir.path());
    const Result result = runTool({QStringLiteral("lines"), QStringLiteral("in.txt"), QStringLiteral("-o"), output});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(leftovers(), QStringList{QStringLiteral("in.txt")});
}

void tst_Cli::interruptRemovesThePartialFile()
{
    QByteArray lines;
    for (int i = 0; i < 200000; ++i)
        lines += "Pozycja " + QByteArray::number(i) + " .......... 1,00\n";
    writeFile(path(QStringLiteral("big.txt")), lines);
    // An earlier report of the same name must survive a cancelled run.
    writeFile(path(QStringLiteral("out.pdf")), "earlier report");

    QProcess process;
    process.start(QStringLiteral(MVPDFRENDER_TOOL),
                  {QStringLiteral("lines"), path(QStringLiteral("big.txt")), QStringLiteral("-o"),
                   path(QStringLiteral("out.pdf")), QStringLiteral("--progress")});
    QVERIFY(process.waitForStarted());
    // Wait for the first pages, then interrupt.
    QByteArray progress;
    const auto pageWritten = [&]() {
        progress += process.readAllStandardError();
        return progress.contains("Tworzenie strony");
    };
    QTRY_VERIFY_WITH_TIMEOUT(pageWritten(), 60000);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(leftovers(), QStringList({QStringLiteral("big.txt"), QStringLiteral("out.pdf")}));
    QFile earlier(path(QStringLiteral("out.pdf")));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier report"));
}

void tst_Cli::quickView()
{
    const Result result = runTool({QStringLiteral("quickview")}, "\x1b" "Ekawa\n\nab\x1b!cd\n");
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QStringLiteral("k a w a \n \nabcd\n"));
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

QTEST_MAIN(tst_Cli)
#include "tst_cli.moc"
