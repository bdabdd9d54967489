#include "mvoutlinewriter.h"

#include "mvpdfstamp.h"
#include "mvpdftext.h"
#include "mvreporttexts.h"
#include "mvstage.h"

#include <QCryptographicHash>
#include <QFileDevice>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

constexpr qint64 kCopyChunk = 1 << 20;
// The update's identifier: 16 bytes of its digest, as PDF writes one.
constexpr int kIdentifierBytes = 16;
// PDF 1.4's largest array, and the fan-out of a page tree split to stay within it.
constexpr int kMaxArray = 8191;
constexpr int kKidsPerNode = 4096;
// The end of a file, where "startxref" and the offset of its cross-reference table stand.
constexpr qint64 kTailBytes = 1024;
// Decimal places of the heights in the destinations: a hundredth of a point.
constexpr int kHeightDecimals = 2;

// Thrown to leave the writing at once when a stop is asked for; caught in write().
struct Stopped
{
};

// Thrown when target does not take a write: the system's error number, for a file.
struct WriteFailed
{
    int systemError;
};

void writeAll(QIODevice &target, const char *data, qint64 length)
{
    errno = 0;
    if (target.write(data, length) != length)
        throw WriteFailed{qobject_cast<QFileDevice *>(&target) ? errno : 0};
}

QByteArray reference(const QPDFObjGen &object)
{
    return QByteArray::number(object.getObj()) + ' ' + QByteArray::number(object.getGen()) + " R";
}

QByteArray reference(int number)
{
    return QByteArray::number(number) + " 0 R";
}

// A text string as PDF writes any text: UTF-16BE after a byte-order mark, in hexadecimal.
QByteArray textString(const QString &text)
{
    QByteArray hex("<FEFF");
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex + '>';
}

// The keys of a dictionary as they stand, but for those in `replaced`, which get new values.
QByteArray dictionary(QPDFObjectHandle object, const std::vector<std::pair<std::string, QByteArray>> &replaced)
{
    QByteArray text("<<");
    for (const std::string &key : object.getKeys()) {
        const bool isReplaced = std::any_of(replaced.cbegin(), replaced.cend(),
                                            [&key](const auto &entry) { return entry.first == key; });
        if (!isReplaced)
            text += ' ' + QByteArray::fromStdString(key) + ' '
                    + QByteArray::fromStdString(object.getKey(key).unparse());
    }
    for (const auto &entry : replaced) {
        if (!entry.second.isEmpty())
            text += ' ' + QByteArray::fromStdString(entry.first) + ' ' + entry.second;
    }
    return text + " >>";
}

// Writes the update after the copied document: its objects, then a cross-reference section
// with their offsets and a trailer that leads back to the document's own.
class Update
{
public:
    Update(QIODevice &target, qint64 start, const std::atomic_bool &stop)
        : target(target), offset(start), stop(stop)
    {
    }

    void object(int number, int generation, const QByteArray &body)
    {
        written.push_back({number, generation, offset});
        put(QByteArray::number(number) + ' ' + QByteArray::number(generation) + " obj\n" + body
            + "\nendobj\n");
    }

    // The digest of what the update holds so far.
    QByteArray digest() const
    {
        return hash.result();
    }

    // Writes the cross-reference section, then the trailer that trailer() gives.
    void finish(const std::function<QByteArray()> &trailer)
    {
        std::sort(written.begin(), written.end(),
                  [](const Written &a, const Written &b) { return a.number < b.number; });
        const qint64 crossReference = offset;
        // The section opens with object 0, free, as a table of a whole file does: strict
        // readers take a first subsection that starts elsewhere for a misnumbered table.
        QByteArray section("xref\n0 1\n0000000000 65535 f \n");
        for (size_t first = 0; first < written.size();) {
            size_t end = first + 1;
            while (end < written.size() && written[end].number == written[end - 1].number + 1)
                ++end;
            section += QByteArray::number(written[first].number) + ' ' + QByteArray::number(int(end - first)) + '\n';
            for (size_t i = first; i < end; ++i) {
                // Twenty bytes each, the line ended by a space and a line feed.
                section += QByteArray::number(written[i].offset).rightJustified(10, '0') + ' '
                        + QByteArray::number(written[i].generation).rightJustified(5, '0') + " n \n";
            }
            put(section);
            section.clear();
            first = end;
        }
        put("trailer\n" + trailer() + "\nstartxref\n" + QByteArray::number(crossReference) + "\n%%EOF\n");
    }

private:
    struct Written
    {
        int number;
        int generation;
        qint64 offset;
    };

