#include "mvpdffont.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRawFont>
#include <QSet>
#include <QVector>
#include <QTextCharFormat>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Letter spacing that spaces nothing.
constexpr qreal kUnspacedPercent = 100.0;
// The tables a copy keeps, those a font of TrueType or CFF outlines may have but for the
// ones it drops: the name (it gets a name of its own), the signature (no longer valid) and
// the device metrics (hdmx, LTSH, VDMX), which would give the letters their old advances.
const char *const kKeptTables[] = {"BASE", "CFF ", "COLR", "CPAL", "GDEF", "GPOS", "GSUB", "JSTF",
                                   "MATH", "OS/2", "VORG", "cmap", "cvt ", "fpgm", "gasp", "glyf",
                                   "head", "hhea", "hmtx", "kern", "loca", "maxp", "post", "prep",
                                   "vhea", "vmtx"};
// Offsets within the tables the copy changes.
constexpr int kHheaAdvanceWidthMax = 10;
constexpr int kHheaNumberOfHMetrics = 34;
constexpr int kHheaSize = 36;
constexpr int kHeadCheckSumAdjustment = 8;
constexpr int kHeadSize = 54;
constexpr int kHeadIndexToLocFormat = 50;
constexpr int kMaxpNumGlyphs = 4;
// The character Qt draws with the space's glyph when a font has none for it.
constexpr quint16 kTab = 0x0009;
// Character-to-glyph subtables: segments of 16-bit characters, and groups of 32-bit ones.
constexpr quint16 kSegmentFormat = 4;
constexpr quint16 kGroupFormat = 12;
constexpr quint32 kCheckSumMagic = 0xB1B0AFBA;
// The table directory: its header, and a record per table.
constexpr int kDirectoryHeader = 12;
constexpr int kTableRecord = 16;
// Name records in Unicode for Windows, US English: what every font system reads.
constexpr quint16 kWindowsPlatform = 3;
constexpr quint16 kUnicodeBmpEncoding = 1;
constexpr quint16 kUsEnglish = 0x409;
enum NameId : quint16 { FamilyName = 1, SubfamilyName = 2, UniqueName = 3, FullName = 4, PostScriptName = 6 };

void put16(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value >> 8)).append(char(value & 0xff));
}

void put32(QByteArray &bytes, quint32 value)
{
    put16(bytes, quint16(value >> 16));
    put16(bytes, quint16(value & 0xffff));
}

quint32 checkSum(const QByteArray &table)
{
    QByteArray padded = table;
    padded.append(QByteArray((4 - padded.size() % 4) % 4, '\0'));
    quint32 sum = 0;
    for (int i = 0; i < padded.size(); i += 4)
        sum += qFromBigEndian<quint32>(padded.constData() + i);
    return sum;
}

// The advances of hmtx widened to percent, and hhea's widest advance with them.
bool widenAdvances(QByteArray &hhea, QByteArray &hmtx, qreal percent)
{
    if (hhea.size() < kHheaSize)
        return false;
    const int metrics = qFromBigEndian<quint16>(hhea.constData() + kHheaNumberOfHMetrics);
    if (metrics == 0 || hmtx.size() < 4 * metrics)
        return false;
    quint16 widest = 0;
    for (int i = 0; i < metrics; ++i) {
        char *advance = hmtx.data() + 4 * i;
        const qreal widened = std::round(qFromBigEndian<quint16>(advance) * percent / kUnspacedPercent);
        const auto value = quint16(std::clamp(widened, 0.0, 65535.0));
        qToBigEndian<quint16>(value, advance);
        widest = std::max(widest, value);
    }
    qToBigEndian<quint16>(widest, hhea.data() + kHheaAdvanceWidthMax);
    return true;
}


quint16 get16(const QByteArray &bytes, int at)
{
    return qFromBigEndian<quint16>(bytes.constData() + at);
}

