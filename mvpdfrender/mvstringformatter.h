#ifndef MVSTRINGFORMATTER_H
#define MVSTRINGFORMATTER_H

#include "mvpdfrender_global.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstddef>
#include <string>
#include <vector>

// Builds the text of a receipt-style printout as a list of fixed-width lines (40 characters
// by default) and keeps two running line counters: all counted lines, and counted lines that
// are not separators. Widths and positions are UTF-16 code units; a printer control sequence
// (ESC and one character) counts as two. Used from one thread at a time; the static members
// share no state and may be called from any thread.
//
// Where a caller breaks a documented limit, the functions do the nearest sensible thing, as
// their comments say: they never loop forever, read out of range or drop characters. Cutting,
// wrapping and spreading never part the two halves of a surrogate pair (a character beyond
// the Basic Multilingual Plane): a cut that would fall between them moves before the pair, or
// after it when the piece would otherwise be empty, so such a piece is one unit wider.
class MVPDFRENDER_EXPORT MvStringFormatter
{
public:
    MvStringFormatter();
    MvStringFormatter(const MvStringFormatter &other);
    MvStringFormatter &operator=(const MvStringFormatter &other);
    ~MvStringFormatter();

    // --- Line buffer and counters ---

    // Appends text split at every "\n" (empty parts kept); counted lines add to both counters.
    void Append(const QString &text, bool count = true);
    // Appends other's lines, dropping this list's trailing separator line when other starts
    // with one; takes over other's width.
    void Append(const MvStringFormatter &other, bool count = true);
    // Puts other's lines first, dropping this list's leading separator line when other ends
    // with one; takes over other's width.
    void Prepend(const MvStringFormatter &other, bool count = true);
    // n counted lines of one space each; nothing when n < 1.
    void AppendEmpty(int n = 1);
    // Appends the separator line unless (without force) the list already ends with it. It adds
    // to the all-lines counter only.
    void AppendSeparator(bool force = false);
    void Clear();
    void CopyOut(QStringList &out) const;
    const QStringList &lines() const;
    // The number of entries that the separator expression does not match.
    long GetLinesCount(QStringList &list);
    long GetLinesCount();
    void IncrementCount(long n);
    void IncrementCount(const MvStringFormatter &other);
    void RestartCounting();
    int allCount() const;
    void setAllCount(int count);
    int nonCount() const;
    void setNonCount(int count);
    int width() const;
    void setWidth(int width);
    // True when the width is not 40.
    bool isWide() const;
    // True when the line begins with at least four "- " pairs.
    bool isSeparator(const QString &line);

    // --- Static formatting and wrapping (never shorten a text) ---

    static QString FormatL(const QString &text, int width);
    static QString FormatR(const QString &text, int width);
    // Preceded by (width - length) / 2 spaces, no padding on the right.
    static QString FormatC(const QString &text, int width);
    // right ends in the last column; texts that do not fit touch.
    static QString FormatW(const QString &left, const QString &right, int width);
    // pattern repeated width / length(pattern) times. An empty pattern gives the empty text.
    static QString GetSeparator(int width, const QString &pattern);
    static void PrintSeparator(QStringList &list, int width);
    // Inserts a space after every character from index `from` on (double-width spreading).
    // With from = -1 a space also goes before the first character; a from below -1 is taken
    // as -1.
    static QString MakeItTwice(QString text, int from);
    static QString nBSP(QString text);
    // True when the line holds the printer sequence ESC "!".
    static bool isLongLine(const QString &line);
    // Word wrap into lines of at most width characters (longer words are cut). A width below
    // 1, or beyond the 32-bit range, is taken as 1.
    static QStringList wrap(QString text, size_t width);
    // Hard cut every width characters. A width below 1, or beyond the 32-bit range, is 1.
    static QStringList wrapSimple(QString text, size_t width);
    // At most one break, at the last ASCII whitespace not beyond width; the tail right-aligned
    // to width. A negative width is taken as 0.
    static QStringList wrapRightAligned(const QString &text, int width);
    // left over several lines, right at the end of the first. When right leaves no room for
    // left (length(right) >= width - 1), left is cut one character a line and, if left is
    // empty, right ends the last line after one space.
    static QStringList wrappedMultiline(const QString &left, const QString &right, int width);

    // --- Formatted appends at the formatter's width W (each line counted) ---
    // Widths below 1 count as 1 wherever texts are cut into pieces, and an indent that leaves
    // no room for text (indent >= W) leaves one character a piece.

    void AppFormatC(const QString &text);
    void AppFormatW(const QString &left, const QString &right);
    void AppFormatWIndent(const QString &left, const QString &right, int indent);
    void AppFormatWFirstWrap(const QString &left, const QString &right, bool noGap);
    void AppFormatWIndentMultiline(const QString &left, const QString &right, int indent);
    void AppFormatIndentSecondMultiline(const QString &text, int indent);
    // A label made only of spaces is laid out as ordinary text (no indent).
    void AppFormatWRightWrap(const QString &left, const QString &right);
    void AppFormatWRightWrapCommand(const QString &first, const QString &second,
                                    const QString &right, int indent);
    void AppFormatWrappedCentered(const QString &text);
    void AppFormatWrappedRightAlign(const QString &left, const QString &right);
    void AppendWrapped(const QString &text, int lineWidth, int indent, bool wordWrap);

    // --- Line classification ---

    static bool LineMatches(const QRegularExpression &re, const QString &line);
    // Case-insensitive; an invalid pattern is logged and matches nothing.
    static bool LineMatches(const QString &pattern, const QString &line);
    // True when one of the last n lines is "ANULOWANY" (spaces removed, any case). n = 0, a
    // negative n or one beyond the list searches the whole list.
    bool haveCancelledLine(int n);
    // Printer lines to display lines: control sequences dropped, the text after a
    // double-width sequence (ESC "E" or ESC "W") spread; an empty result becomes " ".
    static QStringList quickViewFormat(const QStringList &lines);
    static std::vector<std::string> asStdVector(const QVector<QString> &lines);

private:
    void stripTrailingSeparatorIf(const MvStringFormatter &other);
    void stripLeadingSeparatorIf(const MvStringFormatter &other);
    QString separatorLine() const;
    void appendIndented(const QString &label, int indent);
    void appendSlices(const QString &text, int sliceWidth, int indent);

    QStringList lineList;
    int allLines;
    int nonSeparatorLines;
    int lineWidth;
    QRegularExpression separatorExpression;
};

#endif // MVSTRINGFORMATTER_H
