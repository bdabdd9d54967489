#ifndef TESTJOB_H
#define TESTJOB_H

#include "asyncreportsbase.h"

#include <QStringList>

#include <functional>

class PDFRendererBase;
class QIODevice;
class PDFRendererDocuments;

// A host job for the tests: renders `lines` as a line report, or the documents that
// `fillDocuments` appends as a document report, into `fileName`.
class TestJob : public AsyncReportsBase
{
    Q_OBJECT

public:
    explicit TestJob(QObject *parent = nullptr);

    void process() override;
    QStringList &reportLines() override { return lines; }
    QStringList &continuationHeader() override { return headings; }
    QString reportTitle() override { return title; }
    QString reportSubtitle() override { return subtitle; }
    QString reportPlace() override { return place; }
    QString outputFileName() override { return fileName; }

    // Runs the job on the event loop until ready; returns the ready text, or "<timeout>".
    QString run(int timeoutMs = 120000);

    bool isAborted() const { return aborted; }

    QStringList lines;
    QStringList headings;
    QString title = QStringLiteral("Raport testowy");
    QString subtitle = QStringLiteral("Kasa nr 1");
    QString place = QStringLiteral("Kraków");
    QString fileName;
    QIODevice *device = nullptr;  // set: the report goes into it instead of fileName
    bool wide = false;
    int ppi = 0;              // 0 keeps the composer's default
    bool debugOutline = false;
    // Makes the scene paint every page (with a transparent foreground, which rules out the
    // composer's own painting): the reference for the composer's faster paths.
    bool sceneRendering = false;
    std::function<void(PDFRendererDocuments &)> fillDocuments;  // set: a document report
    bool outline = false;         // documents: an entry per document
    QString outlinePattern;       // lines: entries of matching lines
    bool pdfA1b = false;
    // Called when the renderer's prepare() has succeeded.
    std::function<void(PDFRendererBase &)> afterPrepare;
    // Called on the renderer just before the job starts it: options of its own.
    std::function<void(PDFRendererBase &)> configure;
    // Called when the renderer's emitPage() has written the last page, before the report is
    // finished.
    std::function<void()> lastPageComposed;
    int processCalls = 0;
};

// Delivers every queued call now (and what those queue in turn), so that a test can tell
// that nothing more happens, without waiting for a while.
void deliverQueuedCalls();

// Printout lines whose first word names them: "W00000", "W00001", ..., padded to length.
QStringList numberedLines(int count, int length = 20);

#endif // TESTJOB_H
