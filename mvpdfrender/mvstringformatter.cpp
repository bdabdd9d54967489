#include "mvstringformatter.h"

#include "logcore.h"

#include <QRegularExpressionMatchIterator>

#include <climits>

namespace {

constexpr int kDefaultWidth = 40;
constexpr int kLogLevel = 10;
const QString kSeparatorPattern = QStringLiteral("^(?:- ){4,}.*");
const QString kSeparatorPair = QStringLiteral("- ");
const QString kCancelledMarker = QStringLiteral("ANULOWANY");
const QString kControlSequencePattern = QStringLiteral("\\033(.)");
const QChar kEscape(0x1B);
const QString kLongLineSequence = QString(kEscape) + QLatin1Char('!');
const QChar kSpace(QLatin1Char(' '));

QString spaces(int n)
{
    return n < 1 ? QString() : QString(n, kSpace);
}

int atLeastOne(int width)
{
    return width < 1 ? 1 : width;
}

// Widths of wrap() and wrapSimple() are used as 32-bit counts.
int wrapWidth(size_t width)
{
    return width < 1 || width > size_t(INT_MAX) ? 1 : int(width);
}

// The whitespace of the expression "\s": space, tab, line feed, vertical tab, form feed and
// carriage return, and nothing else.
bool isAsciiWhitespace(QChar c)
{
    switch (c.unicode()) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    default:
        return false;
    }
}

// Whether a cut at `at` would part the two halves of a surrogate pair.
bool splitsPair(const QString &text, int at)
{
    return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate()
            && text.at(at).isLowSurrogate();
}

// A cut at `at` moved off the middle of a surrogate pair: before the pair, unless that leaves
// nothing after `from`, then after it (the piece is then one unit wider than asked).
int cutAt(const QString &text, int from, int at)
{
    if (!splitsPair(text, at))
        return at;
    return at - 1 > from ? at - 1 : at + 1;
}

// The end of the piece of at most width code units that starts at from.
int pieceEnd(const QString &text, int from, int width)
{
    return cutAt(text, from, qMin(text.size(), from + width));
}

// The separator expression, compiled once: copies of a QRegularExpression share their
// compiled pattern, so a formatter made per receipt does not compile it again.
QRegularExpression sharedSeparatorExpression()
{
    static const QRegularExpression expression(kSeparatorPattern);
    return expression;
}

} // namespace

// The printout's lines, its two counters, its width and the expression that tells a
// separator line.
struct Q_DECL_HIDDEN MvStringFormatter::Private
{
    QStringList lineList;
    int allLines = 0;
    int nonSeparatorLines = 0;
    int lineWidth = kDefaultWidth;
    QRegularExpression separatorExpression = sharedSeparatorExpression();

    QString separatorLine() const;
    // Drops this list's last line (first line) when it and the first line (last line) of
    // other are both separators, so that joining them gives one.
    void stripTrailingSeparatorIf(const Private &other);
    void stripLeadingSeparatorIf(const Private &other);
};

MvStringFormatter::MvStringFormatter() : d(new Private)
{
    if (!d->separatorExpression.isValid()) {
        CLogWriter(CGlobalDebugFileHandler::instance(), kLogLevel, Q_FUNC_INFO, __FILE__, __LINE__)
                .logger() << "Invalid regexp: " << d->separatorExpression.errorString();
    }
}

MvStringFormatter::MvStringFormatter(const MvStringFormatter &other) : d(new Private(*other.d))
{
}

MvStringFormatter &MvStringFormatter::operator=(const MvStringFormatter &other)
{
    *d = *other.d;
    return *this;
}

MvStringFormatter::~MvStringFormatter() = default;

// ---------------------------------------------------------------- line buffer and counters

void MvStringFormatter::Append(const QString &text, bool count)
{
    const QStringList parts = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts,
                                         Qt::CaseSensitive);
    d->lineList.append(parts);
    if (count)
        IncrementCount(parts.size());
}

void MvStringFormatter::Append(const MvStringFormatter &other, bool count)
{
    d->stripTrailingSeparatorIf(*other.d);
    d->lineList.append(other.d->lineList);
    if (count)
        IncrementCount(other.d->lineList.size());
    d->lineWidth = other.d->lineWidth;
}

