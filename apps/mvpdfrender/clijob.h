#ifndef CLIJOB_H
#define CLIJOB_H

#include "asyncreportsbase.h"
#include "pdfrendererbase.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>

class QIODevice;

#include <memory>

class DocumentFeeder;

// The tool's report job: a line report of `lines`, or a document report fed by a
// DocumentFeeder, written to `output`.
class CliJob : public AsyncReportsBase
{
    Q_OBJECT

public:
    struct Settings
    {
        QString output;           // OUT as named: the file the report is written to
        QIODevice *device = nullptr;  // what the report is written into instead (not owned)
        QString title;
        QString subtitle;
        QString place;
        QStringList headings;
        bool wide = false;
        int ppi = 0;              // 0: the composer's default
        bool debugOutline = false;
        bool pdfA1b = false;
        bool outline = false;     // documents: an outline entry per document
        QString outlinePattern;   // lines: lines that open an outline entry; valid or empty
        QDate reportDate;         // the day of the dated line; invalid: today
        QDateTime timestamp;      // the moment the file records; invalid: the run's
        bool pageCount = false;   // footers read "- Strona N z M -"
        int outlineGroupSize = PDFRendererBase::DefaultOutlineGroupSize;  // 0: a flat outline
        bool keepTogether = true; // documents: labels and lines kept with their documents
    };

    // lines: moved in, so that the job's list is not shared (the renderer would copy a shared one).
    CliJob(const Settings &settings, QStringList lines, QObject *parent = nullptr);
    CliJob(const Settings &settings, std::unique_ptr<DocumentFeeder> feeder,
           QObject *parent = nullptr);
    ~CliJob() override;

    void process() override;
    QStringList &reportLines() override;
    QStringList &continuationHeader() override;
    QString reportTitle() override;
    QString reportSubtitle() override;
    QString reportPlace() override;
    QString outputFileName() override;

    // Pages written so far in the current run, and the share done in percent (for a document
    // report, the share of documents placed). Both are up to date when progress() arrives.
    int pagesWritten() const;
    double percentDone() const;
    // A failure of the job's own (an image that could not be loaded any more) in one line,
    // or empty; the run then ended with the cancel message.
    QString failureReason() const;

private:
    void afterPage();

    Settings settings;
    QStringList lines;
    std::unique_ptr<DocumentFeeder> feeder;
    int pages = 0;
    double percent = 0.0;
    QString failureText;
};

#endif // CLIJOB_H
