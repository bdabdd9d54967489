#include "asyncreportsbase.h"

#include "mvreporttexts.h"
#include "pdfrendererbase_p.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace {

const char *const kNoDataMessage = "Błąd renderowania PDF. Brak danych?";
const char *const kCancelledMessage = "Generowanie dokumentu przerwane przez użytkownika.";
const char *const kProgressPattern = "Tworzenie strony: %1 (%2 %)";
// The percentage shown trails the renderer's share by a tenth, and never drops below zero.
constexpr double kProgressLag = 0.1;
// A device that has not passed on what it was given is looked at again after this long.
constexpr int kDeviceWaitMs = 5;

AsyncReportsBase::Outcome outcomeOf(MvFailure::Reason reason)
{
    using Reason = MvFailure::Reason;
    using Outcome = AsyncReportsBase::Outcome;
    switch (reason) {
    case Reason::None:
        return Outcome::Completed;
    case Reason::Cancelled:
        return Outcome::Cancelled;
    case Reason::NoData:
        return Outcome::NoData;
    case Reason::LayoutImpossible:
    case Reason::HeaderTooTall:
    case Reason::OutlinePatternFailed:
    case Reason::OutlinePatternTooSlow:
        return Outcome::LayoutFailed;
    case Reason::TimestampOutOfRange:
        return Outcome::TimestampOutOfRange;
    case Reason::NoApplication:
    case Reason::FontsMissing:
    case Reason::CannotWrite:
    case Reason::OutOfMemory:
        break;
    }
    return Outcome::WriteFailed;
}

MvReportFinisher &finisherOf(PDFRendererBase *renderer)
{
    return PDFRendererBase::Private::get(renderer)->finisher;
}

MvFailure cancelledAt(const QString &path)
{
    MvFailure failure(MvFailure::Reason::Cancelled);
    failure.setPath(path);
    return failure;
}

} // namespace

// The state of the job's runs beside its specified fields. A run goes through explicit phases:
// its pages, then the finishing of its report (MvReportFinisher, in passes of its own), then
// its end; every pass it queues carries the run's generation, so that a pass of a run that was
// abandoned (by a new start) does nothing when it arrives.
struct Q_DECL_HIDDEN AsyncReportsBase::Private
{
    enum class Phase {
        Idle,       // no run installed
        Pages,      // the renderer writes a page a pass
        Finishing,  // the report is finished after its last page
        Ending      // the run's ready() is being sent, its renderer still installed
    };

    explicit Private(AsyncReportsBase *job) : q(job) {}

    void nextPage();
    void pass();
    void pagePass();
    void finishingPass();
    void queuePass();
    void passOf(quint64 generation);
    // Records how the run ended, then emits ready(message).
    void endRun(Outcome outcome, const QString &path, const MvFailure &failure, const QString &message);
    void completeRun();
    void failRun();
    void cancelRun();
    // Deletes the installed renderer, dropping its unfinished report.
    void disposeOfRenderer();

    AsyncReportsBase *q;
    Phase phase = Phase::Idle;
    // Counts the runs started: a pass carries the generation of its run.
    quint64 runGeneration = 0;
    // A pass of the run is on its way (queued, timed, or the end of the rewrite): a pass asked
    // for by name then would start a second chain of passes.
    bool passOnItsWay = false;
    Outcome outcome = Outcome::NoData;
    QString outputPath;
    MvFailure failure;
};

AsyncReportsBase::AsyncReportsBase(QObject *parent)
    : QObject(parent),
      monthNames(MvReportTexts::monthNames()),
      renderer(nullptr),
      aborted(false),
      d(new Private(this))
{
    // For queued connections and signal spies that carry an outcome.
    qRegisterMetaType<Outcome>();
}

AsyncReportsBase::~AsyncReportsBase()
{
    // Queued passes die with the object; an unfinished run must not leave a half-written file.
    if (renderer)
        d->disposeOfRenderer();
}

QString AsyncReportsBase::cancelledMessage()
{
    return QString::fromUtf8(kCancelledMessage);
}