    void put(const QByteArray &bytes)
    {
        if (stop.load())
            throw Stopped();
        writeAll(target, bytes.constData(), bytes.size());
        hash.addData(bytes);
        offset += bytes.size();
    }

    QIODevice &target;
    qint64 offset;
    const std::atomic_bool &stop;
    std::vector<Written> written;
    QCryptographicHash hash{QCryptographicHash::Sha256};
};

// Copies source to target from its start; returns its length.
qint64 copy(QIODevice &source, QIODevice &target, const std::atomic_bool &stop)
{
    if (!source.seek(0))
        throw std::runtime_error("cannot read the finished document");
    qint64 length = 0;
    while (!source.atEnd()) {
        if (stop.load())
            throw Stopped();
        const QByteArray chunk = source.read(kCopyChunk);
        if (chunk.isEmpty())
            throw std::runtime_error("cannot read the finished document");
        writeAll(target, chunk.constData(), chunk.size());
        length += chunk.size();
    }
    return length;
}

// Copies source to target stamped as planned; returns the stamped length.
qint64 copyStamped(const MvPdfStamp &stamp, QIODevice &source, QIODevice &target, const std::atomic_bool &stop)
{
    QString reason;
    const bool copied = stamp.copy(source, [&target](const char *data, qint64 length) {
        writeAll(target, data, length);
        return true;
    }, stop, &reason);
    if (stop.load())
        throw Stopped();
    if (!copied)
        throw std::runtime_error(reason.isEmpty() ? std::string("copy failed") : reason.toStdString());
    return stamp.length();
}

// The offset of the document's cross-reference table, from the end of its text.
qint64 startOfCrossReference(QIODevice &source, qint64 length)
{
    if (!source.seek(qMax(qint64(0), length - kTailBytes)))
        throw std::runtime_error("cannot read the finished document");
    const QByteArray tail = source.readAll();
    const int at = tail.lastIndexOf("startxref");
    bool ok = false;
    const qint64 offset = at < 0 ? 0 : tail.mid(at + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok)
        throw std::runtime_error("the finished document has no cross-reference table");
    return offset;
}

// Reads the finished document's structure (not its pages' content) with the PDF library: a
// stage in a file through a stream of its own, on a duplicate of its file; else from memory
// (read whole where the system gives no such stream).
void open(QPDF &pdf, QIODevice &source, QByteArray *bytes)
{
    pdf.setSuppressWarnings(true);
    const auto *stage = dynamic_cast<const MvStage *>(&source);
    if (FILE *stream = stage && stage->inFile() ? stage->duplicateStream() : nullptr) {
        pdf.processFile("report", stream, true);
        return;
    }
    if (stage && !stage->inFile()) {
        *bytes = stage->memory();
    } else if (source.seek(0)) {
        *bytes = source.readAll();
    }
    pdf.processMemoryFile("report", bytes->constData(), size_t(bytes->size()));
}

// Where an outline item opens: its page (from 1), the page's object and the height there.
struct Place
{
    int page = 1;
    QByteArray destination;
};

// A parent of consecutive outline items: the pages its first and last entries open, and where
// its first entry opens, which the parent opens too.
struct Group
{
    int firstPage = 0;
    int lastPage = 0;
    QByteArray destination;
};

// The outline's tree, numbered before anything is written: the root, then the entries in the
// order they come, then each level of groups above them. Each level holds the items of the
// one below in runs of groupSize, while that one has more than kMaxFlatEntries.
class OutlineTree
{
public:
    OutlineTree(int entries, int groupSize, int root) : root(root), groupSize(groupSize)
    {
        sizes.push_back(entries);
        const bool grouped = groupSize >= 2;
        while (grouped && sizes.back() > MvOutlineWriter::kMaxFlatEntries)
            sizes.push_back(int((qint64(sizes.back()) + groupSize - 1) / groupSize));
        int next = root + 1;
        for (const int size : sizes) {
            firsts.push_back(next);
            next += size;
        }
        end = next;
    }

