#ifndef DAYREPORT_H
#define DAYREPORT_H

// The README's host example; the install test builds it against the installed package.
#include <asyncreportsbase.h>
#include <pdfrenderer.h>

class DayReport : public AsyncReportsBase
{
public:
    QStringList lines, headings;
    QString file = QStringLiteral("raport.pdf");

    void process() override
    {
        startRenderer(new PDFRenderer(this));   // or a PDFRendererDocuments filled by appendDoc()
    }
    QStringList &reportLines() override { return lines; }
    QStringList &continuationHeader() override { return headings; }
    QString reportTitle() override { return QStringLiteral("Raport dzienny"); }
    QString reportSubtitle() override { return QStringLiteral("Kasa nr 1"); }
    QString reportPlace() override { return QStringLiteral("Kraków"); }
    QString outputFileName() override { return file; }
};

#endif // DAYREPORT_H
