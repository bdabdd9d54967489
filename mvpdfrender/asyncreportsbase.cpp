#include "asyncreportsbase.h"

#include "pdfrendererbase.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

namespace {

const char *const kNoDataMessage = "Błąd renderowania PDF. Brak danych?";
const char *const kCancelledMessage = "Generowanie dokumentu przerwane przez użytkownika.";
const char *const kProgressPattern = "Tworzenie strony: %1 (%2 %)";
// The percentage shown trails the renderer's share by a tenth, and never drops below zero.
constexpr double kProgressLag = 0.1;

} // namespace

// The state of the job's runs beside its specified fields.
struct AsyncReportsBase::Private
{
    // Counts the runs started, so that a pass can tell whether a slot it signalled started
    // a new run (or destroyed the job) and must then leave the new run alone.
    quint64 runGeneration = 0;
    // The run whose pass is executing now (its generation), or 0 between passes.
    quint64 passGeneration = 0;
    // Passes of an abandoned run that are still queued and must do nothing when they arrive.
    int stalePasses = 0;
    // Whether the installed run has had its ready() already (a cancel in progress).
    bool readySent = false;
    // Whether the installed run has written its last page and paints its page labels.
    bool labelPasses = false;
    // Whether the installed run has written its last page and its outline is being written.
    bool outlineStep = false;
    Outcome outcome = Outcome::NoData;
    QString outputPath;
};

AsyncReportsBase::AsyncReportsBase(QObject *parent)
    : QObject(parent),
      monthNames({QString(), QStringLiteral("stycznia"), QStringLiteral("lutego"),
                  QStringLiteral("marca"), QStringLiteral("kwietnia"), QStringLiteral("maja"),
                  QStringLiteral("czerwca"), QStringLiteral("lipca"), QStringLiteral("sierpnia"),
                  QStringLiteral("września"), QStringLiteral("października"),
                  QStringLiteral("listopada"), QStringLiteral("grudnia")}),
      renderer(nullptr),
      aborted(false),
      d(new Private)
{
    // For queued connections and signal spies that carry an outcome.
    qRegisterMetaType<Outcome>();
}

AsyncReportsBase::~AsyncReportsBase()
{
    // Queued passes die with the object; an unfinished run must not leave a half-written file.
    if (renderer)
        disposeOfRenderer(false);
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

void AsyncReportsBase::endRun(Outcome how, const QString &path, const QString &message)
{
    d->outcome = how;
    d->outputPath = path;
    emit ready(message);
}

bool AsyncReportsBase::startRenderer(PDFRendererBase *newRenderer)
{
    if (!newRenderer) {
        endRun(Outcome::NoData, QString(), noDataMessage());
        return false;
    }
    if (!newRenderer->prepare()) {
        const QString path = newRenderer->outputPath();
        const QString reason = newRenderer->lastError();
        const Outcome how = newRenderer->layoutRefused() ? Outcome::LayoutFailed
                                                         : Outcome::WriteFailed;
        delete newRenderer;
        endRun(how, path, reason);
        return false;
    }
    newRenderer->startReport();
    renderer = newRenderer;
    QMetaObject::invokeMethod(this, "nextPage", Qt::QueuedConnection);
    return true;
}

void AsyncReportsBase::abortReport()
{
    aborted = true;
    if (d->outlineStep && renderer)
        renderer->stopOutlineStep();
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
        if (!d->readySent) {
            d->readySent = true;
            endRun(Outcome::Cancelled, renderer->outputPath(), cancelledMessage());
            if (!alive)
                return;
            continue;
        }
        // Outside its own pass, the run's next pass is already queued, unless its outline is
        // being written: the end of that step carries its run's generation.
        disposeOfRenderer(d->passGeneration != d->runGeneration && !d->outlineStep);
    }
    ++d->runGeneration;
    d->readySent = false;
    aborted = false;
    process();
}

