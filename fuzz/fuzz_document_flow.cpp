// A document report of fuzzer-chosen items, rendered through a real job on the event loop:
// every four bytes make an item (its kind, width, height and where it belongs), the first
// byte also says whether documents are kept together. The report must end, once, with
// success, and within its page budget: no more pages than items.
#include "documentgraphics.h"
#include "fuzzreport.h"
#include "mvkeys.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"

#include <QGraphicsRectItem>
#include <QImage>

#include <cstdlib>

namespace {

constexpr size_t kBytesAnItem = 4;
constexpr size_t kMostItems = 60;
// Scene units a byte of width or height stands for: 255 of them are over two columns tall
// and over a page wide.
constexpr double kUnitsAByte = 10.0;
const double kHeightFactors[] = {0.3, 1.0, 6.0, 1000.0};

QGraphicsRectItem *rectangle(double width, double height, QGraphicsItem *parent = nullptr)
{
    auto *item = new QGraphicsRectItem(0, 0, width, height, parent);
    item->setPen(Qt::NoPen);
    return item;
}

class FuzzJob : public AsyncReportsBase
{
public:
    QByteArray input;
    QString file;
    int items = 0;

    void process() override
    {
        auto *report = new PDFRendererDocuments(this);
        report->setKeepTogether(!input.isEmpty() && input.at(0) & 1);
        AsyncReportsHelper &helper = report->getHlp();
        DocumentGraphics doc;
        for (size_t at = 0; at + kBytesAnItem <= size_t(input.size()) && items < int(kMostItems); at += kBytesAnItem) {
            const auto byte = [&](size_t i) { return quint8(input.at(int(at + i))); };
            const double width = 1.0 + byte(1) * kUnitsAByte;
            const double height = 1.0 + byte(2) * kUnitsAByte;
            const quint8 flags = byte(3);
            // A new document begins with this item; it may be numbered and titled.
            if (flags & 1 && !doc.items.isEmpty()) {
                report->appendDoc(doc);
                doc = DocumentGraphics();
            }
            if (doc.items.isEmpty() && flags & 2)
                doc.attributes.insert(MvKeys::NumberAttribute, int(flags));
            if (doc.items.isEmpty() && flags & 4)
                doc.attributes.insert(MvKeys::TitleAttribute, QString(int(byte(1)) * 40, QLatin1Char('T')));
            QGraphicsItem *item = nullptr;
            switch (byte(0) % 4) {
            case 0:
                item = helper.createTextItemWithFormat(QString(int(byte(1) % 80), QLatin1Char('W')),
                                                       helper.formats[MvKeys::PrintoutFormat]);
                if (flags & 8)
                    item->setData(MvKeys::HeightFactorKey, kHeightFactors[(flags >> 4) % 4]);
                break;
            case 1: {
                QImage image(int(width), int(height), QImage::Format_Mono);
                image.fill(0);
                item = new QGraphicsImageItem(image);
                break;
            }
            case 2:
                item = rectangle(width, height);
                break;
            default:
                // A composite: a child outside its parent's own rectangle.
                item = rectangle(width, height);
                rectangle(width, kUnitsAByte, item)->setPos(flags & 16 ? QPointF(-width, -kUnitsAByte)
                                                                       : QPointF(0.0, height));
                break;
            }
            if (flags & 32)
                item->setData(MvKeys::SpacedKey, true);
            doc.items.append(item);
            ++items;
        }
        if (!doc.items.isEmpty())
            report->appendDoc(doc);
        startRenderer(report);
    }
    QStringList &reportLines() override { return noLines; }
    QStringList &continuationHeader() override { return noLines; }
    QString reportTitle() override { return QStringLiteral("Fuzz"); }
    QString reportSubtitle() override { return QString(); }
    QString reportPlace() override { return QString(); }
    QString outputFileName() override { return file; }

private:
    QStringList noLines;
};

QString outputFile;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    outputFile = FuzzReport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    // Not even an item: no report.
    if (size < kBytesAnItem)
        return 0;
    FuzzJob job;
    job.input = QByteArray(reinterpret_cast<const char *>(bytes), int(size));
    job.file = outputFile;
    int pages = 0;
    bool overBudget = false;
    // A run that breaks its budget is stopped there, and fails the input.
    QObject::connect(&job, &AsyncReportsBase::progress, &job, [&]() {
        if (++pages > job.items) {
            overBudget = true;
            job.abortReport();
        }
    });
    QString message;
    const int readyCount = FuzzReport::runToReady(job, &message);
    const bool completed = job.lastOutcome() == AsyncReportsBase::Outcome::Completed && message.isEmpty();
    if (readyCount != 1 || overBudget || !completed)
        std::abort();
    return 0;
}
