#ifndef PDFRENDERERBASE_P_H
#define PDFRENDERERBASE_P_H

// The private part of PDFRendererBase, for the library's own classes; not installed.

#include "pdfrendererbase.h"

#include "mvfailure.h"
#include "mvreportfinisher.h"

// What the renderer keeps beside its specified fields: the host's device, if the report goes
// into one, and where its stage may go; the report's date and the file's moment; the page
// labels and outline it asks for; its last failure; and the finishing of its report after the
// last page, which the job drives.
struct Q_DECL_HIDDEN PDFRendererBase::Private
{
    explicit Private(PDFOutput &output) : finisher(output) {}

    static Private *get(PDFRendererBase *renderer) { return renderer->d.get(); }

    // Records failure, with its text, as the renderer's last (lastFailure(), lastError()).
    void fail(PDFRendererBase &renderer, const MvFailure &failure, const QString &message);
    // After the last page of a run: ends the painting and starts finishing.
    void startFinishing(PDFRendererBase &renderer);
    // What finishing takes: the page labels to paint (none when the report does not show its
    // page count), the report's lines for the titles of line entries.
    std::unique_ptr<MvFooterPages> pageLabels(const PDFRendererBase &renderer) const;
    QStringList entryLines(const PDFRendererBase &renderer) const;
    // Takes the failure that ended the finishing as the renderer's own.
    void takeFinishingFailure(PDFRendererBase &renderer);
    // Ends the output when the renderer is finished or deleted: a report a job still runs is
    // dropped, one driven by other means is completed at once.
    void endOutput(PDFRendererBase &renderer);

    QIODevice *outputDevice = nullptr;   // the host's; not owned
    bool pdfA1b = false;
    QString stagingFolder;
    QDate reportDate;
    QDateTime fileTimestamp;
    bool pageCountVisible = false;
    bool outlineRequested = false;
    int outlineGroupSize = PDFRendererBase::DefaultOutlineGroupSize;
    double pointsPerSceneUnit = 0.0;
    MvFailure failure;
    MvReportFinisher finisher;
};

#endif // PDFRENDERERBASE_P_H