    int levels() const { return int(sizes.size()); }
    int size(int level) const { return sizes[size_t(level)]; }
    int number(int level, int item) const { return firsts[size_t(level)] + item; }
    int objectsEnd() const { return end; }
    int top() const { return levels() - 1; }

    // The keys that place item `item` of `level` among its siblings, under its parent.
    QByteArray links(int level, int item) const
    {
        const bool topLevel = level == top();
        const int parent = topLevel ? root : number(level + 1, parentOf(item));
        const int firstSibling = topLevel ? 0 : parentOf(item) * groupSize;
        const int lastSibling = topLevel ? size(level) - 1 : lastOfRun(size(level), firstSibling);
        QByteArray keys = " /Parent " + reference(parent);
        if (item > firstSibling)
            keys += " /Prev " + reference(number(level, item - 1));
        if (item < lastSibling)
            keys += " /Next " + reference(number(level, item + 1));
        return keys;
    }

    // The item of the level above that holds an item.
    int parentOf(int item) const { return item / groupSize; }

    // The first and last child of item `item` of `level` (above the entries).
    std::pair<int, int> children(int level, int item) const
    {
        const int first = item * groupSize;
        return {first, lastOfRun(size(level - 1), first)};
    }

private:
    // The last item of the run of groupSize items from first, in a level of size items.
    int lastOfRun(int size, int first) const
    {
        return int(std::min<qint64>(size, qint64(first) + groupSize)) - 1;
    }

    int root;
    int groupSize;
    std::vector<int> sizes;
    std::vector<int> firsts;
    int end = 0;
};

Place placeOf(const MvOutlineEntry &entry, const std::vector<QPDFPageObjectHelper> &pages)
{
    const int page = std::clamp(entry.page, 1, int(pages.size()));
    QPDFPageObjectHelper helper = pages.at(size_t(page - 1));
    QPDFObjectHandle box = helper.getMediaBox();
    const double pageTop = box.isRectangle() ? box.getArrayAsRectangle().ury : 0.0;
    const double top = std::max(0.0, pageTop - double(entry.top));
    return {page, "[" + reference(helper.getObjectHandle().getObjGen()) + " /XYZ null "
                          + QByteArray::number(top, 'f', kHeightDecimals) + " null]"};
}

// "Strony 1-37": the pages a group's entries open.
QString groupTitle(const Group &group)
{
    return MvReportTexts::pagesGroup(group.firstPage, group.lastPage);
}

// Writes the entries, which are the first level of tree, and gathers the groups above them.
std::vector<Group> writeLeaves(Update &update, const MvOutlineWriter::Entries &entries, MvOutlineEntry entry,
                               const std::vector<QPDFPageObjectHelper> &pages, const OutlineTree &tree)
{
    std::vector<Group> groups(tree.levels() > 1 ? size_t(tree.size(1)) : 0);
    for (int item = 0; item < tree.size(0); ++item) {
        if (item > 0 && !entries(&entry))
            throw std::runtime_error("the outline has fewer entries than announced");
        const Place place = placeOf(entry, pages);
        update.object(tree.number(0, item), 0, "<< /Title " + textString(MvPdfText::forMetadata(entry.title))
                      + tree.links(0, item) + " /Dest " + place.destination + " >>");
        if (!groups.empty()) {
            Group &group = groups[size_t(tree.parentOf(item))];
            if (group.destination.isEmpty()) {
                group.firstPage = place.page;
                group.destination = place.destination;
            }
            group.lastPage = place.page;
        }
    }
    return groups;
}

