#include "pdfrendererbase_p.h"

#include "asyncreportsbase.h"
#include "mvfooterpages.h"
#include "mvkeys.h"
#include "mvreporttexts.h"
#include "pdfoutput_p.h"

#include <QApplication>
#include <QBuffer>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSize>

namespace {
constexpr double kPageMarginMm = 15.0;
constexpr double kPointsPerInch = 72.0;
constexpr double kMmPerInch = 25.4;
// The years a PDF date holds: four digits.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

// A4 portrait, with margins of 15 mm on every side.
QPageLayout pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                       QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
}

// Creates the scene of helper at its resolution for the page the PDF writer will give; returns
// the points a scene unit stands for on the page.
double sizeScene(AsyncReportsHelper &helper)
{
    // The paintable area in device pixels, at the writer's own resolution, asked of a writer
    // without a file, so that the page can be composed (and found wanting) before any file is
    // made.
    QBuffer nowhere;
    QPdfWriter probe(&nowhere);
    probe.setPageLayout(pageLayout());
    const QRect page(0, 0, probe.width(), probe.height());
    const int devicePpi = probe.logicalDpiX();

    // Scene units are 1/ppi inch. Both dimensions are divided by the horizontal resolution.
    const int layoutPpi = helper.ppi;
    const QSize scaled(qRound(double(page.width()) * layoutPpi),
                       qRound(double(page.height()) * layoutPpi));
    const QSize sceneSize(qRound(double(scaled.width()) / devicePpi),
                          qRound(double(scaled.height()) / devicePpi));
    helper.createScene(QRect(QPoint(0, 0), sceneSize));
    // The page shows the scene scaled to the printable area, aspect kept, from its top.
    const double devicePerSceneUnit = qMin(double(page.width()) / sceneSize.width(),
                                           double(page.height()) / sceneSize.height());
    return devicePerSceneUnit * kPointsPerInch / devicePpi;
}

// The font families of the page formats that resolve to no installed font with the glyphs of
// plain text.
QStringList missingFonts(const AsyncReportsHelper &helper)
{
    QStringList missing;
    for (const QTextCharFormat &format : helper.formats) {
        const QFont font = format.font();
        // Without any font Qt still draws, with an engine of empty boxes that has no family.
        bool usable = !QFontInfo(font).family().isEmpty();
        const QFontMetricsF metrics(font);
        for (const QChar c : QStringLiteral("Aa0"))
            usable = usable && metrics.inFont(c);
        if (!usable && !missing.contains(font.family()))
            missing.append(font.family());
    }
    return missing;
}

bool pdfDateHolds(const QDateTime &moment)
{
    const int year = moment.toUTC().date().year();
    return year >= kFirstYear && year <= kLastYear;
}

// moment in UTC in ISO 8601, YYYY-MM-DDTHH:MM:SSZ, a year before 1 with its sign ("-0001").
QString utcMoment(const QDateTime &moment)
{
    const QDateTime utc = moment.toUTC();
    const QDate day = utc.date();
    const QTime time = utc.time();
    const QChar zero(QLatin1Char('0'));
    const QString year = QString::number(qAbs(day.year())).rightJustified(4, zero);
    return QStringLiteral("%1%2-%3-%4T%5:%6:%7Z")
            .arg(day.year() < 0 ? QStringLiteral("-") : QString(), year)
            .arg(day.month(), 2, 10, zero).arg(day.day(), 2, 10, zero)
            .arg(time.hour(), 2, 10, zero).arg(time.minute(), 2, 10, zero).arg(time.second(), 2, 10, zero);
}

} // namespace

void PDFRendererBase::Private::fail(PDFRendererBase &renderer, const MvFailure &reason,
                                    const QString &message)
{
    failure = reason;
    renderer.errorText = message;
}

std::unique_ptr<MvFooterPages> PDFRendererBase::Private::pageLabels(const PDFRendererBase &renderer) const
{
    const AsyncReportsHelper &helper = renderer.hlp;
    if (!pageCountVisible || !helper.footerItem)
        return nullptr;
    return std::make_unique<MvFooterPages>(helper.sceneRect, helper.footerItem->pos().y(),
                                           helper.formats[MvKeys::FooterFormat], pageLayout(), pdfA1b,
                                           renderer.pageNum);
}

QStringList PDFRendererBase::Private::entryLines(const PDFRendererBase &renderer) const
{
    // The lines as they are now (shared, not copied): the host may change its own list once
    // the run is over.
    return outlineRequested && renderer.owner ? renderer.owner->reportLines() : QStringList();
}

void PDFRendererBase::Private::startFinishing(PDFRendererBase &renderer)
{
    finisher.start(pageLabels(renderer), entryLines(renderer));
}