void MvStringFormatter::Prepend(const MvStringFormatter &other, bool count)
{
    d->stripLeadingSeparatorIf(*other.d);
    d->lineList = other.d->lineList + d->lineList;
    if (count)
        IncrementCount(other.d->lineList.size());
    d->lineWidth = other.d->lineWidth;
}

void MvStringFormatter::AppendEmpty(int n)
{
    for (int i = 0; i < n; ++i)
        Append(QString(kSpace), true);
}

void MvStringFormatter::AppendSeparator(bool force)
{
    const QString separator = d->separatorLine();
    if (!force && !d->lineList.isEmpty() && d->lineList.last() == separator)
        return;
    d->lineList.append(separator);
    ++d->allLines;
}

void MvStringFormatter::Clear()
{
    d->lineList.clear();
    RestartCounting();
}

void MvStringFormatter::CopyOut(QStringList &out) const
{
    out.append(d->lineList);
}

const QStringList &MvStringFormatter::lines() const
{
    return d->lineList;
}

long MvStringFormatter::GetLinesCount(QStringList &list)
{
    long count = 0;
    for (const QString &line : qAsConst(list)) {
        if (!isSeparator(line))
            ++count;
    }
    return count;
}

long MvStringFormatter::GetLinesCount()
{
    return GetLinesCount(d->lineList);
}

void MvStringFormatter::IncrementCount(long n)
{
    d->allLines += int(n);
    d->nonSeparatorLines += int(n);
}

void MvStringFormatter::IncrementCount(const MvStringFormatter &other)
{
    d->allLines += other.d->allLines;
    d->nonSeparatorLines += other.d->nonSeparatorLines;
}

void MvStringFormatter::RestartCounting()
{
    d->allLines = 0;
    d->nonSeparatorLines = 0;
}

int MvStringFormatter::allCount() const
{
    return d->allLines;
}

void MvStringFormatter::setAllCount(int count)
{
    d->allLines = count;
}

int MvStringFormatter::nonCount() const
{
    return d->nonSeparatorLines;
}

void MvStringFormatter::setNonCount(int count)
{
    d->nonSeparatorLines = count;
}

int MvStringFormatter::width() const
{
    return d->lineWidth;
}

void MvStringFormatter::setWidth(int width)
{
    d->lineWidth = width;
}

bool MvStringFormatter::isWide() const
{
    return d->lineWidth != kDefaultWidth;
}

bool MvStringFormatter::isSeparator(const QString &line)
{
    return d->separatorExpression.match(line).hasMatch();
}

QString MvStringFormatter::Private::separatorLine() const
{
    return GetSeparator(lineWidth, kSeparatorPair);
}

void MvStringFormatter::Private::stripTrailingSeparatorIf(const Private &other)
{
    const QString separator = separatorLine();
    if (!lineList.isEmpty() && !other.lineList.isEmpty() && lineList.last() == separator
        && other.lineList.first() == separator) {
        lineList.removeLast();
        --allLines;
    }
}

void MvStringFormatter::Private::stripLeadingSeparatorIf(const Private &other)
{
    const QString separator = separatorLine();
    if (!lineList.isEmpty() && !other.lineList.isEmpty() && lineList.first() == separator
        && other.lineList.last() == separator) {
        lineList.removeFirst();
        --allLines;
    }
}

// ---------------------------------------------------------------- static formatting

QString MvStringFormatter::FormatL(const QString &text, int width)
{
    return text.leftJustified(width, kSpace, false);
}

QString MvStringFormatter::FormatR(const QString &text, int width)
{
    return text.rightJustified(width, kSpace, false);
}

QString MvStringFormatter::FormatC(const QString &text, int width)
{
    const int padding = (width - text.size()) / 2;
    if (padding <= 0)
        return text;
    return spaces(padding) + text;
}

QString MvStringFormatter::FormatW(const QString &left, const QString &right, int width)
{
    return left + right.rightJustified(width - left.size(), kSpace, false);
}

QString MvStringFormatter::GetSeparator(int width, const QString &pattern)
{
    if (pattern.isEmpty())
        return QString();
    const int times = width / pattern.size();
    return times < 1 ? QString() : pattern.repeated(times);
}

