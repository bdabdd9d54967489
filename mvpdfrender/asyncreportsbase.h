#ifndef ASYNCREPORTSBASE_H
#define ASYNCREPORTSBASE_H

#include "mvpdfrender_global.h"

#include <QObject>
#include <QString>
#include <QStringList>

class PDFRendererBase;

// The abstract report job. A host derives one class per kind of report and supplies its data
// through the pure virtual functions; the job then writes one page per pass of the event
// loop, sends progress after every page but the last, and ends every run with exactly one
// ready() whose text is empty on success and a message otherwise.
class MVPDFRENDER_EXPORT AsyncReportsBase : public QObject
{
    Q_OBJECT

public:
    explicit AsyncReportsBase(QObject *parent = nullptr);
    // A job destroyed during a run deletes its renderer and removes the unfinished file.
    ~AsyncReportsBase() override;

signals:
    void ready(QString message);
    void progress(QString message);

public slots:
    void abortReport();
    // Starts a run; may be called from any thread (it re-posts itself to the job's thread).
    // A run still going is ended first, with its own ready() (the cancel message) and its
    // file removed, so that every start gets exactly one ready().
    void do_process();

private slots:
    void nextPage();

public:
    // The job's body: make a renderer with this job as owner, give it its data, prepare() it,
    // startReport() it, store it in `renderer` and invoke "nextPage" queued.
    virtual void process() = 0;
    // The lines of a line report; the list must stay valid and unchanged in size during a run.
    virtual QStringList &reportLines() = 0;
    virtual QStringList &continuationHeader() = 0;
    virtual QString reportTitle() = 0;
    virtual QString reportSubtitle() = 0;
    virtual QString reportPlace() = 0;
    virtual QString outputFileName() = 0;

protected:
    QStringList monthNames;     // "" then the genitive month names, indexed by QDate::month()
    PDFRendererBase *renderer;  // owned; null while no run is installed
    bool aborted;

private:
    void finishRun();
    // Deletes the installed renderer and removes its file; passQueued: a pass of that run is
    // still queued and must do nothing when it arrives.
    void disposeOfRenderer(bool passQueued);

    // Counts the runs started, so that a pass can tell whether a slot it signalled started
    // a new run (or destroyed the job) and must then leave the new run alone.
    quint64 runGeneration = 0;
    // The run whose pass is executing now (its generation), or 0 between passes.
    quint64 passGeneration = 0;
    // Passes of an abandoned run that are still queued and must do nothing when they arrive.
    int stalePasses = 0;
    // Whether the installed run has had its ready() already (a cancel in progress).
    bool readySent = false;
};

#endif // ASYNCREPORTSBASE_H
