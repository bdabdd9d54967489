#ifndef PROGRESSVIEW_H
#define PROGRESSVIEW_H

#include <QString>

// Shows a report's progress on standard error: a bar redrawn in place on a terminal (as much
// of it as the terminal's width takes, down to the percentage alone), plain lines, or nothing.
class ProgressView
{
public:
    enum class Style { None, Lines, Bar };

    // counted: what the percentage is a share of, as the tool says it ("of lines").
    ProgressView(Style style, const QString &counted);

    void update(int pagesWritten, double percent);
    // Clears the bar before a final message.
    void finish();

private:
    Style style;
    QString counted;
    int drawnWidth = 0;
};

#endif // PROGRESSVIEW_H
