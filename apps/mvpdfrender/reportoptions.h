#ifndef REPORTOPTIONS_H
#define REPORTOPTIONS_H

#include "clijob.h"
#include "progressview.h"

#include <QCommandLineOption>

class QCommandLineParser;

// The options both report commands take, and what they set.
struct ReportOptions
{
    ReportOptions();

    void addTo(QCommandLineParser &parser) const;
    // Fills settings; false with a one-line error for a bad value.
    bool read(const QCommandLineParser &parser, const QString &defaultTitle,
              CliJob::Settings *settings, QString *error) const;
    ProgressView::Style style(const QCommandLineParser &parser) const;
    bool quiet(const QCommandLineParser &parser) const;
    QString encoding(const QCommandLineParser &parser) const;

    QCommandLineOption output;
    QCommandLineOption title;
    QCommandLineOption subtitle;
    QCommandLineOption place;
    QCommandLineOption date;
    QCommandLineOption textSize;
    QCommandLineOption ppi;
    QCommandLineOption pdfa;
    QCommandLineOption pageCount;
    QCommandLineOption outlineGroup;
    QCommandLineOption encodingName;
    QCommandLineOption debugFrames;
    QCommandLineOption debugOutline;   // the former name of --debug-frames, hidden
    QCommandLineOption progress;
    QCommandLineOption quietOption;
};

#endif // REPORTOPTIONS_H
