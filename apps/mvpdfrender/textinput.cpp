#include "textinput.h"

#include <QTextCodec>

namespace {
// How many faulty line numbers a message lists before it says "and more".
constexpr int kListedLines = 10;
}

namespace TextInput {

bool decodeLines(const QByteArray &data, const QString &name, QStringList *lines, QString *error)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QStringList result;
    QStringList badLines;
    int badCount = 0;
    int start = 0;
    int lineNumber = 0;
    while (start < data.size()) {
        int end = data.indexOf('\n', start);
        const int next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        if (end > start && data.at(end - 1) == '\r')
            --end;
        ++lineNumber;
        QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
        const QString line = utf8->toUnicode(data.constData() + start, end - start, &state);
        if (state.invalidChars > 0 || state.remainingChars > 0) {
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
