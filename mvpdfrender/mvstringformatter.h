#ifndef MVSTRINGFORMATTER_H
#define MVSTRINGFORMATTER_H

#include "mvpdfrender_global.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

/**
 * \brief Builds the text of a receipt-style printout as a list of fixed-width lines.
 *
 * Lines are 40 characters wide by default. The formatter keeps two running line counters:
 * all counted lines, and counted lines that are not separators. Widths and positions are
 * UTF-16 code units; a printer control sequence (ESC and one character) counts as two.
 *
 * A formatter is used from one thread at a time; the static members share no state and may be
 * called from any thread. No function shortens a text to make it fit unless it says so.
 *
 * Where a caller breaks a documented limit, the functions do the nearest sensible thing, as
 * their comments say: they never loop forever, read out of range or drop characters. Cutting,
 * wrapping and spreading never part the two halves of a surrogate pair (a character beyond
 * the Basic Multilingual Plane): a cut that would fall between them moves before the pair, or
 * after it when the piece would otherwise be empty, so such a piece is one unit wider.
 *
 * \code
 * MvStringFormatter receipt;
 * receipt.AppFormatC(QStringLiteral("PARAGON FISKALNY"));
 * receipt.AppendSeparator();
 * receipt.AppFormatWRightWrap(QStringLiteral("Chleb"), QStringLiteral("4,99"));
 * const QStringList lines = receipt.lines();
 * \endcode
 */
class MVPDFRENDER_EXPORT MvStringFormatter
{
public:
    /** No lines, both counters 0, width 40. */
    MvStringFormatter();
    /** Copies the lines, both counters and the width. */
    MvStringFormatter(const MvStringFormatter &other);
    /** Copies the lines, both counters and the width. */
    MvStringFormatter &operator=(const MvStringFormatter &other);
    ~MvStringFormatter();

    /** \name Line buffer and counters */
    ///@{

    /**
     * Appends text split at every "\n" (empty parts kept: the empty text gives one empty
     * line); with count, each part adds 1 to both counters.
     */
    void Append(const QString &text, bool count = true);
    /**
     * Appends other's lines, dropping this list's trailing separator line when other starts
     * with one; with count, all of other's lines add to both counters. Takes over other's width.
     */
    void Append(const MvStringFormatter &other, bool count = true);
    /**
     * Puts other's lines first, dropping this list's leading separator line when other ends
     * with one; with count, all of other's lines add to both counters. Takes over other's width.
     */
    void Prepend(const MvStringFormatter &other, bool count = true);
    /** Appends n counted lines of one space each; nothing when n < 1. */
    void AppendEmpty(int n = 1);
    /**
     * Appends the separator line ("- " repeated width / 2 times) unless, without force, the
     * list already ends with it. It adds to the all-lines counter only.
     */
    void AppendSeparator(bool force = false);
    /** Empties the list and zeroes both counters; the width stays. */
    void Clear();
    /** Appends the lines to out, which is not emptied first. */
    void CopyOut(QStringList &out) const;
    /** The line list. */
    const QStringList &lines() const;
    /** The number of entries of list that are not separators (see isSeparator()). */
    long GetLinesCount(QStringList &list);
    /** The number of this formatter's lines that are not separators. */
    long GetLinesCount();
    /** Adds n to both counters. */
    void IncrementCount(long n);
    /** Adds other's counters to this formatter's, each to its own. */
    void IncrementCount(const MvStringFormatter &other);
    /** Zeroes both counters; the lines stay. */
    void RestartCounting();
    /** The all-lines counter. */
    int allCount() const;
    /** Overwrites the all-lines counter. */
    void setAllCount(int count);
    /** The non-separator counter. */
    int nonCount() const;
    /** Overwrites the non-separator counter. */
    void setNonCount(int count);
    /** The line width, in characters (default 40). */
    int width() const;
    /** Sets the line width; any value is accepted, nothing else changes. */
    void setWidth(int width);
    /** True when the width is not 40. */
    bool isWide() const;
    /** True when the line begins with at least four "- " pairs, whatever follows. */
    bool isSeparator(const QString &line);
    ///@}

    /** \name Static formatting and wrapping (never shorten a text) */
    ///@{

