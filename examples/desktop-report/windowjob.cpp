#include "windowjob.h"

#include "mvkeys.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"

double WindowJob::percentDone() const
{
    return renderer ? renderer->perc() : 0.0;
}

void WindowJob::process()
{
    if (!documents) {
        lines.clear();
        for (const QStringList &printout : qAsConst(printouts))
            lines += printout + QStringList{QString()};
        startRenderer(new PDFRenderer(this));
        return;
    }
    auto *report = new PDFRendererDocuments(this);
    for (int i = 0; i < printouts.size(); ++i) {
        DocumentGraphics doc;
        doc.attributes.insert(MvKeys::NumberAttribute, i + 1);
        const QTextCharFormat format = report->getHlp().formats[MvKeys::PrintoutFormat];
        for (const QString &line : printouts.at(i))
            doc.items.append(report->getHlp().createTextItemWithFormat(line, format));
        report->appendDoc(doc);
    }
    startRenderer(report);
}
