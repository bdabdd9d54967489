#ifndef REPORTFLOOR_H
#define REPORTFLOOR_H

#include <QFont>
#include <QLineF>
#include <QPageLayout>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <memory>

class DocumentFeeder;

// The floor of a report: what a plain Qt program does to put the same words at the same places
// on the same pages, painting them with drawText into a QPdfWriter (header, footer, labels and
// rules too), with no scene and no items. The pages are recorded from a run of the report
// itself, which is not timed.
namespace ReportFloor {

struct Text
{
    QString text;
    QFont font;
    QPointF topLeft;   // of its item, in scene units
};

struct Page
{
    QVector<Text> texts;
    QVector<QLineF> rules;
};

struct Recording
{
    QVector<Page> pages;
    QRectF sceneRect;
    int ppi = 0;
};

// The page both floors paint on: A4 with the margins of the reports' PDF pages.
QPageLayout pageLayout();
// Runs a document report of the feeder's documents to its end, recording every page as it is
// painted.
Recording recordDocuments(const QString &file, std::unique_ptr<DocumentFeeder> feeder);
// Paints the recorded pages into file; returns the seconds it took.
double paint(const Recording &recording, const QString &file);

} // namespace ReportFloor

#endif // REPORTFLOOR_H