void MvStringFormatter::PrintSeparator(QStringList &list, int width)
{
    list.append(GetSeparator(width, kSeparatorPair));
}

QString MvStringFormatter::MakeItTwice(QString text, int from)
{
    if (from >= text.size())
        return text;
    const int first = qMax(from, -1);
    QString result;
    result.reserve(text.size() * 2 + 1);
    if (first < 0)
        result.append(kSpace);
    const int start = qMax(first, 0);
    result.append(text.constData(), start);
    for (int i = start; i < text.size(); ++i) {
        result.append(text.at(i));
        // The two halves of a surrogate pair are one character: the space goes after both.
        if (splitsPair(text, i + 1))
            result.append(text.at(++i));
        result.append(kSpace);
    }
    return result;
}

QString MvStringFormatter::nBSP(QString text)
{
    return text.replace(QString(kSpace), QStringLiteral("&nbsp;"), Qt::CaseSensitive);
}

bool MvStringFormatter::isLongLine(const QString &line)
{
    return line.contains(kLongLineSequence, Qt::CaseSensitive);
}

QStringList MvStringFormatter::wrap(QString text, size_t width)
{
    QStringList result;
    const int limit = wrapWidth(width);
    const int length = text.size();
    int position = 0;
    while (position < length) {
        if (length - position <= limit) {
            result.append(text.mid(position));
            break;
        }
        // The last whitespace before index `limit` that follows some non-whitespace.
        int breakAt = -1;
        bool seenText = false;
        const QChar *chars = text.constData() + position;
        for (int i = 0; i < limit; ++i) {
            if (!chars[i].isSpace())
                seenText = true;
            else if (seenText)
                breakAt = i;
        }
        if (chars[limit].isSpace() || breakAt < 0)
            breakAt = cutAt(text, position, position + limit) - position;
        result.append(text.mid(position, breakAt));
        position += breakAt;
        // One whitespace at the break is dropped, never more.
        if (position < length && text.at(position).isSpace())
            ++position;
    }
    return result;
}

QStringList MvStringFormatter::wrapSimple(QString text, size_t width)
{
    QStringList result;
    const int limit = wrapWidth(width);
    for (int position = 0; position < text.size();) {
        const int end = pieceEnd(text, position, limit);
        result.append(text.mid(position, end - position));
        position = end;
    }
    return result;
}

QStringList MvStringFormatter::wrapRightAligned(const QString &text, int width)
{
    const int limit = qMax(width, 0);
    if (text.size() <= limit)
        return QStringList{text};
    for (int p = limit; p >= 0; --p) {
        if (isAsciiWhitespace(text.at(p)))
            return QStringList{text.left(p), text.mid(p + 1).rightJustified(limit, kSpace, false)};
    }
    const int cut = cutAt(text, 0, limit);
    return QStringList{text.left(cut), text.mid(cut)};
}

QStringList MvStringFormatter::wrappedMultiline(const QString &left, const QString &right,
                                                int width)
{
    if (left.size() + right.size() < width)
        return QStringList{left.leftJustified(width - right.size(), kSpace, false) + right};

    QStringList result;
    const int pieceWidth = atLeastOne(width - right.size() - 1);
    int position = 0;
    while (left.size() - position > pieceWidth) {
        const int end = pieceEnd(left, position, pieceWidth);
        const QString piece = left.mid(position, end - position);
        result.append(result.isEmpty() ? piece + kSpace + right : piece);
        position = end;
    }
    const QString rest = left.mid(position);
    if (!result.isEmpty())
        result.append(rest);
    else
        result.append(rest.isEmpty() ? right : rest + kSpace + right);
    return result;
}

// ---------------------------------------------------------------- formatted appends

namespace {

void appendIndented(MvStringFormatter &formatter, const QString &label, int indent)
{
    formatter.AppFormatWIndent(label, QString(), indent);
}

// Cuts text into slices of sliceWidth characters, each appended indented and padded to W.
void appendSlices(MvStringFormatter &formatter, const QString &text, int sliceWidth, int indent)
{
    const int step = atLeastOne(sliceWidth);
    for (int position = 0; position < text.size();) {
        const int end = pieceEnd(text, position, step);
        appendIndented(formatter, text.mid(position, end - position), indent);
        position = end;
    }
}

} // namespace