void PDFRendererBase::Private::takeFinishingFailure(PDFRendererBase &renderer)
{
    const MvFailure reason = finisher.failure();
    switch (reason.reason()) {
    case MvFailure::Reason::None:
        return;
    case MvFailure::Reason::OutOfMemory:
        fail(renderer, reason, outOfMemoryMessage(reason.path()));
        return;
    case MvFailure::Reason::Cancelled:
        fail(renderer, reason, AsyncReportsBase::cancelledMessage());
        return;
    default:
        fail(renderer, reason, cannotWriteMessage(reason.path()));
        return;
    }
}

void PDFRendererBase::Private::endOutput(PDFRendererBase &renderer)
{
    // A report that no job runs is completed now; one that a job has not finished is dropped.
    if (finisher.phase() != MvReportFinisher::Phase::Pages || finisher.drivenByJob()) {
        finisher.discard();
        return;
    }
    if (!finisher.finishNow(pageLabels(renderer), entryLines(renderer)))
        takeFinishingFailure(renderer);
}

PDFRendererBase::PDFRendererBase(AsyncReportsBase *owner)
    : monthNames(MvReportTexts::monthNames()),
      owner(owner),
      pageNum(0),
      percDone(0.0),
      d(new Private(output))
{
}

PDFRendererBase::~PDFRendererBase()
{
    d->endOutput(*this);
}

bool PDFRendererBase::prepare()
{
    return preparePage() && openPdf();
}

bool PDFRendererBase::preparePage()
{
    d->fail(*this, MvFailure(), QString());
    // The page scene and its text items need the widgets' application object; without it
    // Qt crashes in the scene.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        d->fail(*this, MvFailure(MvFailure::Reason::NoApplication), noApplicationMessage());
        return false;
    }
    const QStringList missing = missingFonts(hlp);
    if (!missing.isEmpty()) {
        MvFailure failure(MvFailure::Reason::FontsMissing);
        failure.setDetail(missing.join(QStringLiteral(", ")));
        d->fail(*this, failure, missingFontsMessage(missing));
        return false;
    }
    // A file that only looks stamped is worse than none.
    if (d->fileTimestamp.isValid() && !pdfDateHolds(d->fileTimestamp)) {
        MvFailure failure(MvFailure::Reason::TimestampOutOfRange);
        failure.setDetail(utcMoment(d->fileTimestamp));
        d->fail(*this, failure, timestampOutOfRangeMessage(d->fileTimestamp));
        return false;
    }
    d->pointsPerSceneUnit = sizeScene(hlp);
    const QDate day = d->reportDate.isValid() ? d->reportDate : QDateTime::currentDateTime().date();
    // In the renderer's month names, which a derived renderer may have changed.
    const QString date = MvReportTexts::datedLine(day.day(), monthNames.value(day.month()), day.year());
    // Without a place the line starts with the date itself, not with a comma. One substitution
    // pass: a place marker such as "%2" inside the place stays as written.
    const QString place = owner->reportPlace();
    const QString dated = place.trimmed().isEmpty() ? date : QStringLiteral("%1, %2").arg(place, date);
    const QString subtitle = owner->reportSubtitle();
    hlp.createHeader(owner->reportTitle(), subtitle, dated);
    hlp.createFooter();
    // A header that leaves no room for a line would leave every page empty (and scale a
    // document's items to nothing).
    const std::unique_ptr<QGraphicsItem> line(hlp.createTextItemWithFormat(QString(), hlp.formats[MvKeys::PrintoutFormat]));
    if (!(hlp.contentHeight() > line->boundingRect().height())) {
        d->fail(*this, MvFailure(MvFailure::Reason::HeaderTooTall), headerTooTallMessage());
        return false;
    }
    // The labels that show the page count are laid over the pages once the count is known.
    if (d->pageCountVisible && hlp.footerItem)
        hlp.footerItem->hide();
    return true;
}

bool PDFRendererBase::openPdf()
{
    d->finisher.setOptions({d->pdfA1b, d->fileTimestamp, d->outlineRequested, d->pageCountVisible,
                            d->outlineGroupSize});
    output.setPdfA1b(d->pdfA1b);
    output.setStaged(d->finisher.rewrites());
    output.setStagingFolder(d->stagingFolder);
    MvFailure failure(MvFailure::Reason::CannotWrite);
    if (d->outputDevice) {
        if (!output.startPDF(owner->reportTitle(), d->outputDevice)) {
            d->fail(*this, failure, cannotWriteMessage(QString()));
            return false;
        }
    } else {
        const QString fileName = owner->outputFileName();
        const QString title = owner->reportTitle();
        if (!output.startPDF(title, fileName)) {
            failure.setPath(output.filePath());
            failure.setSystemError(PDFOutput::Private::get(output)->systemError);
            d->fail(*this, failure, cannotWriteMessage(owner->outputFileName()));
            return false;
        }
    }
    output.setupPage(pageLayout());
    pageNum = 1;
    percDone = 0.0;
    return true;
}

