#ifndef MVOUTLINEWRITER_H
#define MVOUTLINEWRITER_H

#include <QString>
#include <QVector>

#include <atomic>

class QIODevice;

// One entry of a PDF outline: its title and the place it opens, a page (from 1) at a height
// in points from the top of the page.
struct MvOutlineEntry
{
    QString title;
    int page = 1;
    double top = 0.0;
};

// Copies a finished PDF file into another with an outline (bookmarks) added, one entry per
// MvOutlineEntry in list order, all at the first level. The rest of the document is kept as
// it is: no object streams are made, so a PDF/A-1 file stays PDF/A-1, and the first part of
// the file identifier is kept.
namespace MvOutlineWriter {

// Reads source (a stage of the library's, or any readable device) from its start and writes
// to target where it stands. Stops early, with false, once stop turns true. On failure, reason
// says why.
bool write(QIODevice &source, QIODevice &target, const QVector<MvOutlineEntry> &entries,
           const std::atomic_bool &stop, QString &reason);

} // namespace MvOutlineWriter

#endif // MVOUTLINEWRITER_H