void AsyncReportsBase::nextPage()
{
    if (d->stalePasses > 0) {
        --d->stalePasses;
        return;
    }
    if (!renderer) {
        endRun(Outcome::NoData, QString(), noDataMessage());
        return;
    }

    QPointer<AsyncReportsBase> alive(this);
    const quint64 generation = d->runGeneration;
    d->passGeneration = generation;
    // After a signal, a slot may have destroyed this job or started a new run on it; the
    // new run (or the destructor) has then dealt with this run's renderer and file, and this
    // pass must touch nothing more.
    auto mayGoOn = [&]() {
        if (!alive)
            return false;
        d->passGeneration = 0;
        return generation == d->runGeneration;
    };

    if (aborted) {
        d->readySent = true;
        endRun(Outcome::Cancelled, renderer->outputPath(), cancelledMessage());
        if (mayGoOn() && renderer)
            disposeOfRenderer(false);
        return;
    }

    if (d->labelPasses) {
        d->passGeneration = 0;
        if (renderer->paintPageLabels()) {
            QMetaObject::invokeMethod(this, "nextPage", Qt::QueuedConnection);
            return;
        }
        d->labelPasses = false;
        finishRun();
        return;
    }

    if (renderer->emitPage(false)) {
        double percent = renderer->perc() - kProgressLag;
        if (!(percent > 0.0))
            percent = 0.0;
        const QChar fill(QLatin1Char(' '));
        const QString text = QString::fromUtf8(kProgressPattern)
                .arg(renderer->getPageNum(), 0, 10, fill)
                .arg(percent, 0, 'f', 1, fill);
        emit progress(text);
        if (mayGoOn())
            QMetaObject::invokeMethod(this, "nextPage", Qt::QueuedConnection);
        return;
    }

    d->passGeneration = 0;
    // A renderer that found its report cannot be laid out ends the run so.
    if (renderer->layoutRefused()) {
        d->readySent = true;
        const QString reason = renderer->lastError();
        endRun(Outcome::LayoutFailed, renderer->outputPath(), reason);
        if (alive && generation == d->runGeneration && renderer)
            disposeOfRenderer(false);
        return;
    }
    // The labels of a report that shows its page count are painted now that the count is
    // known, in passes of their own.
    if (renderer->startPageLabels()) {
        d->labelPasses = true;
        QMetaObject::invokeMethod(this, "nextPage", Qt::QueuedConnection);
        return;
    }
    finishRun();
}

void AsyncReportsBase::finishRun()
{
    renderer->finish();
    if (renderer->outputComplete()) {
        const quint64 generation = d->runGeneration;
        auto announceEnd = [this, generation]() {
            QMetaObject::invokeMethod(this, "outlineStepEnded", Qt::QueuedConnection,
                                      Q_ARG(quint64, generation));
        };
        if (renderer->startOutlineStep(announceEnd)) {
            d->outlineStep = true;
            return;
        }
    }
    completeRun(renderer->outputComplete());
}

void AsyncReportsBase::outlineStepEnded(quint64 generation)
{
    // The step of an abandoned run was waited for when it was abandoned.
    if (generation != d->runGeneration || !d->outlineStep || !renderer)
        return;
    d->outlineStep = false;
    // A cancel that came while the outline was written wins: the document never takes its
    // path's name.
    if (aborted) {
        d->readySent = true;
        QPointer<AsyncReportsBase> alive(this);
        endRun(Outcome::Cancelled, renderer->outputPath(), cancelledMessage());
        if (alive && generation == d->runGeneration && renderer)
            disposeOfRenderer(false);
        return;
    }
    completeRun(renderer->endOutlineStep());
}

void AsyncReportsBase::completeRun(bool complete)
{
    PDFRendererBase *finished = renderer;
    renderer = nullptr;
    d->readySent = true;
    const QString path = finished->outputPath();
    const QString failure = finished->writeFailureMessage();
    if (!complete)
        finished->discardOutput();
    delete finished;

    // A document that did not reach the disk whole is a failure, never a success.
    if (complete)
        endRun(Outcome::Completed, path, QString());
    else
        endRun(Outcome::WriteFailed, path, failure);
}

void AsyncReportsBase::disposeOfRenderer(bool passQueued)
{
    PDFRendererBase *abandoned = renderer;
    renderer = nullptr;
    d->outlineStep = false;
    d->labelPasses = false;
    abandoned->discardOutput();
    delete abandoned;
    if (passQueued)
        ++d->stalePasses;
}
