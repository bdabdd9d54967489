#include "mvspacedfont.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRawFont>
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
    quint16 power = 1;
    int log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
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

// The family of a copy of font's face with its advances widened to percent, registered with
// the font database; empty when the face cannot be copied.
QString registerSpacedCopy(const QFont &font, qreal percent)
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
    if (!outlines || !tables.count("cmap") || !tables.count("maxp") || tables["head"].size() < kHeadSize
        || !widenAdvances(tables["hhea"], tables["hmtx"], percent))
        return QString();
    const QString family = QStringLiteral("%1 MvSpaced%2").arg(raw.familyName()).arg(percent);
    tables[QByteArrayLiteral("name")] = nameTable(family, raw.styleName());
    const int id = QFontDatabase::addApplicationFontFromData(fontFile(std::move(tables)));
    return QFontDatabase::applicationFontFamilies(id).contains(family) ? family : QString();
}

} // namespace

namespace MvSpacedFont {

QTextCharFormat withSpacingInFont(const QTextCharFormat &format)
{
    const qreal percent = format.fontLetterSpacing();
    if (!format.hasProperty(QTextFormat::FontLetterSpacing)
        || format.fontLetterSpacingType() != QFont::PercentageSpacing || percent == kUnspacedPercent || percent <= 0.0)
        return format;
    const QFont font = format.font();
    // One copy per face and spacing for the process: fonts cannot be unregistered while
    // items may still be drawn with them.
    static QMutex mutex;
    static QHash<QString, QString> copies;
    const QRawFont raw = QRawFont::fromFont(font);
    const QString key = raw.familyName() + QLatin1Char('\n') + raw.styleName() + QLatin1Char('\n')
            + QString::number(percent);
    QString family;
    {
        const QMutexLocker lock(&mutex);
        auto known = copies.find(key);
        if (known == copies.end())
            known = copies.insert(key, registerSpacedCopy(font, percent));
        family = known.value();
    }
    if (family.isEmpty())
        return format;
    // The format keeps everything else: size, weight, underline, colour.
    QTextCharFormat unspaced = format;
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    unspaced.setFontFamily(family);
    QT_WARNING_POP
    unspaced.setFontFamilies({family});
    unspaced.clearProperty(QTextFormat::FontStyleName);
    unspaced.setFontLetterSpacing(kUnspacedPercent);
    return unspaced;
}

} // namespace MvSpacedFont
