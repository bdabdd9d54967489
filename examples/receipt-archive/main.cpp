// A host of mvpdfrender: composes a few hundred Polish receipts with MvStringFormatter, then
// renders the archive twice through report jobs: as numbered documents and as a line report.
//
//   receipt-archive OUTDIR     writes OUTDIR/receipts-documents.pdf and OUTDIR/receipts-lines.pdf
#include "asyncreportsbase.h"
#include "documentgraphics.h"
#include "mvkeys.h"
#include "mvstringformatter.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"
#include "samplereceipts.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>

#include <cstdio>

namespace {

// The report job: a line report of all receipts, or one numbered document per receipt.
class ArchiveJob : public AsyncReportsBase
{
public:
    ArchiveJob(const QList<MvStringFormatter> &receipts, bool documents, const QString &file)
        : receipts(receipts), documents(documents), file(file)
    {
        lines = SampleReceipts::lines(receipts);
    }

    void process() override
    {
        if (!documents) {
            // A bookmark at the line that opens each receipt.
            auto *lineReport = new PDFRenderer(this);
            lineReport->setOutlinePattern(QStringLiteral("PARAGON FISKALNY"));
            startRenderer(lineReport);
            return;
        }
        auto *report = new PDFRendererDocuments(this);
        report->setOutlineEnabled(true);   // a bookmark per receipt: "Dokument nr N"
        report->setKeepTogether(true);     // no label or first line alone at a column's foot
        report->setPageCountVisible(true); // "- Strona N z M -"
        report->setReportDate(QDate(2026, 11, 30));   // the day the archive closes
        AsyncReportsHelper &helper = report->getHlp();
        for (int i = 0; i < receipts.size(); ++i) {
            DocumentGraphics doc;
            doc.attributes.insert(MvKeys::NumberAttribute, i + 1);
            for (const QString &line : receipts.at(i).lines())
                doc.items.append(helper.createTextItemWithFormat(line, helper.formats[MvKeys::PrintoutFormat]));
            report->appendDoc(doc);
        }
        startRenderer(report);
    }

    QStringList &reportLines() override { return lines; }
    QStringList &continuationHeader() override { return heading; }
    QString reportTitle() override { return QStringLiteral("Archiwum paragonów"); }
    QString reportSubtitle() override { return QStringLiteral("Sklep \"Pod Lipami\", listopad 2026"); }
    QString reportPlace() override { return QStringLiteral("Kraków"); }
    QString outputFileName() override { return file; }

private:
    QList<MvStringFormatter> receipts;
    bool documents;
    QString file;
    QStringList lines;
    QStringList heading{QStringLiteral("ARCHIWUM PARAGONÓW (cd.)"), MvStringFormatter::GetSeparator(40, QStringLiteral("="))};
};

// Runs a job on the event loop; returns its message when it did not complete.
QString render(ArchiveJob &job)
{
    QEventLoop loop;
    QString message;
    QObject::connect(&job, &AsyncReportsBase::ready, &loop, [&](const QString &text) {
        if (job.lastOutcome() != AsyncReportsBase::Outcome::Completed)
            message = text;
        loop.quit();
    }, Qt::QueuedConnection);
    job.do_process();
    loop.exec();
    return message;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    const QList<MvStringFormatter> receipts = SampleReceipts::compose(300, 123);

    int cancelled = 0;
    for (MvStringFormatter receipt : receipts)
        cancelled += receipt.haveCancelledLine(3) ? 1 : 0;
    std::printf("%d receipts composed, %d cancelled\n", int(receipts.size()), cancelled);

    for (bool documents : {true, false}) {
        const QString file = out.filePath(documents ? QStringLiteral("receipts-documents.pdf")
                                                    : QStringLiteral("receipts-lines.pdf"));
        ArchiveJob job(receipts, documents, file);
        const QString error = render(job);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "receipt-archive: %s\n", qUtf8Printable(error));
            return 1;
        }
        std::printf("wrote %s\n", qUtf8Printable(file));
    }
    return 0;
}