// Writes the groups of each level above the entries, closed, each titled by its pages.
void writeGroups(Update &update, std::vector<Group> groups, const OutlineTree &tree)
{
    for (int level = 1; level < tree.levels(); ++level) {
        std::vector<Group> above(level < tree.top() ? size_t(tree.size(level + 1)) : 0);
        for (int item = 0; item < tree.size(level); ++item) {
            const Group &group = groups[size_t(item)];
            const std::pair<int, int> children = tree.children(level, item);
            update.object(tree.number(level, item), 0,
                          "<< /Title " + textString(groupTitle(group)) + tree.links(level, item)
                          + " /First " + reference(tree.number(level - 1, children.first))
                          + " /Last " + reference(tree.number(level - 1, children.second))
                          + " /Count -" + QByteArray::number(children.second - children.first + 1)
                          + " /Dest " + group.destination + " >>");
            if (above.empty())
                continue;
            Group &parent = above[size_t(tree.parentOf(item))];
            if (parent.destination.isEmpty()) {
                parent.firstPage = group.firstPage;
                parent.destination = group.destination;
            }
            parent.lastPage = group.lastPage;
        }
        groups = std::move(above);
    }
}

// Writes the outline under object `root`, its first entry `first`; returns the objects'
// end (the next free number).
int writeOutline(Update &update, const MvOutlineWriter::Additions &additions, const MvOutlineEntry &first,
                 const std::vector<QPDFPageObjectHelper> &pages, int root)
{
    const OutlineTree tree(std::max(1, additions.entryCount), additions.groupSize, root);
    writeGroups(update, writeLeaves(update, additions.entries, first, pages, tree), tree);
    const int top = tree.top();
    update.object(root, 0, "<< /Type /Outlines /First " + reference(tree.number(top, 0)) + " /Last "
                  + reference(tree.number(top, tree.size(top) - 1)) + " /Count "
                  + QByteArray::number(tree.size(top)) + " >>");
    return tree.objectsEnd();
}

// The pages' dictionaries written again in the update: the keys each gets anew.
using PageChanges = std::map<size_t, std::vector<std::pair<std::string, QByteArray>>>;

// Splits the page tree under `pagesRoot` into nodes of kKidsPerNode pages each, under the
// root: the root is written again with the nodes as its kids, and every page gets its node as
// its new parent. (One level of nodes holds up to 33 million pages.)
void balancePages(Update &update, QPDFObjectHandle pagesRoot,
                  const std::vector<QPDFPageObjectHelper> &pages, int *next, PageChanges &changes)
{
    const QByteArray rootReference = reference(pagesRoot.getObjGen());
    QByteArray nodes;
    for (size_t first = 0; first < pages.size(); first += kKidsPerNode) {
        const size_t end = std::min(pages.size(), first + kKidsPerNode);
        const int number = (*next)++;
        QByteArray kids;
        for (size_t i = first; i < end; ++i) {
            kids += reference(pages[i].getObjectHandle().getObjGen()) + ' ';
            changes[i].push_back({"/Parent", reference(number)});
        }
        update.object(number, 0, "<< /Type /Pages /Parent " + rootReference + " /Kids [" + kids.trimmed()
                      + "] /Count " + QByteArray::number(int(end - first)) + " >>");
        nodes += reference(number) + ' ';
    }
    update.object(pagesRoot.getObjectID(), pagesRoot.getGeneration(),
                  dictionary(pagesRoot, {{"/Kids", '[' + nodes.trimmed() + ']'},
                                         {"/Count", QByteArray::number(int(pages.size()))}}));
}

QByteArray streamObject(const QByteArray &dictionaryText, const QByteArray &data)
{
    return dictionaryText + "\nstream\n" + data + "\nendstream";
}

// The indirect objects that `object` leads to which the update must write: those numbered
// from `first` on, which copying from another document made.
void collectNew(QPDFObjectHandle object, int first, std::set<int> &found)
{
    if (object.isIndirect()) {
        if (object.getObjectID() < first || !found.insert(object.getObjectID()).second)
            return;
    }
    if (object.isStream()) {
        collectNew(object.getDict(), first, found);
    } else if (object.isArray()) {
        for (int i = 0; i < object.getArrayNItems(); ++i)
            collectNew(object.getArrayItem(i), first, found);
    } else if (object.isDictionary()) {
        for (const std::string &key : object.getKeys())
            collectNew(object.getKey(key), first, found);
    }
}

