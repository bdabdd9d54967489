#include "asyncreportsbase.h"

#include "pdfoutput.h"
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
}

AsyncReportsBase::~AsyncReportsBase()
{
    // Queued passes die with the object; an unfinished run must not leave a half-written file.
    if (renderer)
        disposeOfRenderer();
}

void AsyncReportsBase::abortReport()
{
    aborted = true;
}

void AsyncReportsBase::do_process()
{
    if (thread() != QThread::currentThread()) {
        QMetaObject::invokeMethod(this, "do_process", Qt::QueuedConnection);
        return;
    }
    if (renderer) {
        // A run is still installed (a restart from one of our own signals, or a second start):
        // it is abandoned with its file. Outside a pass its next pass is already queued.
        disposeOfRenderer();
        if (!inPass)
            ++stalePasses;
    }
    ++runGeneration;
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
        emit ready(QString::fromUtf8(kNoDataMessage));
        return;
    }

    QPointer<AsyncReportsBase> alive(this);
    const quint64 generation = runGeneration;
    // After a signal, a slot may have destroyed this job or started a new run on it; the
    // new run (or the destructor) has then dealt with this run's renderer and file, and this
    // pass must touch nothing more.
    auto mayGoOn = [&]() {
        if (!alive)
            return false;
        inPass = false;
        return generation == runGeneration;
    };

    inPass = true;
    if (aborted) {
        emit ready(QString::fromUtf8(kCancelledMessage));
        if (mayGoOn() && renderer)
            disposeOfRenderer();
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

    inPass = false;
    finishRun();
}

void AsyncReportsBase::finishRun()
{
    PDFRendererBase *finished = renderer;
    renderer = nullptr;
    finished->finish();
    const bool complete = finished->outputComplete();
    const QString path = finished->outputPath();
    delete finished;

    if (!complete) {
        // A document that did not reach the disk whole is a failure, never a success.
        PDFOutput::removeRegularFile(path);
        emit ready(PDFRendererBase::cannotWriteMessage(path));
        return;
    }
    emit ready(QString());
}

void AsyncReportsBase::disposeOfRenderer()
{
    PDFRendererBase *abandoned = renderer;
    renderer = nullptr;
    const QString path = abandoned->outputPath();
    delete abandoned;
    PDFOutput::removeRegularFile(path);
}
