#include "textinput.h"

#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif

namespace {

// How many faulty line numbers a message lists before it says "and more".
constexpr int kListedLines = 10;

// One line decoded from UTF-8; false when it is not valid UTF-8. Qt 6 decodes with
// QStringDecoder, Qt 5 with QTextCodec (which Qt 6 moved out of its core).
bool decodeUtf8(const char *bytes, int length, QString *line)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *line = decoder.decode(QByteArrayView(bytes, length));
    return !decoder.hasError();
#else
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    *line = QTextCodec::codecForName("UTF-8")->toUnicode(bytes, length, &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
#endif
}

} // namespace

namespace TextInput {

bool decodeLines(const QByteArray &data, const QString &name, QStringList *lines, QString *error)
{
    QStringList result;
    QStringList badLines;
    int badCount = 0;
    int start = 0;
    int lineNumber = 0;
    const int size = int(data.size());
    while (start < size) {
        int end = int(data.indexOf('\n', start));
        const int next = end < 0 ? size : end + 1;
        if (end < 0)
            end = size;
        if (end > start && data.at(end - 1) == '\r')
            --end;
        ++lineNumber;
        QString line;
        if (!decodeUtf8(data.constData() + start, end - start, &line)) {
            if (++badCount <= kListedLines)
                badLines.append(QString::number(lineNumber));
        }
        result.append(line);
        start = next;
    }
    if (badCount > 0) {
        QString list = badLines.join(QStringLiteral(", "));
        if (badCount > kListedLines)
            list += QStringLiteral(" and %1 more").arg(badCount - kListedLines);
        *error = QStringLiteral("%1: invalid UTF-8 on line%2 %3")
                .arg(name, badCount > 1 ? QStringLiteral("s") : QString(), list);
        return false;
    }
    *lines = result;
    return true;
}

} // namespace TextInput
