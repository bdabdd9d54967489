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

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QRandomGenerator>

#include <cstdio>

namespace {

struct Product { const char *name; int priceGrosze; };

const Product kProducts[] = {
    {"Chleb żytni na zakwasie 500 g", 749}, {"Masło ekstra 82% 200 g", 899},
    {"Mleko 3,2% 1 l", 379}, {"Ser żółty gouda plastry 150 g", 699},
    {"Jabłka Szampion luz", 412}, {"Kawa ziarnista Crema, palona w Polsce, 1 kg", 6499},
    {"Woda mineralna niegazowana 1,5 l", 219}, {"Pierogi ruskie 400 g", 1149},
    {"Herbata czarna ekspresowa 100 szt.", 1299}, {"Śmietana 18% 400 g", 589},
};

QString money(int grosze)
{
    return QStringLiteral("%1,%2").arg(grosze / 100).arg(grosze % 100, 2, 10, QLatin1Char('0'));
}

// One receipt: centred shop header, item lines with wrapped long names, a double-width total.
MvStringFormatter composeReceipt(int number, QRandomGenerator &random, bool cancelled)
{
    MvStringFormatter receipt;
    receipt.AppFormatC(QStringLiteral("SKLEP SPOŻYWCZY \"POD LIPAMI\""));
    receipt.AppFormatC(QStringLiteral("ul. Długa 7, 31-147 Kraków"));
    receipt.AppFormatC(QStringLiteral("NIP 677-000-00-00"));
    receipt.AppendSeparator(false);
    receipt.AppFormatW(QStringLiteral("PARAGON FISKALNY"), QStringLiteral("nr %1").arg(number));
    receipt.AppendSeparator(false);

    int total = 0;
    const int items = 2 + random.bounded(6);
    for (int i = 0; i < items; ++i) {
        const Product &product = kProducts[random.bounded(int(std::size(kProducts)))];
        const int quantity = 1 + random.bounded(3);
        total += quantity * product.priceGrosze;
        receipt.AppFormatWRightWrap(QString::fromUtf8(product.name),
                                    QStringLiteral(" %1 x %2 %3").arg(quantity)
                                    .arg(money(product.priceGrosze), money(quantity * product.priceGrosze)));
    }
    receipt.AppendSeparator(false);
    receipt.Append(MvStringFormatter::MakeItTwice(
            MvStringFormatter::FormatW(QStringLiteral("SUMA PLN"), money(total), 20), 0), true);
    receipt.AppFormatW(QStringLiteral("Gotówka"), money(total + random.bounded(2000)));
    receipt.AppendSeparator(false);
    const QDateTime when(QDate(2026, 11, 1).addDays(number % 30), QTime(8, 0).addSecs(number * 97 % 40000));
    receipt.AppFormatW(when.toString(QStringLiteral("yyyy-MM-dd")), when.toString(QStringLiteral("HH:mm")));
    if (cancelled)
        receipt.AppFormatC(QStringLiteral("ANULOWANY"));
    return receipt;
}

// The report job: a line report of all receipts, or one numbered document per receipt.
class ArchiveJob : public AsyncReportsBase
{
public:
    ArchiveJob(const QList<MvStringFormatter> &receipts, bool documents, const QString &file)
        : receipts(receipts), documents(documents), file(file)
    {
        for (const MvStringFormatter &receipt : receipts) {
            lines.append(receipt.lines());
            lines.append(QString());   // a blank line between receipts
        }
    }

    void process() override
    {
        if (!documents) {
            startRenderer(new PDFRenderer(this));
            return;
        }
        auto *report = new PDFRendererDocuments(this);
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

    QRandomGenerator random(2026);
    QList<MvStringFormatter> receipts;
    for (int number = 1; number <= 300; ++number)
        receipts.append(composeReceipt(number, random, number == 123));

    int cancelled = 0;
    for (MvStringFormatter &receipt : receipts)
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
