#ifndef WINDOWJOB_H
#define WINDOWJOB_H

#include "asyncreportsbase.h"

#include <QList>
#include <QStringList>

// The report job of the desktop window: the chosen printouts as one line report, or as one
// document each.
class WindowJob : public AsyncReportsBase
{
    Q_OBJECT

public:
    using AsyncReportsBase::AsyncReportsBase;

    QList<QStringList> printouts;
    bool documents = false;
    QString file;

    // The share of the report written, in percent (for a line report; 0 for documents).
    double percentDone() const;

    void process() override;
    QStringList &reportLines() override { return lines; }
    QStringList &continuationHeader() override { return headings; }
    QString reportTitle() override { return QStringLiteral("Archiwum paragonów"); }
    QString reportSubtitle() override { return QStringLiteral("Sklep \"Pod Lipami\""); }
    QString reportPlace() override { return QStringLiteral("Kraków"); }
    QString outputFileName() override { return file; }

private:
    QStringList lines;
    QStringList headings{QStringLiteral("ARCHIWUM PARAGONÓW (cd.)")};
};

#endif // WINDOWJOB_H
