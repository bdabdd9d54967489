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

AsyncReportsBase::AsyncReportsBase(QObject *parent)
    : QObject(parent),
      monthNames({QString(), QStringLiteral("stycznia"), QStringLiteral("lutego"),
                  QStringLiteral("marca"), QStringLiteral("kwietnia"), QStringLiteral("maja"),
                  QStringLiteral("czerwca"), QStringLiteral("lipca"), QStringLiteral("sierpnia"),
                  QStringLiteral("września"), QStringLiteral("października"),
                  QStringLiteral("listopada"), QStringLiteral("grudnia")}),
      renderer(nullptr),
      aborted(false)
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
    return outcome;
}

QString AsyncReportsBase::lastOutputPath() const
{
    return outputPath;
}

void AsyncReportsBase::endRun(Outcome how, const QString &path, const QString &message)
{
    outcome = how;
    outputPath = path;
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
    if (outlineStep && renderer)
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
        if (!readySent) {
            readySent = true;
            endRun(Outcome::Cancelled, renderer->outputPath(), cancelledMessage());
            if (!alive)
                return;
            continue;
        }
        // Outside its own pass, the run's next pass is already queued, unless its outline is
        // being written: the end of that step carries its run's generation.
        disposeOfRenderer(passGeneration != runGeneration && !outlineStep);
    }
    ++runGeneration;
    readySent = false;
    aborted = false;
    process();
}

void AsyncReportsBase::nextPage()
{
    if (stalePasses > 0) {
        --stalePasses;
        return;
    }
    if (!renderer) {
        endRun(Outcome::NoData, QString(), noDataMessage());
        return;
    }

    QPointer<AsyncReportsBase> alive(this);
    const quint64 generation = runGeneration;
    passGeneration = generation;
    // After a signal, a slot may have destroyed this job or started a new run on it; the
    // new run (or the destructor) has then dealt with this run's renderer and file, and this
    // pass must touch nothing more.
    auto mayGoOn = [&]() {
        if (!alive)
            return false;
        passGeneration = 0;
        return generation == runGeneration;
    };

    if (aborted) {
        readySent = true;
        endRun(Outcome::Cancelled, renderer->outputPath(), cancelledMessage());
        if (mayGoOn() && renderer)
            disposeOfRenderer(false);
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

    passGeneration = 0;
    // A renderer that found its report cannot be laid out ends the run so.
    if (renderer->layoutRefused()) {
        readySent = true;
        const QString reason = renderer->lastError();
        endRun(Outcome::LayoutFailed, renderer->outputPath(), reason);
        if (alive && generation == runGeneration && renderer)
            disposeOfRenderer(false);
        return;
    }
    finishRun();
}

void AsyncReportsBase::finishRun()
{
    renderer->finish();
    if (renderer->outputComplete()) {
        const quint64 generation = runGeneration;
        auto announceEnd = [this, generation]() {
            QMetaObject::invokeMethod(this, "outlineStepEnded", Qt::QueuedConnection,
                                      Q_ARG(quint64, generation));
        };
        if (renderer->startOutlineStep(announceEnd)) {
            outlineStep = true;
            return;
        }
    }
    completeRun(renderer->outputComplete());
}

void AsyncReportsBase::outlineStepEnded(quint64 generation)
{
    // The step of an abandoned run was waited for when it was abandoned.
    if (generation != runGeneration || !outlineStep || !renderer)
        return;
    outlineStep = false;
    // A cancel that came while the outline was written wins: the document never takes its
    // path's name.
    if (aborted) {
        readySent = true;
        QPointer<AsyncReportsBase> alive(this);
        endRun(Outcome::Cancelled, renderer->outputPath(), cancelledMessage());
        if (alive && generation == runGeneration && renderer)
            disposeOfRenderer(false);
        return;
    }
    completeRun(renderer->endOutlineStep());
}

void AsyncReportsBase::completeRun(bool complete)
{
    PDFRendererBase *finished = renderer;
    renderer = nullptr;
    readySent = true;
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
    outlineStep = false;
    abandoned->discardOutput();
    delete abandoned;
    if (passQueued)
        ++stalePasses;
}