QString AsyncReportsBase::noDataMessage()
{
    return QString::fromUtf8(kNoDataMessage);
}

AsyncReportsBase::Outcome AsyncReportsBase::lastOutcome() const
{
    return d->outcome;
}

QString AsyncReportsBase::lastOutputPath() const
{
    return d->outputPath;
}

MvFailure AsyncReportsBase::lastFailure() const
{
    return d->failure;
}

void AsyncReportsBase::Private::endRun(Outcome how, const QString &path, const MvFailure &why,
                                       const QString &message)
{
    outcome = how;
    outputPath = path;
    failure = why;
    emit q->ready(message);
}

bool AsyncReportsBase::startRenderer(PDFRendererBase *newRenderer)
{
    if (!newRenderer) {
        d->endRun(Outcome::NoData, QString(), MvFailure(MvFailure::Reason::NoData), noDataMessage());
        return false;
    }
    if (!newRenderer->prepare()) {
        const QString path = newRenderer->outputPath();
        const MvFailure failure = newRenderer->lastFailure();
        const QString reason = newRenderer->lastError();
        delete newRenderer;
        d->endRun(outcomeOf(failure.reason()), path, failure, reason);
        return false;
    }
    newRenderer->startReport();
    finisherOf(newRenderer).setDrivenByJob(true);
    renderer = newRenderer;
    d->phase = Private::Phase::Pages;
    d->queuePass();
    return true;
}

void AsyncReportsBase::abortReport()
{
    if (thread() != QThread::currentThread()) {
        QMetaObject::invokeMethod(this, "abortReport", Qt::QueuedConnection);
        return;
    }
    aborted = true;
    // A rewrite on its own thread stops soon, and its end brings the pass that cancels.
    if (renderer)
        finisherOf(renderer).requestStop();
}

void AsyncReportsBase::do_process()
{
    if (thread() != QThread::currentThread()) {
        QMetaObject::invokeMethod(this, "do_process", Qt::QueuedConnection);
        return;
    }
    QPointer<AsyncReportsBase> alive(this);
    // A run still installed ends before the new one starts. One whose ready() has not been
    // sent yet gets it now, as a cancel; a slot of that signal may itself start a run, which
    // the loop then ends the same way, so that every start gets exactly one ready().
    while (renderer) {
        if (d->phase != Private::Phase::Ending) {
            d->phase = Private::Phase::Ending;
            const QString path = renderer->outputPath();
            d->endRun(Outcome::Cancelled, path, cancelledAt(path), cancelledMessage());
            if (!alive)
                return;
            continue;
        }
        d->disposeOfRenderer();
    }
    ++d->runGeneration;
    d->passOnItsWay = false;
    aborted = false;
    process();
}

void AsyncReportsBase::Private::nextPage()
{
    // Asked for by name (the first pass of a run installed by hand): a pass of the run already
    // on its way would make this a second chain of passes.
    if (!passOnItsWay)
        pass();
}

void AsyncReportsBase::Private::queuePass()
{
    passOnItsWay = true;
    const quint64 generation = runGeneration;
    QMetaObject::invokeMethod(q, [this, generation]() { passOf(generation); }, Qt::QueuedConnection);
}

void AsyncReportsBase::Private::passOf(quint64 generation)
{
    // A pass of a run that was abandoned, or has ended, does nothing.
    if (generation != runGeneration || (phase == Phase::Idle && !q->renderer))
        return;
    passOnItsWay = false;
    pass();
}

void AsyncReportsBase::Private::pass()
{
    if (!q->renderer) {
        // Nothing installed, or a host took its renderer away during the run.
        phase = Phase::Idle;
        endRun(Outcome::NoData, QString(), MvFailure(MvFailure::Reason::NoData), noDataMessage());
        return;
    }
    if (phase == Phase::Ending)
        return;
    MvReportFinisher &finisher = finisherOf(q->renderer);
    if (phase == Phase::Idle) {
        // A renderer installed by hand: its run starts with this pass.
        finisher.setDrivenByJob(true);
        phase = Phase::Pages;
    }
    // A cancel, or the output dropped by the host, ends the run unless the report has reached
    // its destination already.
    if ((q->aborted && finisher.cancellable()) || finisher.phase() == MvReportFinisher::Phase::Discarded) {
        cancelRun();
        return;
    }
    if (phase == Phase::Pages)
        pagePass();
    else
        finishingPass();
}