// An object copied from another document, as it stands in this one.
QByteArray copiedObject(QPDFObjectHandle object)
{
    if (!object.isStream())
        return QByteArray::fromStdString(object.unparseResolved());
    const std::shared_ptr<Buffer> data = object.getRawStreamData();
    const QByteArray bytes(reinterpret_cast<const char *>(data->getBuffer()), int(data->getSize()));
    return streamObject(dictionary(object.getDict(), {{"/Length", QByteArray::number(bytes.size())}}), bytes);
}

// The content of a page as one list of streams: an array's items, or the single stream.
QByteArray contentsOf(QPDFObjectHandle page)
{
    QPDFObjectHandle contents = page.getKey("/Contents");
    if (!contents.isArray())
        return QByteArray::fromStdString(contents.unparse());
    QByteArray list;
    for (int i = 0; i < contents.getArrayNItems(); ++i)
        list += QByteArray::fromStdString(contents.getArrayItem(i).unparse()) + ' ';
    return list.trimmed();
}

// Lays page i of `overlay` over page i of the document: each overlay page becomes a form
// drawn after the page's own content, which is wrapped in a saved graphics state so that the
// form is drawn in the page's own coordinates.
void overlayPages(Update &update, QPDF &pdf, const QByteArray &overlay,
                  const std::vector<QPDFPageObjectHelper> &pages, int *next, PageChanges &changes)
{
    QPDF labels;
    labels.setSuppressWarnings(true);
    labels.processMemoryFile("labels", overlay.constData(), size_t(overlay.size()));
    std::vector<QPDFPageObjectHelper> labelPages = QPDFPageDocumentHelper(labels).getAllPages();
    if (labelPages.size() != pages.size())
        throw std::runtime_error("the page labels do not match the pages");

    // Resources first: the PDF library numbers what it copies after the document's objects.
    const int firstCopied = *next;
    std::vector<QPDFObjectHandle> resources;
    resources.reserve(labelPages.size());
    for (QPDFPageObjectHelper labelPage : labelPages) {
        QPDFObjectHandle own = labelPage.getObjectHandle().getKey("/Resources");
        resources.push_back(own.isIndirect() ? pdf.copyForeignObject(own) : own);
    }
    std::set<int> copied;
    for (const QPDFObjectHandle &object : resources)
        collectNew(object, firstCopied, copied);
    for (const int number : copied) {
        update.object(number, 0, copiedObject(pdf.getObjectByID(number, 0)));
        *next = std::max(*next, number + 1);
    }

    const int saveState = (*next)++;
    update.object(saveState, 0, streamObject("<< /Length 2 >>", "q\n"));
    const QByteArray drawLabel("\nQ\nq /MvPageLabel Do Q\n");
    const int restoreAndDraw = (*next)++;
    update.object(restoreAndDraw, 0, streamObject("<< /Length " + QByteArray::number(drawLabel.size())
                                                  + " >>", drawLabel));
    for (size_t i = 0; i < pages.size(); ++i) {
        QPDFObjectHandle labelPage = labelPages[i].getObjectHandle();
        QPDFObjectHandle content = labelPage.getKey("/Contents");
        if (content.isArray())
            content = content.getArrayItem(0);
        const std::shared_ptr<Buffer> data = content.getRawStreamData();
        const QByteArray bytes(reinterpret_cast<const char *>(data->getBuffer()), int(data->getSize()));
        QByteArray form = "<< /Type /XObject /Subtype /Form /BBox "
                + QByteArray::fromStdString(labelPage.getKey("/MediaBox").unparseResolved())
                + " /Resources " + QByteArray::fromStdString(resources[i].unparse());
        if (content.getDict().hasKey("/Filter"))
            form += " /Filter " + QByteArray::fromStdString(content.getDict().getKey("/Filter").unparseResolved());
        const int formNumber = (*next)++;
        update.object(formNumber, 0, streamObject(form + " /Length " + QByteArray::number(bytes.size())
                                                  + " >>", bytes));

        QPDFObjectHandle page = pages[i].getObjectHandle();
        QPDFObjectHandle pageResources = page.getKey("/Resources");
        QPDFObjectHandle xobjects = pageResources.isDictionary() && pageResources.hasKey("/XObject")
                ? pageResources.getKey("/XObject") : QPDFObjectHandle::newDictionary();
        const QByteArray forms = dictionary(xobjects, {{"/MvPageLabel", reference(formNumber)}});
        const QByteArray ownResources = pageResources.isDictionary()
                ? dictionary(pageResources, {{"/XObject", forms}}) : "<< /XObject " + forms + " >>";
        changes[i].push_back({"/Resources", ownResources});
        changes[i].push_back({"/Contents", '[' + reference(saveState) + ' ' + contentsOf(page) + ' '
                                           + reference(restoreAndDraw) + ']'});
    }
}