    /** text padded with spaces on the right to width characters. */
    static QString FormatL(const QString &text, int width);
    /** text padded with spaces on the left to width characters. */
    static QString FormatR(const QString &text, int width);
    /** text preceded by (width - length) / 2 spaces, no padding on the right. */
    static QString FormatC(const QString &text, int width);
    /** left, then right ending in the last column; texts that do not fit touch. */
    static QString FormatW(const QString &left, const QString &right, int width);
    /** pattern repeated width / length(pattern) times. An empty pattern gives the empty text. */
    static QString GetSeparator(int width, const QString &pattern);
    /** Appends "- " repeated width / 2 times to list. */
    static void PrintSeparator(QStringList &list, int width);
    /**
     * Inserts a space after every character from index from on (double-width spreading).
     * With from = -1 a space also goes before the first character; a from below -1 is taken
     * as -1.
     */
    static QString MakeItTwice(QString text, int from);
    /** text with every space replaced by "&nbsp;". */
    static QString nBSP(QString text);
    /** True when the line holds the printer sequence ESC "!". */
    static bool isLongLine(const QString &line);
    /**
     * Word wrap into lines of at most width characters (longer words are cut). A width below
     * 1, or beyond the 32-bit range, is taken as 1.
     */
    static QStringList wrap(QString text, size_t width);
    /** Hard cut every width characters. A width below 1, or beyond the 32-bit range, is 1. */
    static QStringList wrapSimple(QString text, size_t width);
    /**
     * At most one break, at the last ASCII whitespace not beyond width; the tail right-aligned
     * to width. A negative width is taken as 0.
     */
    static QStringList wrapRightAligned(const QString &text, int width);
    /**
     * left over several lines, right at the end of the first. When right leaves no room for
     * left (length(right) >= width - 1), left is cut one character a line and, if left is
     * empty, right ends the last line after one space.
     */
    static QStringList wrappedMultiline(const QString &left, const QString &right, int width);
    ///@}

    /**
     * \name Formatted appends
     * Each lays one or two texts out at the formatter's width W and appends the lines, each
     * counted. Texts fit on one line only when they leave at least one column free. Widths
     * below 1 count as 1 wherever texts are cut into pieces, and an indent that leaves no room
     * for text (indent >= W) leaves one character a piece.
     */
    ///@{

    /** text centred as by FormatC(); a longer text unchanged. */
    void AppFormatC(const QString &text);
    /** FormatW() of left and right: one line, the texts touching when too long. */
    void AppFormatW(const QString &left, const QString &right);
    /** indent spaces and left, then right ending in the last column: one line. */
    void AppFormatWIndent(const QString &left, const QString &right, int indent);
    /**
     * left, a space (none with noGap) and right on one line when they fit; else left alone,
     * then right in slices of W, each padded to W.
     */
    void AppFormatWFirstWrap(const QString &left, const QString &right, bool noGap);
    /**
     * As AppFormatWIndent() when the texts fit; else the first line ends with as much of right
     * as fits, and the rest follows in slices of W - indent, indented and padded to W.
     */
    void AppFormatWIndentMultiline(const QString &left, const QString &right, int indent);
    /** text in slices of W, every slice after the first preceded by indent spaces. */
    void AppFormatIndentSecondMultiline(const QString &text, int indent);
    /**
     * left (cut into pieces of W less its leading spaces, each piece keeping them), right
     * ending in the last column of the last piece when it fits there, else on a line of its
     * own (word-wrapped when too long). A label made only of spaces is laid out as ordinary
     * text (no indent).
     */
    void AppFormatWRightWrap(const QString &left, const QString &right);
    /**
     * first and second, joined by a space and indented, with right ending in the last column
     * when they fit; else the joined text (or first and second on lines of their own), then
     * right right-aligned (word-wrapped when longer than W).
     */
    void AppFormatWRightWrapCommand(const QString &first, const QString &second,
                                    const QString &right, int indent);
    /** text word-wrapped to W, each line centred. */
    void AppFormatWrappedCentered(const QString &text);
    /**
     * left with right ending in the last column when they fit; else left padded to W, then
     * right word-wrapped to W, each line right-aligned.
     */
    void AppFormatWrappedRightAlign(const QString &left, const QString &right);
    /**
     * text in pieces of lineWidth - indent (word-wrapped, or cut hard without wordWrap), each
     * after indent spaces and padded to W. The empty text appends nothing.
     */
    void AppendWrapped(const QString &text, int lineWidth, int indent, bool wordWrap);
    ///@}

    /** \name Line classification */
    ///@{

    /** True when re matches anywhere in line. */
    static bool LineMatches(const QRegularExpression &re, const QString &line);
    /**
     * True when pattern, compiled case-insensitively, matches anywhere in line. An invalid
     * pattern is logged and matches nothing.
     */
    static bool LineMatches(const QString &pattern, const QString &line);
    /**
     * True when one of the last n lines is "ANULOWANY" (spaces removed, any case). n = 0, a
     * negative n or one beyond the list searches the whole list.
     */
    bool haveCancelledLine(int n);
    /**
     * Printer lines to display lines: control sequences dropped, the text after a
     * double-width sequence (ESC "E" or ESC "W") spread; an empty result becomes " ".
     */
    static QStringList quickViewFormat(const QStringList &lines);
    /** The lines as UTF-8 byte strings, in order. */
    static std::vector<std::string> asStdVector(const QVector<QString> &lines);
    ///@}

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#endif // MVSTRINGFORMATTER_H
