#include "reportwindow.h"

#include "windowjob.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPercentScale = 10;   // the bar counts tenths of a percent
}

ReportWindow::ReportWindow(const QList<Printout> &printouts, const QString &outputFolder,
                           QWidget *parent)
    : QWidget(parent), printouts(printouts), outputFolder(outputFolder),
      job(std::make_unique<WindowJob>()), list(new QListWidget), kind(new QComboBox),
      generateButton(new QPushButton(QStringLiteral("Generuj"))),
      cancelButton(new QPushButton(QStringLiteral("Anuluj"))), bar(new QProgressBar),
      status(new QLabel), result(new QLabel)
{
    setWindowTitle(QStringLiteral("Raporty paragonów"));
    for (const Printout &printout : printouts)
        list->addItem(QStringLiteral("%1 (%2 wierszy)").arg(printout.name).arg(printout.lines.size()));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    kind->addItems({QStringLiteral("Raport wierszowy"), QStringLiteral("Raport dokumentów")});
    cancelButton->setEnabled(false);
    bar->setRange(0, 100 * kPercentScale);
    bar->setTextVisible(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(kind, 1);
    buttons->addWidget(generateButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Wydruki:")));
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    layout->addWidget(bar);
    layout->addWidget(status);
    layout->addWidget(result);

    connect(generateButton, &QPushButton::clicked, this, &ReportWindow::generate);
    connect(cancelButton, &QPushButton::clicked, this, &ReportWindow::cancel);
    connect(job.get(), &AsyncReportsBase::progress, this, &ReportWindow::showProgress);
    connect(job.get(), &AsyncReportsBase::ready, this, &ReportWindow::showResult);
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::selectAll()
{
    list->selectAll();
}

void ReportWindow::setDocumentReport(bool documents)
{
    kind->setCurrentIndex(documents ? 1 : 0);
}

QString ReportWindow::reportPath() const
{
    return QDir(outputFolder).filePath(QStringLiteral("raport.pdf"));
}

void ReportWindow::generate()
{
    job->printouts.clear();
    for (const QModelIndex &index : list->selectionModel()->selectedRows())
        job->printouts.append(printouts.at(index.row()).lines);
    job->documents = kind->currentIndex() == 1;
    job->file = reportPath();
    generateButton->setEnabled(false);
    cancelButton->setEnabled(true);
    // A document report does not count its share: the bar just shows that work goes on.
    bar->setRange(0, job->documents ? 0 : 100 * kPercentScale);
    bar->setValue(0);
    status->setText(QStringLiteral("Generowanie raportu…"));
    result->clear();
    job->do_process();
}

void ReportWindow::cancel()
{
    job->abortReport();
}

void ReportWindow::showProgress(const QString &message)
{
    bar->setValue(int(job->percentDone() * kPercentScale));
    status->setText(message);
    emit pageWritten();
}

void ReportWindow::showResult(const QString &message)
{
    generateButton->setEnabled(true);
    cancelButton->setEnabled(false);
    bar->setRange(0, 100 * kPercentScale);
    const AsyncReportsBase::Outcome outcome = job->lastOutcome();
    switch (outcome) {
    case AsyncReportsBase::Outcome::Completed:
        bar->setValue(bar->maximum());
        result->setText(QStringLiteral("Zapisano raport: %1").arg(job->lastOutputPath()));
        break;
    case AsyncReportsBase::Outcome::Cancelled:
        bar->setValue(0);
        result->setText(QStringLiteral("Przerwano; nie zapisano pliku."));
        break;
    case AsyncReportsBase::Outcome::NoData:
    case AsyncReportsBase::Outcome::WriteFailed:
    case AsyncReportsBase::Outcome::LayoutFailed:
    case AsyncReportsBase::Outcome::TimestampOutOfRange:
        bar->setValue(0);
        result->setText(message);
        break;
    }
    status->clear();
    emit finished(outcome);
}