// The document copied into target (stamped, if asked for), then what additions ask for in an
// update appended to it. Throws Stopped, WriteFailed and the PDF library's errors.
MvOutlineWriter::Result writeAdditions(QIODevice &source, QIODevice &target, const MvOutlineWriter::Additions &additions,
                                       const std::atomic_bool &stop)
{
    using MvOutlineWriter::Result;
    const qint64 length = additions.stamp ? copyStamped(*additions.stamp, source, target, stop)
                                          : copy(source, target, stop);
    MvOutlineEntry first;
    const bool outlined = additions.entries && additions.entries(&first);
    const bool overlaid = !additions.overlay.isEmpty();
    // Nothing to add: the structure need not be read.
    if (!outlined && !overlaid && !additions.balancePages)
        return Result::Written;
    QByteArray bytes;
    QPDF pdf;
    open(pdf, source, &bytes);
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    const bool split = additions.balancePages && int(pages.size()) > kMaxArray;
    if ((!outlined && !split && !overlaid) || pages.empty())
        return Result::Written;

    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle root = pdf.getRoot();
    int next = int(trailer.getKey("/Size").getIntValue());
    Update update(target, length, stop);
    PageChanges changes;
    if (overlaid)
        overlayPages(update, pdf, additions.overlay, pages, &next, changes);
    std::vector<std::pair<std::string, QByteArray>> catalog;
    if (outlined) {
        const int outlineRoot = next;
        next = writeOutline(update, additions, first, pages, outlineRoot);
        // Viewers open with the outline shown.
        catalog = {{"/Outlines", reference(outlineRoot)}, {"/PageMode", "/UseOutlines"}};
    }
    if (split)
        balancePages(update, root.getKey("/Pages"), pages, &next, changes);
    for (const auto &change : changes) {
        QPDFObjectHandle page = pages[change.first].getObjectHandle();
        update.object(page.getObjectID(), page.getGeneration(), dictionary(page, change.second));
    }
    if (outlined)
        update.object(root.getObjectID(), root.getGeneration(), dictionary(root, catalog));
    const qint64 previous = additions.stamp ? additions.stamp->crossReference()
                                            : startOfCrossReference(source, length);
    update.finish([&]() {
        std::vector<std::pair<std::string, QByteArray>> keys{
                {"/Size", QByteArray::number(next)}, {"/Prev", QByteArray::number(previous)},
                {"/XRefStm", QByteArray()}};
        // A stamped document keeps its identifier; the update gets a second one of its own.
        if (additions.stamp && !additions.stamp->identifier().isEmpty()) {
            keys.push_back({"/ID", "[<" + additions.stamp->identifier() + "> <"
                            + update.digest().left(kIdentifierBytes).toHex() + ">]"});
        }
        return dictionary(trailer, keys);
    });
    return Result::Written;
}

} // namespace

namespace MvOutlineWriter {

Result write(QIODevice &source, QIODevice &target, const Additions &additions,
             const std::atomic_bool &stop, QString &reason, int *systemError)
{
    try {
        return writeAdditions(source, target, additions, stop);
    } catch (const Stopped &) {
        reason = QStringLiteral("stopped");
        return Result::Stopped;
    } catch (const WriteFailed &failure) {
        reason = QStringLiteral("cannot write the report file");
        if (systemError)
            *systemError = failure.systemError;
    } catch (const std::bad_alloc &) {
        reason = QStringLiteral("out of memory");
        return Result::OutOfMemory;
    } catch (const std::exception &error) {
        reason = QString::fromLocal8Bit(error.what());
    }
    return Result::Failed;
}

} // namespace MvOutlineWriter
