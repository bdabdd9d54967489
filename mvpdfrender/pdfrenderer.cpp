#include "pdfrenderer.h"

#include "asyncreportsbase.h"
#include "mvlineflow.h"
#include "pdfrendererbase_p.h"

// The flow that lays the lines out, on the renderer's fields.
struct Q_DECL_HIDDEN PDFRenderer::Private
{
    Private(AsyncReportsHelper &helper, AsyncReportsBase *owner, const MvLineFlow::Fields &fields,
            MvLineFlow::Hooks hooks)
        : flow(helper, owner, fields, std::move(hooks))
    {
    }

    MvLineFlow flow;
};

PDFRenderer::PDFRenderer(AsyncReportsBase *owner)
    : PDFRendererBase(owner),
      column(0), columnY(0.0), lineNo(0), pageStartLineNo(0), twoColumns(false), wide(false),
      current(), pageStart(), restartPage(false), holdLine(false),
      d(new Private(hlp, owner,
                    {column, columnY, lineNo, pageStartLineNo, twoColumns, wide, current, pageStart,
                     restartPage, holdLine, line},
                    {[this](int line, double sceneTop) { addOutlineLine(line, sceneTop); },
                     [this]() { dropOutlineEntriesOfPage(); },
                     [this](const MvFailure &failure, const QString &message) {
                         PDFRendererBase::Private::get(this)->fail(*this, failure, message);
                     }}))
{
}

PDFRenderer::~PDFRenderer() = default;

void PDFRenderer::setWide(bool wide)
{
    this->wide = wide;
    if (wide)
        twoColumns = true;
}

bool PDFRenderer::setOutlinePattern(const QString &pattern)
{
    if (!d->flow.setOutlinePattern(pattern))
        return false;
    requestOutline(!pattern.isEmpty());
    return true;
}

QString PDFRenderer::outlinePattern() const
{
    return outlineRequested() ? d->flow.outlinePattern() : QString();
}

bool PDFRenderer::prepare()
{
    if (!preparePage())
        return false;
    if (!d->flow.headingsLeaveRoom()) {
        const int headingLines = owner->continuationHeader().size();
        MvFailure failure(MvFailure::Reason::LayoutImpossible);
        failure.setLine(headingLines);
        PDFRendererBase::Private::get(this)->fail(*this, failure, headingsTooTallMessage(headingLines));
        return false;
    }
    return openPdf();
}

void PDFRenderer::startReport()
{
    d->flow.restart(outlineRequested());
}

bool PDFRenderer::emitPage(bool)
{
    // An output that is not open (discarded, finished) takes no more pages.
    if (!output.isValid())
        return false;
    switch (d->flow.composePage(pageNum)) {
    case MvLineFlow::PageEnd::Full:
        hlp.render(output.painter(), output.pageRect());
        percDone = d->flow.linesTaken() * 100.0 / owner->reportLines().size();
        output.newPage();
        hlp.flushPageItemsForReuse();
        ++pageNum;
        hlp.setPageNum(pageNum);
        d->flow.startPage();
        return true;
    case MvLineFlow::PageEnd::Last:
        hlp.render(output.painter(), output.pageRect());
        return false;
    case MvLineFlow::PageEnd::Failed:
        break;
    }
    return false;
}

QString PDFRenderer::headingsTooTallMessage(int headingLines)
{
    return QStringLiteral("Nagłówki kolumn nie zostawiają miejsca na wiersz raportu "
                          "(liczba wierszy nagłówka: %1)").arg(headingLines);
}

QString PDFRenderer::outlinePatternFailedMessage(int line, const QString &pattern)
{
    // One substitution pass: place markers in the pattern stay as written.
    return QStringLiteral("Nie można dopasować wzorca konspektu do wiersza %1: %2")
            .arg(QString::number(line), pattern);
}

QString PDFRenderer::outlinePatternTooSlowMessage(int line, const QString &pattern)
{
    return QStringLiteral("Wzorzec konspektu jest zbyt wolny (wiersz %1): %2").arg(QString::number(line), pattern);
}
