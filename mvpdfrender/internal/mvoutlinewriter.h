#ifndef MVOUTLINEWRITER_H
#define MVOUTLINEWRITER_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

class MvPdfStamp;
class QIODevice;

// One entry of a PDF outline: its title and the place it opens, a page (from 1) at a height
// in points from the top of the page. Kept compactly, since a report may have an entry for
// every one of a million lines: an entry of a report line names the line (its title is made
// from it when the outline is written) instead of holding a title of its own.
struct MvOutlineEntry
{
    QString title;
    int line = -1;   // the report line that gives the title, or -1 for title
    int page = 1;
    float top = 0.0f;
};

// Finishes a PDF written by Qt's PDF writer (one cross-reference table, no object streams):
// copies it as it is and appends an update that adds an outline (bookmarks), the entries in
// the order they come, grouped where a level would hold more than kMaxFlatEntries of them
// (see Additions::groupSize); where asked, lays the pages of another document over its own,
// page for page (the page labels of a report that shows its page count); and where asked,
// splits a page tree of more than 8 191 pages (the limit of an array in PDF 1.4, which PDF/A-1
// makes binding) into a balanced one; and where asked, copies the document stamped with a moment
// (MvPdfStamp). The document's own objects, its version and its file identifier stay as they
// were (a stamped document's identifier is the stamp's, and the update's second identifier is
// the digest of the update), so a PDF/A-1 file stays PDF/A-1. The entries are written as they
// come: memory holds a number per entry.
namespace MvOutlineWriter {

enum class Result { Written, Stopped, Failed, OutOfMemory };

// The most entries an outline level holds before they are grouped.
constexpr int kMaxFlatEntries = 500;

// Gives the next entry, with its title, in *entry; false after the last.
using Entries = std::function<bool(MvOutlineEntry *entry)>;

// What the update adds.
struct Additions
{
    Entries entries;          // the outline's entries; none when null
    int entryCount = 0;       // how many entries gives, all told
    // Where a level has more than kMaxFlatEntries items: parents of at most this many
    // consecutive items, titled by their pages and closed, take their place (again and again,
    // while the parents are too many). Below 2: one flat level, however long.
    int groupSize = 0;
    bool balancePages = false;
    QByteArray overlay;       // a PDF of as many pages, drawn over them; empty for none
    const MvPdfStamp *stamp = nullptr;   // planned on source; null: copied as it is
};

// Reads source (a stage of the library's, or any readable device) from its start and writes
// to target where it stands. Stops early once stop turns true. On failure, reason says why,
// and *systemError (when not null) the system's error number of a failed write into a file.
Result write(QIODevice &source, QIODevice &target, const Additions &additions,
             const std::atomic_bool &stop, QString &reason, int *systemError = nullptr);

} // namespace MvOutlineWriter

#endif // MVOUTLINEWRITER_H
