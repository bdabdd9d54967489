#include "clijob.h"

#include "columnfit.h"
#include "documentfeeder.h"
#include "mvkeys.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"

#include <QGraphicsItem>

#include <memory>

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
    std::unique_ptr<PDFRendererBase> newRenderer;
    PDFRendererDocuments *documents = nullptr;
    if (feeder) {
        auto documentRenderer = std::make_unique<PDFRendererDocuments>(this);
        documents = documentRenderer.get();
        newRenderer = std::move(documentRenderer);
    } else {
        auto lineRenderer = std::make_unique<PDFRenderer>(this);
        lineRenderer->setWide(settings.wide);
        newRenderer = std::move(lineRenderer);
    }
    if (settings.ppi > 0)
        newRenderer->getHlp().setPpi(settings.ppi);
    newRenderer->getHlp().setDebugColorize(settings.debugOutline);

    if (!newRenderer->prepare()) {
        emit ready(newRenderer->lastError());
        return;
    }
    if (!documents && !fitLinesToColumns(*newRenderer)) {
        emit ready(failureText);
        return;
    }
    newRenderer->startReport();
    // Documents go in after startReport(), so that the renderer's counter sees them.
    if (documents && !feeder->topUp(*documents)) {
        fail(Failure::Render, feeder->error());
        emit ready(failureText);
        return;
    }
    renderer = newRenderer.release();
    QMetaObject::invokeMethod(this, "nextPage", Qt::QueuedConnection);
}

// Cuts lines and headings too wide for their columns into continuation lines, and makes
// sure the headings leave room for a line in every column they head.
bool CliJob::fitLinesToColumns(PDFRendererBase &renderer)
{
    AsyncReportsHelper &helper = renderer.getHlp();
    const ColumnFit fit(helper);
    // Only a list with a line too wide is rebuilt: the lines are often many.
    QStringList fitted;
    bool cut = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (!cut && fit.lineFits(lines.at(i), settings.wide))
            continue;
        if (!cut)
            fitted = lines.mid(0, i);
        cut = true;
        fitted += fit.fitLine(lines.at(i), settings.wide);
    }
    if (cut)
        lines = fitted;

    const QTextCharFormat format = helper.formats[MvKeys::PrintoutFormat];
    const double headingWidth = fit.columnWidth(settings.wide ? 2 : 3);
    QStringList headings;
    for (const QString &heading : qAsConst(settings.headings))
        headings += fit.width(heading, format) <= headingWidth ? QStringList{heading}
                                                              : fit.cut(heading, format, headingWidth);
    settings.headings = headings;

    // The headings stacked as the renderer stacks them, then taken off the page again.
    const double below = helper.emitTextList(0.0, 0, headings, format);
    helper.flushPageItemsForReuse();
    const std::unique_ptr<QGraphicsItem> line(helper.createTextItemWithFormat(QStringLiteral("0"), format));
    if (helper.contentHeight() > below + line->boundingRect().height())
        return true;
    fail(Failure::Usage, QStringLiteral("the %1 heading lines leave no room for a line in a column")
         .arg(headings.size()));
    return false;
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