quint32 get32(const QByteArray &bytes, int at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

// A segment of a format 4 subtable: characters start to end, their glyphs given by delta or,
// where it has one, its own list.
struct Segment
{
    quint16 start;
    quint16 end;
    quint16 delta;
    QVector<quint16> glyphs;
};

// The subtable of format 4 at `at` in cmap, read; false when it is not of that form.
bool readSegments(const QByteArray &cmap, int at, QVector<Segment> *segments)
{
    if (at + 14 > cmap.size() || get16(cmap, at) != kSegmentFormat)
        return false;
    const int count = get16(cmap, at + 6) / 2;
    const int ends = at + 14;
    const int starts = ends + 2 * count + 2;
    const int deltas = starts + 2 * count;
    const int offsets = deltas + 2 * count;
    if (offsets + 2 * count > cmap.size())
        return false;
    for (int i = 0; i < count; ++i) {
        Segment segment{get16(cmap, starts + 2 * i), get16(cmap, ends + 2 * i), get16(cmap, deltas + 2 * i), {}};
        const int offset = get16(cmap, offsets + 2 * i);
        if (offset != 0) {
            const int first = offsets + 2 * i + offset;
            if (segment.end < segment.start || first + 2 * (segment.end - segment.start + 1) > cmap.size())
                return false;
            for (int c = segment.start; c <= segment.end; ++c)
                segment.glyphs.append(get16(cmap, first + 2 * (c - segment.start)));
        }
        segments->append(segment);
    }
    return true;
}

// The binary search a font's directory and segment tables describe: the largest power of two
// not above count, and its logarithm.
std::pair<quint16, quint16> searchRange(quint16 count)
{
    quint16 power = 1;
    quint16 log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    return {power, log};
}

QByteArray writeSegments(const QVector<Segment> &segments, quint16 language)
{
    const auto count = quint16(segments.size());
    const auto [power, log] = searchRange(count);
    QByteArray ends, starts, deltas, offsets, glyphs;
    for (int i = 0; i < count; ++i) {
        const Segment &segment = segments.at(i);
        put16(ends, segment.end);
        put16(starts, segment.start);
        put16(deltas, segment.delta);
        // From this offset's own place to the segment's glyphs, after the offsets.
        put16(offsets, segment.glyphs.isEmpty() ? 0 : quint16(2 * (count - i) + glyphs.size()));
        for (const quint16 glyph : segment.glyphs)
            put16(glyphs, glyph);
    }
    QByteArray table;
    put16(table, kSegmentFormat);
    put16(table, quint16(16 + 8 * count + glyphs.size()));
    put16(table, language);
    put16(table, quint16(2 * count));
    put16(table, quint16(2 * power));
    put16(table, log);
    put16(table, quint16(2 * count - 2 * power));
    return table + ends + QByteArray(2, '\0') + starts + deltas + offsets + glyphs;
}

// The subtable at `at` with the tab given glyph, when it gives the tab none; empty otherwise.
QByteArray withTab(const QByteArray &cmap, int at, quint16 glyph)
{
    const quint16 format = at + 2 <= cmap.size() ? get16(cmap, at) : 0;
    if (format == kSegmentFormat) {
        QVector<Segment> segments;
        if (!readSegments(cmap, at, &segments))
            return QByteArray();
        int place = 0;
        while (place < segments.size() && segments.at(place).end < kTab)
            ++place;
        if (place < segments.size() && segments.at(place).start <= kTab)
            return QByteArray();
        segments.insert(place, Segment{kTab, kTab, quint16(glyph - kTab), {}});
        return writeSegments(segments, get16(cmap, at + 4));
    }
    if (format == kGroupFormat && at + 16 <= cmap.size()) {
        const quint32 groups = get32(cmap, at + 12);
        if (at + 16 + qint64(groups) * 12 > cmap.size())
            return QByteArray();
        quint32 place = 0;
        while (place < groups && get32(cmap, at + 16 + 12 * place + 4) < kTab)
            ++place;
        if (place < groups && get32(cmap, at + 16 + 12 * place) <= kTab)
            return QByteArray();
        QByteArray table = cmap.mid(at, 16 + 12 * int(groups));
        QByteArray group;
        put32(group, kTab);
        put32(group, kTab);
        put32(group, glyph);
        table.insert(16 + 12 * int(place), group);
        qToBigEndian<quint32>(quint32(table.size()), table.data() + 4);
        qToBigEndian<quint32>(groups + 1, table.data() + 12);
        return table;
    }
    return QByteArray();
}

// Whether a subtable of cmap (format 4 or 12) gives some character glyph.
bool named(const QByteArray &cmap, quint16 glyph)
{
    const int records = get16(cmap, 2);
    for (int i = 0; i < records && 4 + 8 * i + 8 <= cmap.size(); ++i) {
        const int at = int(get32(cmap, 4 + 8 * i + 4));
        QVector<Segment> segments;
        if (readSegments(cmap, at, &segments)) {
            for (const Segment &segment : qAsConst(segments)) {
                const int c = quint16(glyph - segment.delta);
                if (segment.glyphs.contains(glyph)
                    || (segment.glyphs.isEmpty() && c >= segment.start && c <= segment.end && c != 0xFFFF))
                    return true;
            }
        } else if (at + 16 <= cmap.size() && get16(cmap, at) == kGroupFormat) {
            const quint32 groups = get32(cmap, at + 12);
            for (quint32 g = 0; g < groups && at + 16 + 12 * int(g) + 12 <= cmap.size(); ++g) {
                const int group = at + 16 + 12 * int(g);
                const quint32 first = get32(cmap, group + 8);
                if (glyph >= first && glyph - first <= get32(cmap, group + 4) - get32(cmap, group))
                    return true;
            }
        }
    }
    return false;
}

// An empty glyph (no outline) that no character names, other than the first (.notdef), among
// the first few, where fonts keep such glyphs; 0 when there is none or the outlines are not
// TrueType's.
quint16 unusedEmptyGlyph(const std::map<QByteArray, QByteArray> &tables)
{
    constexpr int kGlyphsLooked = 16;
    const auto loca = tables.find("loca");
    if (loca == tables.end() || !tables.count("glyf") || tables.at("maxp").size() < kMaxpNumGlyphs + 2)
        return 0;
    const int glyphs = get16(tables.at("maxp"), kMaxpNumGlyphs);
    const bool longOffsets = get16(tables.at("head"), kHeadIndexToLocFormat) != 0;
    if (loca->second.size() < (longOffsets ? 4 : 2) * (glyphs + 1))
        return 0;
    const auto offset = [&](int glyph) {
        return longOffsets ? get32(loca->second, 4 * glyph) : quint32(get16(loca->second, 2 * glyph));
    };
    for (int glyph = 1; glyph < std::min(glyphs, kGlyphsLooked); ++glyph) {
        if (offset(glyph) == offset(glyph + 1) && !named(tables.at("cmap"), quint16(glyph)))
            return quint16(glyph);
    }
    return 0;
}

// cmap with the tab given glyph in every subtable that has none for it; empty when no
// subtable changed.
QByteArray cmapWithTab(const QByteArray &cmap, quint16 glyph)
{
    if (cmap.size() < 4)
        return QByteArray();
    const int records = get16(cmap, 2);
    if (4 + 8 * records > cmap.size())
        return QByteArray();
    // Subtables by their offset: records may share one.
    std::map<quint32, QByteArray> subtables;
    bool changed = false;
    for (int i = 0; i < records; ++i) {
        const quint32 at = get32(cmap, 4 + 8 * i + 4);
        if (subtables.count(at) || at >= quint32(cmap.size()))
            continue;
        const QByteArray changedTable = withTab(cmap, int(at), glyph);
        changed = changed || !changedTable.isEmpty();
        if (!changedTable.isEmpty()) {
            subtables[at] = changedTable;
            continue;
        }
        const quint16 format = get16(cmap, int(at));
        const quint32 length = format >= 8 ? get32(cmap, int(at) + 4) : get16(cmap, int(at) + 2);
        subtables[at] = cmap.mid(int(at), int(length));
    }
    if (!changed)
        return QByteArray();
    QByteArray table = cmap.left(4 + 8 * records);
    std::map<quint32, quint32> moved;
    for (const auto &subtable : subtables) {
        moved[subtable.first] = quint32(table.size());
        table += subtable.second;
    }
    for (int i = 0; i < records; ++i)
        qToBigEndian<quint32>(moved.at(get32(cmap, 4 + 8 * i + 4)), table.data() + 4 + 8 * i + 4);
    return table;
}

// A name table that names the copy family, in style.
QByteArray nameTable(const QString &family, const QString &style)
{
    QString postScript = family + QLatin1Char('-') + style;
    postScript.remove(QLatin1Char(' '));
    const std::pair<NameId, QString> names[] = {{FamilyName, family}, {SubfamilyName, style},
                                                {UniqueName, postScript}, {FullName, family + QLatin1Char(' ') + style},
                                                {PostScriptName, postScript}};
    const int count = int(std::size(names));
    QByteArray records;
    QByteArray strings;
    for (const auto &name : names) {
        QByteArray text;
        for (const QChar c : name.second)
            put16(text, c.unicode());
        put16(records, kWindowsPlatform);
        put16(records, kUnicodeBmpEncoding);
        put16(records, kUsEnglish);
        put16(records, name.first);
        put16(records, quint16(text.size()));
        put16(records, quint16(strings.size()));
        strings += text;
    }
    QByteArray table;
    put16(table, 0);
    put16(table, quint16(count));
    put16(table, quint16(6 + records.size()));
    return table + records + strings;
}

// A font file of tables (by tag), with its table directory and its checksums.
QByteArray fontFile(std::map<QByteArray, QByteArray> tables)
{
    const auto count = quint16(tables.size());
    const auto [power, log] = searchRange(count);
    QByteArray file;
    put32(file, tables.count("CFF ") ? 0x4F54544F : 0x00010000);   // "OTTO" or TrueType
    put16(file, count);
    put16(file, quint16(power * kTableRecord));
    put16(file, quint16(log));
    put16(file, quint16(count * kTableRecord - power * kTableRecord));
    QByteArray &head = tables[QByteArrayLiteral("head")];
    qToBigEndian<quint32>(0, head.data() + kHeadCheckSumAdjustment);
    int offset = kDirectoryHeader + count * kTableRecord;
    QByteArray data;
    for (const auto &table : tables) {
        file += table.first;
        put32(file, checkSum(table.second));
        put32(file, quint32(offset + data.size()));
        put32(file, quint32(table.second.size()));
        data += table.second;
        data.append(QByteArray((4 - data.size() % 4) % 4, '\0'));
    }
    file += data;
    const int headAt = file.indexOf(QByteArrayLiteral("head"));
    const quint32 headOffset = qFromBigEndian<quint32>(file.constData() + headAt + 8);
    qToBigEndian<quint32>(kCheckSumMagic - checkSum(file), file.data() + headOffset + kHeadCheckSumAdjustment);
    return file;
}

// The family of a copy of font's face with its advances widened to percent and its tab given
// a glyph of its own, registered with the font database; empty when the face needs neither
// or cannot be copied.
QString registerCopy(const QFont &font, qreal percent)
{
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid())
        return QString();
    std::map<QByteArray, QByteArray> tables;
    for (const char *tag : kKeptTables) {
        const QByteArray table = raw.fontTable(tag);
        if (!table.isEmpty())
            tables[QByteArray(tag)] = table;
    }
    const bool outlines = tables.count("glyf") || tables.count("CFF ");
    if (!outlines || tables["cmap"].size() < 4 || tables["maxp"].size() < kMaxpNumGlyphs + 2
        || tables["head"].size() < kHeadSize)
        return QString();
    const bool spaced = percent != kUnspacedPercent;
    if (spaced && !widenAdvances(tables["hhea"], tables["hmtx"], percent))
        return QString();
    const quint16 tabGlyph = unusedEmptyGlyph(tables);
    const QByteArray cmap = tabGlyph != 0 ? cmapWithTab(tables["cmap"], tabGlyph) : QByteArray();
    if (!cmap.isEmpty())
        tables["cmap"] = cmap;
    else if (!spaced)
        return QString();
    const QString family = spaced ? QStringLiteral("%1 MvPdf%2").arg(raw.familyName()).arg(percent)
                                  : QStringLiteral("%1 MvPdf").arg(raw.familyName());
    tables[QByteArrayLiteral("name")] = nameTable(family, raw.styleName());
    const int id = QFontDatabase::addApplicationFontFromData(fontFile(std::move(tables)));
    return QFontDatabase::applicationFontFamilies(id).contains(family) ? family : QString();
}

