#include "pdfprobe.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <functional>

namespace {

QString runTool(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

namespace PdfProbe {

QString info(const QString &path, const QString &key)
{
    const QString output = runTool(QStringLiteral(PDFINFO_EXECUTABLE), {path});
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(output);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QHash<QString, QString> documentInformation(const QString &path)
{
    // One object of the file as qpdf's JSON gives it: its value.
    const auto object = [&path](const QString &name) {
        const QString json = runTool(QStringLiteral(QPDF_EXECUTABLE),
                                     {QStringLiteral("--json=2"), QStringLiteral("--json-key=qpdf"),
                                      QStringLiteral("--json-object=") + name, path});
        const QJsonObject objects = QJsonDocument::fromJson(json.toUtf8()).object()
                .value(QLatin1String("qpdf")).toArray().at(1).toObject();
        return objects.begin() == objects.end() ? QJsonObject()
                                                : objects.begin()->toObject().value(QLatin1String("value")).toObject();
    };
    const QString info = object(QStringLiteral("trailer")).value(QLatin1String("/Info")).toString();
    QHash<QString, QString> entries;
    const QJsonObject values = object(info.section(QLatin1Char(' '), 0, 0));
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QString value = it->toString();
        if (value.startsWith(QLatin1String("u:")))
            entries.insert(it.key(), value.mid(2));
    }
    return entries;
}

int pageCount(const QString &path)
{
    const QString pages = info(path, QStringLiteral("Pages"));
    return pages.isEmpty() ? -1 : pages.toInt();
}

QStringList pageTexts(const QString &path)
{
    QStringList pages = runTool(QStringLiteral(PDFTOTEXT_EXECUTABLE),
                                {QStringLiteral("-layout"), path, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList toUnicodeTargets(const QString &path)
{
    const QString plain = path + QStringLiteral(".qdf");
    runTool(QStringLiteral(QPDF_EXECUTABLE), {QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), path, plain});
    QFile file(plain);
    const QString text = file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    file.remove();
    QStringList targets;
    // Each line of a range or character section: source codes, then the targets.
    const QRegularExpression section(QStringLiteral("begin(bfrange|bfchar)\\n(.*?)endbf"),
                                     QRegularExpression::DotMatchesEverythingOption);
    for (auto sections = section.globalMatch(text); sections.hasNext();) {
        const QRegularExpressionMatch match = sections.next();
        for (const QString &line : match.captured(2).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList codes = line.split(QRegularExpression(QStringLiteral("[\\s\\[\\]]+")), Qt::SkipEmptyParts);
            targets += codes.mid(match.captured(1) == QLatin1String("bfrange") ? 2 : 1);
        }
    }
    return targets;
}

QString rawText(const QString &path)
{
    return runTool(QStringLiteral(PDFTOTEXT_EXECUTABLE), {QStringLiteral("-raw"), path, QStringLiteral("-")});
}

QString muText(const QString &path)
{
    return runTool(QStringLiteral(MUTOOL_EXECUTABLE), {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-F"),
                                                       QStringLiteral("txt"), QStringLiteral("-o"), QStringLiteral("-"), path});
}

QList<Word> words(const QString &path)
{
    const QString xml = runTool(QStringLiteral(PDFTOTEXT_EXECUTABLE),
                                {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    QList<Word> result;
    QXmlStreamReader reader(xml);
    int page = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("page")) {
            ++page;
        } else if (reader.name() == QLatin1String("word")) {
            const auto attributes = reader.attributes();
            const double xMin = attributes.value(QLatin1String("xMin")).toDouble();
            const double yMin = attributes.value(QLatin1String("yMin")).toDouble();
            const double xMax = attributes.value(QLatin1String("xMax")).toDouble();
            const double yMax = attributes.value(QLatin1String("yMax")).toDouble();
            result.append({page, QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax)),
                           reader.readElementText()});
        }
    }
    return result;
}

bool structureValid(const QString &path)
{
    int exitCode = -1;
    runTool(QStringLiteral(QPDF_EXECUTABLE), {QStringLiteral("--check"), path}, &exitCode);
    return exitCode == 0;
}

QList<OutlineEntry> outline(const QString &path)
{
    constexpr double kA4HeightPt = 842.0;   // the pages' height, as Qt's writer sizes A4
    const QString json = runTool(QStringLiteral(QPDF_EXECUTABLE),
                                 {QStringLiteral("--json"), QStringLiteral("--json-key=outlines"), path});
    const std::function<OutlineEntry(const QJsonObject &)> read = [&read](const QJsonObject &entry) {
        OutlineEntry node{entry.value(QLatin1String("title")).toString(),
                          entry.value(QLatin1String("destpageposfrom1")).toInt(),
                          kA4HeightPt - entry.value(QLatin1String("dest")).toArray().at(3).toDouble(),
                          entry.value(QLatin1String("open")).toBool(), {}};
        for (const QJsonValue &kid : entry.value(QLatin1String("kids")).toArray())
            node.kids.push_back(read(kid.toObject()));
        return node;
    };
    QList<OutlineEntry> entries;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).object()
                 .value(QLatin1String("outlines")).toArray())
        entries.append(read(value.toObject()));
    return entries;
}

} // namespace PdfProbe