void AsyncReportsBase::Private::pagePass()
{
    QPointer<AsyncReportsBase> alive(q);
    const quint64 generation = runGeneration;
    PDFRendererBase *current = q->renderer;
    if (current->emitPage(false)) {
        double percent = current->perc() - kProgressLag;
        if (!(percent > 0.0))
            percent = 0.0;
        const QChar fill(QLatin1Char(' '));
        const QString text = QString::fromUtf8(kProgressPattern)
                .arg(current->getPageNum(), 0, 10, fill)
                .arg(percent, 0, 'f', 1, fill);
        emit q->progress(text);
        // A slot may have destroyed this job or started a new run on it, which then dealt
        // with this run's renderer and file.
        if (alive && generation == runGeneration)
            queuePass();
        return;
    }
    // A renderer that found its report cannot be laid out ends the run so; a cancel that
    // came during the last page still keeps the report from its destination.
    if (current->lastFailure().isFailure()) {
        failRun();
        return;
    }
    if (q->aborted) {
        cancelRun();
        return;
    }
    PDFRendererBase::Private::get(current)->startFinishing(*current);
    phase = Phase::Finishing;
    finishingPass();
}

void AsyncReportsBase::Private::finishingPass()
{
    const quint64 generation = runGeneration;
    // Called on the rewrite's thread when it ends.
    auto wake = [this, generation]() {
        QMetaObject::invokeMethod(q, [this, generation]() { passOf(generation); }, Qt::QueuedConnection);
    };
    switch (finisherOf(q->renderer).step(wake)) {
    case MvReportFinisher::Step::Again:
        queuePass();
        return;
    case MvReportFinisher::Step::Later:
        passOnItsWay = true;
        QTimer::singleShot(kDeviceWaitMs, q, [this, generation]() { passOf(generation); });
        return;
    case MvReportFinisher::Step::Waiting:
        passOnItsWay = true;
        return;
    case MvReportFinisher::Step::Completed:
        completeRun();
        return;
    case MvReportFinisher::Step::Failed:
        PDFRendererBase::Private::get(q->renderer)->takeFinishingFailure(*q->renderer);
        failRun();
        return;
    }
}

void AsyncReportsBase::Private::completeRun()
{
    PDFRendererBase *finished = q->renderer;
    q->renderer = nullptr;
    phase = Phase::Idle;
    const QString path = finished->outputPath();
    delete finished;
    endRun(Outcome::Completed, path, MvFailure(), QString());
}

// Ends the run with the renderer's failure, its report dropped before ready().
void AsyncReportsBase::Private::failRun()
{
    PDFRendererBase *failed = q->renderer;
    q->renderer = nullptr;
    phase = Phase::Idle;
    const QString path = failed->outputPath();
    const MvFailure why = failed->lastFailure();
    const QString message = failed->lastError();
    failed->discardOutput();
    delete failed;
    endRun(outcomeOf(why.reason()), path, why, message);
}

// Ends the run as cancelled: ready() first, then the renderer goes with its unfinished report.
void AsyncReportsBase::Private::cancelRun()
{
    QPointer<AsyncReportsBase> alive(q);
    const quint64 generation = runGeneration;
    phase = Phase::Ending;
    const QString path = q->renderer->outputPath();
    endRun(Outcome::Cancelled, path, cancelledAt(path), cancelledMessage());
    if (alive && generation == runGeneration && q->renderer)
        disposeOfRenderer();
}

void AsyncReportsBase::Private::disposeOfRenderer()
{
    PDFRendererBase *abandoned = q->renderer;
    q->renderer = nullptr;
    phase = Phase::Idle;
    abandoned->discardOutput();
    delete abandoned;
}

// The job's meta-object, compiled here, where the private part that carries out its private
// slot is defined.
#include "moc_asyncreportsbase.cpp"
