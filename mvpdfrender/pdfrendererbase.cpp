#include "pdfrendererbase.h"

#include "asyncreportsbase.h"
#include "mvfooterpages.h"
#include "mvkeys.h"
#include "mvoutlinewriter.h"
#include "mvpdfstamp.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSize>

#include <atomic>
#include <system_error>
#include <thread>

namespace {
constexpr double kPageMarginMm = 15.0;
constexpr double kPointsPerInch = 72.0;
constexpr double kMmPerInch = 25.4;
// The page labels of a report that shows its page count are painted after its last page, in
// passes of the event loop of at most this many milliseconds.
constexpr qint64 kLabelPassMs = 10;

// A4 portrait, with margins of 15 mm on every side.
QPageLayout pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                       QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
}

} // namespace

// What the renderer keeps beside its specified fields: the host's device, if the report goes
// into one, and where its stage may go; the report's date and the file's moment; whether
// prepare() refused the layout; the page labels of a report that shows its page count; and
// the outline of the report (whether it was asked for, its entries, the scale from scene
// units to points on the page, and the thread that writes the file with it after the last
// page).
struct PDFRendererBase::Private
{
    QIODevice *outputDevice = nullptr;   // the host's; not owned
    bool pdfA1b = false;
    QString stagingFolder;
    QDate reportDate;
    QDateTime fileTimestamp;
    bool layoutRefused = false;
    bool pageCountVisible = false;
    std::unique_ptr<MvFooterPages> footerPages;
    QByteArray pageLabels;    // the painted labels, a PDF of as many pages as the report
    bool outlineRequested = false;
    QVector<MvOutlineEntry> entries;
    QStringList lines;        // the report's lines, for the titles of line entries
    double pointsPerSceneUnit = 0.0;
    std::thread writer;
    std::atomic_bool stop{false};
    // Set by the writer thread, read after it is joined.
    bool written = false;
    bool outOfMemory = false;

    // Whether the file is written again after its last page: it is staged until then.
    bool finishedAfterLastPage() const
    {
        return outlineRequested || pdfA1b || fileTimestamp.isValid() || pageCountVisible;
    }

    void join()
    {
        if (writer.joinable())
            writer.join();
    }
};

PDFRendererBase::PDFRendererBase(AsyncReportsBase *owner)
    : monthNames({QString(), QStringLiteral("stycznia"), QStringLiteral("lutego"),
                  QStringLiteral("marca"), QStringLiteral("kwietnia"), QStringLiteral("maja"),
                  QStringLiteral("czerwca"), QStringLiteral("lipca"), QStringLiteral("sierpnia"),
                  QStringLiteral("września"), QStringLiteral("października"),
                  QStringLiteral("listopada"), QStringLiteral("grudnia")}),
      owner(owner),
      pageNum(0),
      percDone(0.0),
      d(new Private)
{
}

PDFRendererBase::~PDFRendererBase()
{
    // The writer thread uses the output, which goes with this renderer.
    stopOutlineStep();
    d->join();
}

bool PDFRendererBase::prepare()
{
    return preparePage() && openPdf();
}

bool PDFRendererBase::preparePage()
{
    d->layoutRefused = false;
    // The page scene and its text items need the widgets' application object; without it
    // Qt crashes in the scene.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        errorText = noApplicationMessage();
        return false;
    }
    const QStringList missing = missingFonts();
    if (!missing.isEmpty()) {
        errorText = missingFontsMessage(missing);
        return false;
    }
    sizeScene();
    const QString dated = datedLine();
    const QString subtitle = owner->reportSubtitle();
    hlp.createHeader(owner->reportTitle(), subtitle, dated);
    hlp.createFooter();
    // The labels that show the page count are laid over the pages once the count is known.
    if (d->pageCountVisible && hlp.footerItem)
        hlp.footerItem->hide();
    return true;
}

