#ifndef PROGRESSVIEW_H
#define PROGRESSVIEW_H

#include <QString>

// Shows a report's progress on standard error: a bar redrawn in place on a terminal, plain
// lines, or nothing.
class ProgressView
{
public:
    enum class Style { None, Lines, Bar };

    explicit ProgressView(Style style);

    // noun: what the percentage counts ("of lines", "of documents").
    void update(int pagesWritten, double percent, const QString &libraryMessage,
                const QString &noun);
    // Clears the bar before a final message.
    void finish();

private:
    Style style;
    bool drawn = false;
};

#endif // PROGRESSVIEW_H
