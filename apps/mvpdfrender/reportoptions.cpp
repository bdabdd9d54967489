#include "reportoptions.h"

#include "asyncreportshelper.h"
#include "commands.h"
#include "mvkeys.h"
#include "textinput.h"
#include "tool.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QPaintDevice>
#include <QRegularExpression>

#include <unistd.h>

namespace {

// The layout resolution: below 72 units per inch a column holds too little and a header
// leaves too little room, above 1200 the text is dust.
constexpr int kMinPpi = 72;
constexpr int kMaxPpi = 1200;
// An outline group larger than this is a flat outline in all but name.
constexpr int kMaxOutlineGroup = 1000000;
// The printout text sizes those resolutions give, in points, rounded inwards.
constexpr double kMinTextSize = 0.5;
constexpr double kMaxTextSize = 6.9;
constexpr double kExampleTextSize = 5.5;
// The size in points at which printout text prints for each unit of layout resolution: its
// format's size, laid out at the text layout device's resolution, printed at ppi.
double printoutPointsTimesPpi()
{
    const AsyncReportsHelper helper;
    return helper.formats[MvKeys::PrintoutFormat].fontPointSize()
            * AsyncReportsHelper::textLayoutDevice()->logicalDpiY();
}

// A day written as YYYY-MM-DD, and nothing else; invalid otherwise.
QDate isoDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return form.match(text).hasMatch() ? QDate::fromString(text, Qt::ISODate) : QDate();
}

// SOURCE_DATE_EPOCH (seconds since 1970 in UTC), as reproducible builds set it: the moment
// the file records, and the report's day unless --date gives one.
bool readMoment(CliJob::Settings *settings, QString *error)
{
    if (!qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH"))
        return true;
    const QByteArray text = qgetenv("SOURCE_DATE_EPOCH");
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    // A moment past the years a PDF date holds is the library's to refuse, by name.
    if (!ok || seconds < 0 || text.startsWith('+') || !moment.isValid()) {
        *error = Tool::tr("SOURCE_DATE_EPOCH takes whole seconds since 1970-01-01 UTC, not \"%1\"")
                .arg(QString::fromLocal8Bit(text));
        return false;
    }
    settings->timestamp = moment;
    settings->reportDate = moment.date();
    return true;
}

} // namespace

ReportOptions::ReportOptions()
    : output({QStringLiteral("o"), QStringLiteral("output")}, Tool::tr("Write the PDF to <file> (- for standard output)."),
             QStringLiteral("file")),
      title(QStringLiteral("title"), Tool::tr("Report title (default: the input's name)."), QStringLiteral("text")),
      subtitle(QStringLiteral("subtitle"), Tool::tr("Second header line."), QStringLiteral("text")),
      place(QStringLiteral("place"), Tool::tr("Place that opens the dated header line."), QStringLiteral("text")),
      date(QStringLiteral("date"),
           Tool::tr("The day the report records, for its dated line (default: today, or the day of "
                    "SOURCE_DATE_EPOCH)."),
           QStringLiteral("YYYY-MM-DD")),
      textSize(QStringLiteral("text-size"),
               Tool::tr("Size of the printout text in points, 0.5 to 6.9 (default 4.2); sets --ppi."),
               QStringLiteral("pt")),
      ppi(QStringLiteral("ppi"),
          Tool::tr("Layout resolution, 72 to 1200 units per inch (default 120): lower gives larger text and "
                   "fewer lines a page, higher the opposite; printout text prints at 500/<n> points."),
          QStringLiteral("n")),
      pdfa(QStringLiteral("pdfa"), Tool::tr("Write PDF/A-1b, the archival profile.")),
      pageCount(QStringLiteral("page-count"), Tool::tr("Footers read \"Strona N z M\" (page N of M).")),
      outlineGroup(QStringLiteral("outline-group"),
                   Tool::tr("Group an outline level of more than 500 bookmarks in parents of <n>, named "
                            "by their pages (default 100; 0 leaves the outline flat)."),
                   QStringLiteral("n")),
      encodingName(Commands::encodingOption()),
      debugFrames(QStringLiteral("debug-frames"), Tool::tr("Draw a frame around every item with its scale and size.")),
      debugOutline(QStringLiteral("debug-outline"), QString()),
      progress(QStringLiteral("progress"), Tool::tr("Print a line per page.")),
      quietOption(QStringLiteral("quiet"), Tool::tr("Print nothing but errors."))
{
    debugOutline.setFlags(QCommandLineOption::HiddenFromHelp);
}

void ReportOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({output, title, subtitle, place, date, textSize, ppi, pdfa, pageCount, outlineGroup, encodingName,
                       debugFrames, debugOutline, progress, quietOption});
}

bool ReportOptions::read(const QCommandLineParser &parser, const QString &defaultTitle,
                         CliJob::Settings *settings, QString *error) const
{
    if (!parser.isSet(output) || parser.value(output).isEmpty()) {
        *error = Tool::tr("missing the output file (-o OUT.pdf)");
        return false;
    }
    settings->output = parser.value(output);
    settings->title = parser.isSet(title) ? parser.value(title) : defaultTitle;
    settings->subtitle = parser.value(subtitle);
    settings->place = parser.value(place);
    settings->debugOutline = parser.isSet(debugFrames) || parser.isSet(debugOutline);
    settings->pdfA1b = parser.isSet(pdfa);
    settings->pageCount = parser.isSet(pageCount);
    if (parser.isSet(outlineGroup)) {
        bool ok = false;
        settings->outlineGroupSize = parser.value(outlineGroup).toInt(&ok);
        if (!ok || settings->outlineGroupSize < 0 || settings->outlineGroupSize == 1
            || settings->outlineGroupSize > kMaxOutlineGroup) {
            *error = Tool::tr("--outline-group takes 0 (a flat outline) or a whole number from 2 to %1")
                    .arg(kMaxOutlineGroup);
            return false;
        }
    }
    if (!TextInput::knownEncoding(parser.value(encodingName))) {
        *error = Tool::tr("--encoding: unknown encoding \"%1\"").arg(parser.value(encodingName));
        return false;
    }
    if (!readMoment(settings, error))
        return false;
    if (parser.isSet(date)) {
        settings->reportDate = isoDate(parser.value(date));
        if (!settings->reportDate.isValid()) {
            *error = Tool::tr("--date takes a day as YYYY-MM-DD, such as 2026-11-30");
            return false;
        }
    }
    if (parser.isSet(ppi) && parser.isSet(textSize)) {
        *error = Tool::tr("--ppi and --text-size set the same thing: give one of them");
        return false;
    }
    if (parser.isSet(ppi)) {
        bool ok = false;
        settings->ppi = parser.value(ppi).toInt(&ok);
        if (!ok || settings->ppi < kMinPpi || settings->ppi > kMaxPpi) {
            *error = Tool::tr("--ppi takes a whole number from %1 to %2").arg(kMinPpi).arg(kMaxPpi);
            return false;
        }
    }
    if (parser.isSet(textSize)) {
        bool ok = false;
        const double points = Tool::readDecimal(parser.value(textSize), &ok);
        if (!ok || !(points >= kMinTextSize && points <= kMaxTextSize)) {
            const QLocale written = Tool::locale();
            *error = Tool::tr("--text-size takes points from %1 to %2, such as 5 or %3")
                    .arg(written.toString(kMinTextSize), written.toString(kMaxTextSize),
                         written.toString(kExampleTextSize));
            return false;
        }
        settings->ppi = qRound(printoutPointsTimesPpi() / points);
    }
    return true;
}

ProgressView::Style ReportOptions::style(const QCommandLineParser &parser) const
{
    if (parser.isSet(quietOption))
        return ProgressView::Style::None;
    if (parser.isSet(progress))
        return ProgressView::Style::Lines;
    return ::isatty(STDERR_FILENO) ? ProgressView::Style::Bar : ProgressView::Style::None;
}

bool ReportOptions::quiet(const QCommandLineParser &parser) const
{
    return parser.isSet(quietOption);
}

QString ReportOptions::encoding(const QCommandLineParser &parser) const
{
    return parser.value(encodingName);
}