void MvStringFormatter::AppFormatC(const QString &text)
{
    Append(FormatC(text, d->lineWidth), true);
}

void MvStringFormatter::AppFormatW(const QString &left, const QString &right)
{
    Append(FormatW(left, right, d->lineWidth), true);
}

void MvStringFormatter::AppFormatWIndent(const QString &left, const QString &right, int indent)
{
    const QString head = spaces(indent) + left;
    Append(head + right.rightJustified(d->lineWidth - head.size(), kSpace, false), true);
}

void MvStringFormatter::AppFormatWFirstWrap(const QString &left, const QString &right,
                                            bool noGap)
{
    const QString gap = noGap ? QString() : QString(kSpace);
    if (right.size() < d->lineWidth - gap.size() - left.size()) {
        // Plain concatenation: place markers such as "%2" in the texts stay as written.
        Append(left + gap + right, true);
        return;
    }
    Append(left, true);
    appendSlices(*this, right, d->lineWidth, 0);
}

void MvStringFormatter::AppFormatWIndentMultiline(const QString &left, const QString &right,
                                                  int indent)
{
    if (right.size() + left.size() + indent < d->lineWidth) {
        AppFormatWIndent(left, right, indent);
        return;
    }
    int firstPart = qMax(d->lineWidth - left.size() - indent - 1, 0);
    // The first line may stay without value rather than take half a surrogate pair.
    if (splitsPair(right, firstPart))
        --firstPart;
    AppFormatWIndent(left, right.left(firstPart), indent);
    appendSlices(*this, right.mid(firstPart), d->lineWidth - indent, indent);
}

void MvStringFormatter::AppFormatIndentSecondMultiline(const QString &text, int indent)
{
    if (text.size() <= d->lineWidth) {
        Append(text, true);
        return;
    }
    const int step = atLeastOne(d->lineWidth);
    const int first = pieceEnd(text, 0, step);
    Append(text.left(first), true);
    for (int position = first; position < text.size();) {
        const int end = pieceEnd(text, position, step);
        Append(spaces(indent) + text.mid(position, end - position), true);
        position = end;
    }
}

void MvStringFormatter::AppFormatWRightWrap(const QString &left, const QString &right)
{
    const int lineW = d->lineWidth;
    if (left.size() + right.size() < lineW) {
        Append(left + right.rightJustified(lineW - left.size(), kSpace, false), true);
        return;
    }

    int indent = 0;
    while (indent < left.size() && left.at(indent) == kSpace)
        ++indent;
    if (indent == left.size())
        indent = 0;     // only spaces: no text to indent
    // The indent must leave at least one column for the label's text.
    indent = qMin(indent, qMax(lineW - 1, 0));
    const QString label = left.mid(indent);
    const QString indentText = spaces(indent);

    bool valuePlaced = false;
    const QStringList pieces = wrapSimple(label, size_t(atLeastOne(lineW - indent)));
    for (const QString &piece : pieces) {
        const QString line = indentText + piece;
        if (!valuePlaced && line.size() + right.size() < lineW - indent) {
            Append(line + right.rightJustified(lineW - line.size(), kSpace, false), true);
            valuePlaced = true;
        } else {
            Append(line, true);
        }
    }
    if (valuePlaced)
        return;
    if (right.size() + indent < lineW) {
        Append(right.rightJustified(lineW, kSpace, false), true);
        return;
    }
    for (const QString &line : wrap(right, size_t(atLeastOne(lineW - indent))))
        Append(indentText + line, true);
}

void MvStringFormatter::AppFormatWRightWrapCommand(const QString &first, const QString &second,
                                                   const QString &right, int indent)
{
    const QString indentText = spaces(indent);
    const QString head = first + kSpace + second;
    if (right.size() + head.size() < d->lineWidth - indent) {
        const QString line = indentText + head;
        Append(line + right.rightJustified(d->lineWidth - line.size(), kSpace, false), true);
        return;
    }
    if (head.size() < d->lineWidth - indent) {
        Append((indentText + head).leftJustified(d->lineWidth, kSpace, false), true);
    } else {
        Append(indentText + first, true);
        Append(indentText + second, true);
    }
    if (right.size() < d->lineWidth) {
        Append(right.rightJustified(d->lineWidth, kSpace, false), true);
        return;
    }
    const QStringList lines = wrap(right, size_t(atLeastOne(d->lineWidth)));
    for (int i = 0; i < lines.size(); ++i)
        Append(i == 0 ? lines.at(i).rightJustified(d->lineWidth, kSpace, false) : lines.at(i), true);
}

