#include "mvoutlinewriter.h"

#include "mvstage.h"

#include <QFileDevice>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

const char *const kCannotRead = "cannot read the finished document";
const char *const kStopped = "stopped";

// Decimal places of the heights in the destinations: a hundredth of a point.
constexpr int kHeightDecimals = 2;

// Thrown inside the PDF library's writing to leave it at once; caught in write().
struct Stopped
{
};

// The end of the writer's pipeline: the target device. Checks the stop flag at every write,
// so that a stop request ends the writing within one buffer. It throws once, to leave the
// writer; the writer's pipelines may write again while they unwind, and those writes, like
// finish(), must not throw: they are dropped.
class DevicePipeline : public Pipeline
{
public:
    DevicePipeline(QIODevice &target, const std::atomic_bool &stop)
        : Pipeline("report file", nullptr), target(target), stop(stop)
    {
    }

    void write(unsigned char const *data, size_t length) override
    {
        if (ended)
            return;
        if (stop.load()) {
            ended = true;
            throw Stopped();
        }
        const qint64 wanted = qint64(length);
        if (target.write(reinterpret_cast<const char *>(data), wanted) != wanted) {
            ended = true;
            failed = true;
            throw std::runtime_error("cannot write the report file");
        }
    }

    void finish() override
    {
        auto *file = qobject_cast<QFileDevice *>(&target);
        if (!ended && file && !file->flush())
            failed = true;
    }

    bool failed = false;

private:
    QIODevice &target;
    const std::atomic_bool &stop;
    bool ended = false;
};

QPDFObjectHandle destination(QPDFObjectHandle page, double topFromPageTop)
{
    double pageTop = 0.0;
    QPDFObjectHandle box = page.getKey("/MediaBox");
    if (box.isRectangle())
        pageTop = box.getArrayAsRectangle().ury;
    const double top = std::max(0.0, pageTop - topFromPageTop);
    return QPDFObjectHandle::newArray({page, QPDFObjectHandle::newName("/XYZ"),
                                       QPDFObjectHandle::newNull(),
                                       QPDFObjectHandle::newReal(top, kHeightDecimals),
                                       QPDFObjectHandle::newNull()});
}

// Adds the entries (at least one) as the first level of a new outline.
void addOutline(QPDF &pdf, const QVector<MvOutlineEntry> &entries, const std::atomic_bool &stop)
{
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    if (pages.empty())
        throw std::runtime_error("no pages");
    QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    QPDFObjectHandle previous;
    for (const MvOutlineEntry &entry : entries) {
        if (stop.load())
            throw Stopped();
        const int index = std::clamp(entry.page, 1, int(pages.size())) - 1;
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(entry.title.toStdString()));
        item.replaceKey("/Parent", outlines);
        item.replaceKey("/Dest", destination(pages.at(size_t(index)).getObjectHandle(), entry.top));
        if (previous.isInitialized()) {
            item.replaceKey("/Prev", previous);
            previous.replaceKey("/Next", item);
        } else {
            outlines.replaceKey("/First", item);
        }
        previous = item;
    }
    outlines.replaceKey("/Last", previous);
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(entries.size()));
    QPDFObjectHandle root = pdf.getRoot();
    root.replaceKey("/Outlines", outlines);
    // Viewers open with the outline shown.
    root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// Without entries the document is copied as it is, byte for byte.
bool copy(QIODevice &source, QIODevice &target, const std::atomic_bool &stop,
          QString &reason)
{
    constexpr qint64 kChunk = 1 << 20;
    if (!source.seek(0)) {
        reason = QString::fromLatin1(kCannotRead);
        return false;
    }
    while (!source.atEnd()) {
        if (stop.load()) {
            reason = QString::fromLatin1(kStopped);
            return false;
        }
        const QByteArray chunk = source.read(kChunk);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
            reason = QStringLiteral("copy failed");
            return false;
        }
    }
    return true;
}

} // namespace

namespace MvOutlineWriter {

bool write(QIODevice &source, QIODevice &target, const QVector<MvOutlineEntry> &entries,
           const std::atomic_bool &stop, QString &reason)
{
    if (entries.isEmpty())
        return copy(source, target, stop, reason);
    // The PDF library reads a stage in a file through a stream of its own, on a duplicate of
    // its handle; other sources from memory.
    const auto *stage = dynamic_cast<const MvStage *>(&source);
    const int handle = stage && stage->fileHandle() >= 0 ? ::dup(stage->fileHandle()) : -1;
    FILE *stream = handle >= 0 ? ::fdopen(handle, "rb") : nullptr;
    if (handle >= 0 && !stream)
        ::close(handle);
    QByteArray bytes;
    if (stream)
        std::rewind(stream);
    else if (stage)
        bytes = stage->memory();
    else if (source.seek(0))
        bytes = source.readAll();
    if (!stream && bytes.isEmpty()) {
        reason = QString::fromLatin1(kCannotRead);
        return false;
    }
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        if (stream)
            pdf.processFile("report", stream, true);
        else
            pdf.processMemoryFile("report", bytes.constData(), size_t(bytes.size()));
        addOutline(pdf, entries, stop);
        DevicePipeline pipeline(target, stop);
        QPDFWriter writer(pdf);
        writer.setOutputPipeline(&pipeline);
        writer.setObjectStreamMode(qpdf_o_disable);
        writer.write();
        if (!pipeline.failed)
            return true;
        reason = QStringLiteral("cannot write the report file");
        return false;
    } catch (const Stopped &) {
        reason = QString::fromLatin1(kStopped);
    } catch (const std::exception &error) {
        reason = QString::fromLocal8Bit(error.what());
    }
    return false;
}

} // namespace MvOutlineWriter
