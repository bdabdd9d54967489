#include "clijob.h"

#include "columnfit.h"
#include "documentfeeder.h"
#include "mvkeys.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"

#include <QGraphicsItem>

#include <functional>
#include <memory>

namespace {

// A line renderer that, once prepare() knows the page, cuts lines and headings too wide for
// their columns into continuation lines, and fails when the headings leave no room for a line
// in the columns they head (a mistake of the caller's, reported through tooTall).
class FittedLineRenderer : public PDFRenderer
{
public:
    FittedLineRenderer(AsyncReportsBase *job, bool wide, std::function<void(const QString &)> tooTall)
        : PDFRenderer(job), wideReport(wide), tooTall(std::move(tooTall))
    {
        setWide(wide);
    }

    bool prepare() override
    {
        if (!PDFRenderer::prepare())
            return false;
        const ColumnFit fit(hlp);
        fitLines(fit);
        if (fitHeadings(fit))
            return true;
        tooTall(errorText);
        return false;
    }

private:
    void fitLines(const ColumnFit &fit)
    {
        // Only a list with a line too wide is rebuilt: the lines are often many.
        QStringList &lines = owner->reportLines();
        QStringList fitted;
        bool cut = false;
        for (int i = 0; i < lines.size(); ++i) {
            if (!cut && fit.lineFits(lines.at(i), wideReport))
                continue;
            if (!cut)
                fitted = lines.mid(0, i);
            cut = true;
            fitted += fit.fitLine(lines.at(i), wideReport);
        }
        if (cut)
            lines = fitted;
    }

    bool fitHeadings(const ColumnFit &fit)
    {
        const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
        const double width = fit.columnWidth(wideReport ? 2 : 3);
        QStringList &headings = owner->continuationHeader();
        QStringList fitted;
        for (const QString &heading : qAsConst(headings))
            fitted += fit.width(heading, format) <= width ? QStringList{heading} : fit.cut(heading, format, width);
        headings = fitted;
        // The headings stacked as the renderer stacks them, then taken off the page again.
        const double below = hlp.emitTextList(0.0, 0, headings, format);
        hlp.flushPageItemsForReuse();
        const std::unique_ptr<QGraphicsItem> line(hlp.createTextItemWithFormat(QStringLiteral("0"), format));
        if (hlp.contentHeight() > below + line->boundingRect().height())
            return true;
        errorText = QStringLiteral("the %1 heading lines leave no room for a line in a column")
                .arg(headings.size());
        return false;
    }

    bool wideReport;
    std::function<void(const QString &)> tooTall;
};

} // namespace

CliJob::CliJob(const Settings &settings, const QStringList &lines, QObject *parent)
    : AsyncReportsBase(parent), settings(settings), lines(lines)
{
    connect(this, &AsyncReportsBase::progress, this, &CliJob::afterPage);
}

CliJob::CliJob(const Settings &settings, std::unique_ptr<DocumentFeeder> feeder, QObject *parent)
    : AsyncReportsBase(parent), settings(settings), feeder(std::move(feeder))
{
    connect(this, &AsyncReportsBase::progress, this, &CliJob::afterPage);
}

CliJob::~CliJob() = default;

void CliJob::fail(Failure kind, const QString &reason)
{
    failureKind = kind;
    failureText = reason;
}

void CliJob::process()
{
    pages = 0;
    percent = 0.0;
    fail(Failure::None, QString());
    PDFRendererBase *report = nullptr;
    PDFRendererDocuments *documents = nullptr;
    if (feeder) {
        report = documents = new PDFRendererDocuments(this);
        documents->setOutlineEnabled(settings.outline);
    } else {
        auto *lineReport = new FittedLineRenderer(this, settings.wide, [this](const QString &reason) {
            fail(Failure::Usage, reason);
        });
        lineReport->setOutlinePattern(settings.outlinePattern);
        report = lineReport;
    }
    report->setPdfA1b(settings.pdfA1b);
    if (settings.ppi > 0)
        report->getHlp().setPpi(settings.ppi);
    report->getHlp().setDebugColorize(settings.debugOutline);
    if (!startRenderer(report) || !documents)
        return;
    // Documents go in after startReport(), so that the renderer's counter sees them; the
    // first page is only queued yet.
    if (!feeder->topUp(*documents)) {
        fail(Failure::Render, feeder->error());
        abortReport();
    }
}

void CliJob::afterPage()
{
    ++pages;
    if (!renderer)
        return;
    percent = renderer->perc();
    if (feeder) {
        auto *documents = static_cast<PDFRendererDocuments *>(renderer);
        if (!feeder->topUp(*documents)) {
            fail(Failure::Render, feeder->error());
            abortReport();
        }
        if (feeder->total() > 0)
            percent = 100.0 * feeder->placed(*documents) / feeder->total();
    }
}

int CliJob::pagesWritten() const
{
    return pages;
}

double CliJob::percentDone() const
{
    return percent;
}

CliJob::Failure CliJob::failure() const
{
    return failureKind;
}

QString CliJob::failureReason() const
{
    return failureText;
}

QStringList &CliJob::reportLines()
{
    return lines;
}

QStringList &CliJob::continuationHeader()
{
    return settings.headings;
}

QString CliJob::reportTitle()
{
    return settings.title;
}

QString CliJob::reportSubtitle()
{
    return settings.subtitle;
}

QString CliJob::reportPlace()
{
    return settings.place;
}

QString CliJob::outputFileName()
{
    return settings.output;
}