// format naming the copy of its face it needs; format itself when it needs none.
// Whether format spaces its letters apart by a percentage (letters drawn closer leave no gap
// that a reader could take for a word break).
bool spacedByPercentage(const QTextCharFormat &format)
{
    return format.hasProperty(QTextFormat::FontLetterSpacing)
            && format.fontLetterSpacingType() == QFont::PercentageSpacing
            && format.fontLetterSpacing() > kUnspacedPercent;
}

// format naming the copy of its face it needs, with its spacing moved into the copy when
// spacingInFont is set; format itself when it needs no copy or none can be made.
QTextCharFormat copyFor(const QTextCharFormat &format, bool spacingInFont)
{
    // One copy per face and spacing for the process: a font cannot be unregistered while
    // items may still be drawn with it. A host that spaces every item differently gets its
    // spacing between the letters again once that many copies are made.
    constexpr int kMostSpacedCopies = 16;
    static QHash<QString, QString> copies;
    static int spacedCopies = 0;
    const bool spaced = spacingInFont && spacedByPercentage(format) && spacedCopies < kMostSpacedCopies;
    const qreal percent = spaced ? format.fontLetterSpacing() : kUnspacedPercent;
    const QRawFont raw = QRawFont::fromFont(format.font());
    const QString key = raw.familyName() + QLatin1Char('\n') + raw.styleName() + QLatin1Char('\n')
            + QString::number(percent);
    auto known = copies.find(key);
    if (known == copies.end()) {
        known = copies.insert(key, registerCopy(format.font(), percent));
        spacedCopies += spaced ? 1 : 0;
    }
    if (known.value().isEmpty())
        return spaced ? copyFor(format, false) : format;
    // The format keeps everything else: size, weight, underline, colour.
    QTextCharFormat copy = format;
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    copy.setFontFamily(known.value());
    QT_WARNING_POP
    copy.setFontFamilies({known.value()});
    copy.clearProperty(QTextFormat::FontStyleName);
    if (spaced)
        copy.setFontLetterSpacing(kUnspacedPercent);
    return copy;
}