void MvStringFormatter::AppFormatWrappedCentered(const QString &text)
{
    if (text.size() <= d->lineWidth) {
        Append(FormatC(text, d->lineWidth), true);
        return;
    }
    for (const QString &line : wrap(text, size_t(atLeastOne(d->lineWidth))))
        Append(FormatC(line, d->lineWidth), true);
}

void MvStringFormatter::AppFormatWrappedRightAlign(const QString &left, const QString &right)
{
    if (left.size() + right.size() < d->lineWidth) {
        Append(left + right.rightJustified(d->lineWidth - left.size(), kSpace, false), true);
        return;
    }
    Append(left.leftJustified(d->lineWidth, kSpace, false), true);
    for (const QString &line : wrap(right, size_t(atLeastOne(d->lineWidth))))
        Append(line.rightJustified(d->lineWidth, kSpace, false), true);
}

void MvStringFormatter::AppendWrapped(const QString &text, int lineWidth, int indent,
                                      bool wordWrap)
{
    const int pieceWidth = atLeastOne(lineWidth - indent);
    if (!wordWrap) {
        appendSlices(*this, text, pieceWidth, indent);
        return;
    }
    for (const QString &piece : wrap(text, size_t(pieceWidth)))
        appendIndented(*this, piece, indent);
}

// ---------------------------------------------------------------- classification

bool MvStringFormatter::LineMatches(const QRegularExpression &re, const QString &line)
{
    return re.match(line).hasMatch();
}

bool MvStringFormatter::LineMatches(const QString &pattern, const QString &line)
{
    const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    if (!re.isValid()) {
        CLogWriter(CGlobalDebugFileHandler::instance(), kLogLevel, Q_FUNC_INFO, __FILE__, __LINE__)
                .logger() << "Invalid regexp: " << re.errorString();
        return false;
    }
    return re.match(line).hasMatch();
}

bool MvStringFormatter::haveCancelledLine(int n)
{
    const int count = d->lineList.size();
    if (n <= 0 || n > count)
        n = count;
    for (int i = count - n; i < count; ++i) {
        QString line = d->lineList.at(i).trimmed();
        line.remove(kSpace);
        if (line.toUpper() == kCancelledMarker)
            return true;
    }
    return false;
}

QStringList MvStringFormatter::quickViewFormat(const QStringList &lines)
{
    const QRegularExpression controlSequence(kControlSequencePattern);
    if (!controlSequence.isValid()) {
        CLogWriter(CGlobalDebugFileHandler::instance(), kLogLevel, Q_FUNC_INFO, __FILE__, __LINE__)
                .logger() << "Re invalid: " << controlSequence.errorString();
    }

    QStringList result;
    result.reserve(lines.size());
    for (const QString &line : lines) {
        QString display;
        if (!line.contains(kEscape)) {
            display = line;
        } else {
            int position = 0;
            bool doubleWidth = false;
            QRegularExpressionMatchIterator matches = controlSequence.globalMatch(line);
            while (matches.hasNext()) {
                const QRegularExpressionMatch match = matches.next();
                const QString code = match.captured(1);
                const int codeAt = match.capturedStart(1);
                if (code == QLatin1String("E") || code == QLatin1String("W"))
                    doubleWidth = true;
                // The text up to the ESC, which stands just before the code; the code may be a
                // surrogate pair.
                display.append(line.constData() + position, codeAt - 1 - position);
                position = match.capturedEnd(1);
            }
            const QString rest = line.mid(position);
            display += doubleWidth ? MakeItTwice(rest, 0) : rest;
        }
        result.append(display.isEmpty() ? QString(kSpace) : display);
    }
    return result;
}

std::vector<std::string> MvStringFormatter::asStdVector(const QVector<QString> &lines)
{
    std::vector<std::string> result;
    result.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        result.push_back(line.toStdString());
    return result;
}