void PDFRendererBase::refuseLayout(const QString &reason)
{
    d->fail(*this, MvFailure(MvFailure::Reason::LayoutImpossible), reason);
}

double PDFRendererBase::perc() const
{
    return percDone;
}

bool PDFRendererBase::emitPage(bool)
{
    return false;
}

void PDFRendererBase::startReport()
{
}

void PDFRendererBase::finish()
{
    d->endOutput(*this);
}

AsyncReportsHelper &PDFRendererBase::getHlp()
{
    return hlp;
}

int PDFRendererBase::getPageNum() const
{
    return pageNum;
}

QString PDFRendererBase::lastError() const
{
    return errorText;
}

MvFailure PDFRendererBase::lastFailure() const
{
    return d->failure;
}

QString PDFRendererBase::outputPath() const
{
    return output.filePath();
}

bool PDFRendererBase::outputComplete() const
{
    return d->finisher.phase() == MvReportFinisher::Phase::Done && !output.hasWriteError();
}

void PDFRendererBase::discardOutput()
{
    d->finisher.discard();
}

void PDFRendererBase::setOutputDevice(QIODevice *device)
{
    d->outputDevice = device;
}

QIODevice *PDFRendererBase::outputDevice() const
{
    return d->outputDevice;
}

void PDFRendererBase::setStagingFolder(const QString &folder)
{
    d->stagingFolder = folder;
}

QString PDFRendererBase::stagingFolder() const
{
    return d->stagingFolder;
}

void PDFRendererBase::setPdfA1b(bool on)
{
    d->pdfA1b = on;
}

bool PDFRendererBase::pdfA1b() const
{
    return d->pdfA1b;
}

void PDFRendererBase::requestOutline(bool on)
{
    d->outlineRequested = on;
}

bool PDFRendererBase::outlineRequested() const
{
    return d->outlineRequested;
}

void PDFRendererBase::setOutlineGroupSize(int entries)
{
    d->outlineGroupSize = entries >= 2 ? entries : 0;
}

int PDFRendererBase::outlineGroupSize() const
{
    return d->outlineGroupSize;
}

void PDFRendererBase::addOutlineEntry(const QString &title, double sceneTop)
{
    const double marginPoints = kPageMarginMm * kPointsPerInch / kMmPerInch;
    d->finisher.addEntry({title, -1, pageNum, float(marginPoints + qMax(0.0, sceneTop) * d->pointsPerSceneUnit)});
}

void PDFRendererBase::addOutlineLine(int line, double sceneTop)
{
    const double marginPoints = kPageMarginMm * kPointsPerInch / kMmPerInch;
    d->finisher.addEntry({QString(), line, pageNum, float(marginPoints + qMax(0.0, sceneTop) * d->pointsPerSceneUnit)});
}

void PDFRendererBase::dropOutlineEntriesOfPage()
{
    d->finisher.dropEntriesOfPage(pageNum);
}

void PDFRendererBase::setReportDate(const QDate &date)
{
    d->reportDate = date;
}

QDate PDFRendererBase::reportDate() const
{
    return d->reportDate;
}

void PDFRendererBase::setFileTimestamp(const QDateTime &timestamp)
{
    d->fileTimestamp = timestamp;
}

QDateTime PDFRendererBase::fileTimestamp() const
{
    return d->fileTimestamp;
}

void PDFRendererBase::setPageCountVisible(bool on)
{
    d->pageCountVisible = on;
}

bool PDFRendererBase::isPageCountVisible() const
{
    return d->pageCountVisible;
}

QString PDFRendererBase::pageLabel(int page, int pageCount)
{
    return MvFooterPages::label(page, pageCount);
}

QString PDFRendererBase::outOfMemoryMessage(const QString &path)
{
    const QString text = QStringLiteral("Brak pamięci do zapisania pliku PDF");
    return path.isEmpty() ? text : QStringLiteral("%1: %2").arg(text, path);
}

QString PDFRendererBase::noApplicationMessage()
{
    return QStringLiteral("Brak obiektu QApplication potrzebnego do utworzenia pliku PDF");
}

QString PDFRendererBase::missingFontsMessage(const QStringList &families)
{
    return QStringLiteral("Brak czcionek potrzebnych do utworzenia pliku PDF: %1")
            .arg(families.join(QStringLiteral(", ")));
}

QString PDFRendererBase::cannotWriteMessage(const QString &path)
{
    const QString text = QStringLiteral("Nie można zapisać pliku PDF");
    return path.isEmpty() ? text : QStringLiteral("%1: %2").arg(text, path);
}

QString PDFRendererBase::headerTooTallMessage()
{
    return QStringLiteral("Nagłówek strony nie zostawia miejsca na treść raportu");
}

QString PDFRendererBase::timestampOutOfRangeMessage(const QDateTime &timestamp)
{
    return QStringLiteral("Data pliku PDF spoza zakresu lat od 1 do 9999: %1").arg(utcMoment(timestamp));
}
