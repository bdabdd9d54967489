#include "mvpdftext.h"

#include <QTextBoundaryFinder>

namespace {

// A PDF string holds at most 65 535 bytes; a text string in UTF-16 takes two per code unit
// after a two-byte mark.
constexpr int kMaxCodeUnits = (65535 - 2) / 2;
const QChar kEllipsis(0x2026);

bool allowedInXml(char32_t c)
{
    if (c < 0x20)
        return c == '\t' || c == '\n' || c == '\r';
    return c != 0xFFFE && c != 0xFFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

namespace MvPdfText {

QString forMetadata(const QString &text)
{
    QString valid;
    valid.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            valid += c;
            valid += text.at(++i);
        } else if (allowedInXml(c.unicode())) {
            valid += c;
        }
    }
    if (valid.size() <= kMaxCodeUnits)
        return valid;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, valid);
    graphemes.setPosition(kMaxCodeUnits - 1);
    if (!graphemes.isAtBoundary())
        graphemes.toPreviousBoundary();
    return valid.left(graphemes.position()) + kEllipsis;
}

} // namespace MvPdfText