bool PDFRendererBase::openPdf()
{
    output.setPdfA1b(d->pdfA1b);
    // A PDF/A file too: its page tree may need splitting once its pages are known.
    output.setStaged(d->finishedAfterLastPage());
    output.setStagingFolder(d->stagingFolder);
    d->entries.clear();
    if (d->outputDevice) {
        if (!output.startPDF(owner->reportTitle(), d->outputDevice)) {
            errorText = writeFailureMessage();
            return false;
        }
    } else {
        const QString fileName = owner->outputFileName();
        const QString title = owner->reportTitle();
        if (!output.startPDF(title, fileName)) {
            errorText = cannotWriteMessage(owner->outputFileName());
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
    errorText = reason;
    d->layoutRefused = true;
}

bool PDFRendererBase::layoutRefused() const
{
    return d->layoutRefused;
}

void PDFRendererBase::sizeScene()
{
    // The page the PDF writer will give: its paintable area in device pixels, at the
    // writer's own resolution. Asked of a writer without a file, so that the page can be
    // composed (and found wanting) before any file is made.
    QBuffer nowhere;
    QPdfWriter probe(&nowhere);
    probe.setPageLayout(pageLayout());
    const QRect page(0, 0, probe.width(), probe.height());
    const int devicePpi = probe.logicalDpiX();

    // Scene units are 1/ppi inch. Both dimensions are divided by the horizontal resolution.
    const int layoutPpi = hlp.ppi;
    const QSize scaled(qRound(double(page.width()) * layoutPpi),
                       qRound(double(page.height()) * layoutPpi));
    const QSize sceneSize(qRound(double(scaled.width()) / devicePpi),
                          qRound(double(scaled.height()) / devicePpi));
    hlp.createScene(QRect(QPoint(0, 0), sceneSize));
    // The page shows the scene scaled to the printable area, aspect kept, from its top.
    const double devicePerSceneUnit = qMin(double(page.width()) / sceneSize.width(),
                                           double(page.height()) / sceneSize.height());
    d->pointsPerSceneUnit = devicePerSceneUnit * kPointsPerInch / devicePpi;
}

QString PDFRendererBase::datedLine() const
{
    const QDate day = d->reportDate.isValid() ? d->reportDate : QDateTime::currentDateTime().date();
    const QString date = QStringLiteral("dnia %1 %2 %3 roku")
            .arg(QString::number(day.day()), monthNames.value(day.month()),
                 QString::number(day.year()));
    // Without a place the line starts with the date itself, not with a comma.
    const QString place = owner->reportPlace();
    if (place.trimmed().isEmpty())
        return date;
    // One substitution pass: a place marker such as "%2" inside the place stays as written.
    return QStringLiteral("%1, %2").arg(place, date);
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
    output.finishPDF();
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

QString PDFRendererBase::outputPath() const
{
    return output.filePath();
}

bool PDFRendererBase::outputComplete() const
{
    return !output.hasWriteError();
}

void PDFRendererBase::discardOutput()
{
    // A step still writing the file stops first: it uses the output.
    stopOutlineStep();
    d->join();
    output.discard();
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

QString PDFRendererBase::writeFailureMessage() const
{
    if (d->outOfMemory)
        return outOfMemoryMessage(outputPath());
    if (d->outputDevice)
        return QStringLiteral("Nie można zapisać pliku PDF");
    return cannotWriteMessage(outputPath());
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

void PDFRendererBase::addOutlineEntry(const QString &title, double sceneTop)
{
    d->entries.append({title, -1, pageNum, pointsFromPageTop(sceneTop)});
}

void PDFRendererBase::addOutlineLine(int line, double sceneTop)
{
    d->entries.append({QString(), line, pageNum, pointsFromPageTop(sceneTop)});
}

float PDFRendererBase::pointsFromPageTop(double sceneTop) const
{
    const double marginPoints = kPageMarginMm * kPointsPerInch / kMmPerInch;
    return float(marginPoints + qMax(0.0, sceneTop) * d->pointsPerSceneUnit);
}

void PDFRendererBase::dropOutlineEntriesOfPage()
{
    QVector<MvOutlineEntry> &entries = d->entries;
    while (!entries.isEmpty() && entries.last().page == pageNum)
        entries.removeLast();
}

bool PDFRendererBase::startOutlineStep(const std::function<void()> &whenDone)
{
    if (!d->finishedAfterLastPage() || d->writer.joinable())
        return false;
    d->stop = false;
    d->written = false;
    d->outOfMemory = false;
    // The lines as they are now (shared, not copied): the host may change its own list later.
    if (d->outlineRequested)
        d->lines = owner->reportLines();
    Private *state = d.get();
    PDFOutput *target = &output;
    auto step = [state, target, whenDone]() {
        int next = 0;
        MvOutlineWriter::Additions additions;
        additions.entries = [state, &next](MvOutlineEntry *entry) {
            if (next >= state->entries.size())
                return false;
            *entry = state->entries.at(next++);
            if (entry->line >= 0)
                entry->title = state->lines.value(entry->line).simplified();
            return true;
        };
        additions.balancePages = state->pdfA1b;
        additions.overlay = state->pageLabels;
        state->written = target->writeStaged([&](QIODevice &stage, QIODevice &file) {
            QString reason;
            if (state->pageCountVisible && state->pageLabels.isEmpty())
                return false;
            if (state->fileTimestamp.isValid()
                && !MvPdfStamp::apply(stage, state->fileTimestamp, &reason))
                return false;
            const MvOutlineWriter::Result result = MvOutlineWriter::write(
                    stage, file, additions, state->stop, reason);
            state->outOfMemory = result == MvOutlineWriter::Result::OutOfMemory;
            return result == MvOutlineWriter::Result::Written;
        });
        whenDone();
    };
    try {
        d->writer = std::thread(step);
    } catch (const std::system_error &) {
        // No thread to be had (a process or memory limit): the step runs here instead, in
        // this one pass, rather than leaving the report without its outline.
        step();
    }
    return true;
}

bool PDFRendererBase::startPageLabels()
{
    if (!d->pageCountVisible || !hlp.footerItem)
        return false;
    d->footerPages = std::make_unique<MvFooterPages>(
            hlp.sceneRect, hlp.footerItem->pos().y(), hlp.formats[MvKeys::FooterFormat],
            pageLayout(), d->pdfA1b, pageNum);
    return true;
}

bool PDFRendererBase::paintPageLabels()
{
    if (!d->footerPages)
        return false;
    if (d->footerPages->paintSome(kLabelPassMs))
        return true;
    d->pageLabels = d->footerPages->document();
    d->footerPages.reset();
    return false;
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

void PDFRendererBase::stopOutlineStep()
{
    d->stop = true;
}

bool PDFRendererBase::endOutlineStep()
{
    d->join();
    output.finishPDF();
    return d->written && !output.hasWriteError();
}

QStringList PDFRendererBase::missingFonts() const
{
    QStringList missing;
    for (const QTextCharFormat &format : hlp.formats) {
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
    return QStringLiteral("Nie można zapisać pliku PDF: %1").arg(path, 0, QLatin1Char(' '));
}