// What a format becomes: with its spacing in the copy's advances, and, for a text with
// letters its face lacks (drawn from fallback fonts, which the copy cannot space), with its
// spacing kept between the letters.
struct Copies
{
    QTextCharFormat format;
    QTextCharFormat spacingInFont;
    QTextCharFormat spacingBetween;
    QRawFont face;
};

} // namespace

namespace MvPdfFont {

QTextCharFormat forPdf(const QTextCharFormat &format, const QString &text)
{
    // The formats seen so far, with what they became: a report uses a handful, and every
    // line's item asks again.
    constexpr int kFormatsKept = 64;
    static QMutex mutex;
    static QVector<Copies> seen;
    const QMutexLocker lock(&mutex);
    const auto known = std::find_if(seen.cbegin(), seen.cend(),
                                    [&format](const Copies &copies) { return copies.format == format; });
    Copies copies;
    if (known != seen.cend()) {
        copies = *known;
    } else {
        copies = {format, copyFor(format, true), QTextCharFormat(), QRawFont()};
        const bool spaced = copies.spacingInFont.fontLetterSpacing() != format.fontLetterSpacing();
        copies.spacingBetween = spaced ? copyFor(format, false) : copies.spacingInFont;
        if (spaced)
            copies.face = QRawFont::fromFont(format.font());
        if (seen.size() < kFormatsKept)
            seen.append(copies);
    }
    if (!copies.face.isValid())
        return copies.spacingInFont;
    const QVector<uint> characters = text.toUcs4();
    const bool faceHasAll = std::all_of(characters.cbegin(), characters.cend(), [&copies](uint c) {
        return QChar::isSpace(c) || copies.face.supportsCharacter(c);
    });
    return faceHasAll ? copies.spacingInFont : copies.spacingBetween;
}

} // namespace MvPdfFont
