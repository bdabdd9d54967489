#include "mvpdftext.h"

#include <QDateTime>
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

QByteArray xmpPacket(const QString &title, const QString &creator, const QString &producer,
                     const QDateTime &moment)
{
    const auto escaped = [](const QString &text) { return text.toHtmlEscaped().toUtf8(); };
    const QByteArray date = moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + 'Z';
    return "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           "  <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "    <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "      <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + escaped(forMetadata(title))
            + "</rdf:li></rdf:Alt></dc:title>\n"
           "    </rdf:Description>\n"
           "    <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
           "      <xmp:CreatorTool>" + escaped(creator) + "</xmp:CreatorTool>\n"
           "      <xmp:CreateDate>" + date + "</xmp:CreateDate>\n"
           "      <xmp:ModifyDate>" + date + "</xmp:ModifyDate>\n"
           "      <xmp:MetadataDate>" + date + "</xmp:MetadataDate>\n"
           "    </rdf:Description>\n"
           "    <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
           "      <pdf:Producer>" + escaped(producer) + "</pdf:Producer>\n"
           "    </rdf:Description>\n"
           "    <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
           "      <pdfaid:part>1</pdfaid:part>\n"
           "      <pdfaid:conformance>B</pdfaid:conformance>\n"
           "    </rdf:Description>\n"
           "  </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end='w'?>";
}

} // namespace MvPdfText
