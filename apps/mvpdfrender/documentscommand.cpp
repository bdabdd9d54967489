#include "commands.h"

#include "documentfeeder.h"
#include "documentreader.h"
#include "imageloader.h"
#include "inputreader.h"
#include "reportoptions.h"
#include "reportrunner.h"
#include "signalbridge.h"
#include "textinput.h"
#include "tool.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <limits>
#include <optional>

namespace {
constexpr qint64 kMaxDocumentNumber = std::numeric_limits<int>::max();
}

int Commands::runDocuments(const QStringList &arguments)
{
    const QString command = QStringLiteral("documents");
    QCommandLineParser parser;
    parser.setApplicationDescription(Tool::tr(
            "Renders documents one after another through 2 or 3 columns per page. A .txt input is one "
            "document of printout lines; a .json input describes documents with items (see the manual). "
            "With SOURCE_DATE_EPOCH set, the same inputs and options give the same file, byte for byte."));
    parser.addPositionalArgument(Tool::tr("INPUT..."), Tool::tr(".txt or .json files."));
    const ReportOptions report;
    report.addTo(parser);
    const QCommandLineOption numbered(QStringLiteral("numbered"), Tool::tr("Number the documents in input order."));
    const QCommandLineOption firstNumber(QStringLiteral("first-number"),
                                         Tool::tr("Number of the first document (default 1)."), QStringLiteral("n"));
    const QCommandLineOption noOutline(QStringLiteral("no-outline"),
                                       Tool::tr("Leave out the outline (one bookmark per document)."));
    const QCommandLineOption noKeepTogether(
            QStringLiteral("no-keep-together"),
            Tool::tr("Place documents as they come: no label kept with its document's first line, no first "
                     "or last line kept from standing alone, no (cd.) label."));
    parser.addOptions({numbered, firstNumber, noOutline, noKeepTogether});
    int status = Success;
    if (!parse(parser, command, Tool::tr("[options] INPUT..."), arguments, &status))
        return status;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(command, Tool::tr("documents takes at least one INPUT"));

    CliJob::Settings settings;
    QString error;
    // A report of several inputs is named for them all, not for the first; in the report's
    // language, whatever the tool speaks.
    const QString defaultTitle = inputs.size() == 1 ? QFileInfo(inputs.first()).fileName()
                                                    : QStringLiteral("Raport (plików: %1)").arg(inputs.size());
    if (!report.read(parser, defaultTitle, &settings, &error))
        return usageError(command, error);
    settings.outline = !parser.isSet(noOutline);
    settings.keepTogether = !parser.isSet(noKeepTogether);
    std::optional<int> first;
    if (parser.isSet(firstNumber) && !parser.isSet(numbered))
        return usageError(command, Tool::tr("--first-number needs --numbered"));
    if (parser.isSet(numbered)) {
        bool ok = true;
        first = parser.isSet(firstNumber) ? parser.value(firstNumber).toInt(&ok) : 1;
        if (!ok || *first < 0)
            return usageError(command, Tool::tr("--first-number takes a whole number from 0 to %1")
                              .arg(kMaxDocumentNumber));
    }

    InputReader reader;
    ImageLoader images(reader);
    QList<DocumentInput> documents;
    for (const QString &input : inputs) {
        QByteArray data;
        status = readInput(reader, input, &data);
        if (status != Success)
            return status;
        if (input.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
            if (!DocumentReader::fromJson(data, input, QFileInfo(input).absolutePath(), images,
                                          &documents, &error)) {
                if (SignalBridge::caught())
                    return reportCancelled();
                Tool::printError(error);
                return UsageError;
            }
            continue;
        }
        QStringList lines;
        if (!TextInput::decodeLines(data, InputReader::displayName(input), report.encoding(parser), &lines, &error)) {
            // Not text: an image given by mistake gets the document to put it in.
            if (!DocumentReader::looksLikeImage(data)) {
                Tool::printError(error);
                return UsageError;
            }
            const QString name = input == QLatin1String("-") ? QStringLiteral("image.png") : QFileInfo(input).fileName();
            return usageError(command, Tool::tr("%1: an image goes into a document of a JSON file, such as "
                                                "{\"documents\": [{\"items\": [{\"image\": %2}]}]}")
                              .arg(InputReader::displayName(input), DocumentReader::jsonString(name)));
        }
        documents.append(DocumentReader::fromLines(lines, input));
    }
    if (documents.isEmpty())
        return usageError(command, Tool::tr("the inputs hold no documents"));
    // The numbers given in input order must all be numbers.
    if (first && *first + qint64(documents.size()) - 1 > kMaxDocumentNumber)
        return usageError(command, Tool::tr("--first-number %1 numbers %2 documents past %3")
                          .arg(*first).arg(documents.size()).arg(kMaxDocumentNumber));

    const ReportRunner::JobFactory makeJob = [&documents, first, &images](const CliJob::Settings &jobSettings) {
        auto notice = [](const QString &text) { Tool::printError(text); };
        return std::make_unique<CliJob>(jobSettings, std::make_unique<DocumentFeeder>(
                std::move(documents), first, images, notice));
    };
    return ReportRunner::run(settings, makeJob,
                             {report.style(parser), Tool::tr("of documents"), report.quiet(parser)},
                             reader.filesRead());
}
