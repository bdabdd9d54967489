#ifndef REPORTWINDOW_H
#define REPORTWINDOW_H

#include "asyncreportsbase.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class WindowJob;

// The window the library is made for: it writes the chosen printouts into a PDF report on the
// event loop of its own thread, a page per pass, and stays responsive meanwhile: the progress
// bar and the status line move with every page, Cancel stops the report at once.
class ReportWindow : public QWidget
{
    Q_OBJECT

public:
    struct Printout
    {
        QString name;
        QStringList lines;
    };

    // The report goes to outputFolder as raport.pdf.
    ReportWindow(const QList<Printout> &printouts, const QString &outputFolder,
                 QWidget *parent = nullptr);
    ~ReportWindow() override;

    // For a run without a person at the window: every printout, and the kind of report.
    void selectAll();
    void setDocumentReport(bool documents);
    QString reportPath() const;

public slots:
    void generate();
    void cancel();

signals:
    void pageWritten();
    void finished(AsyncReportsBase::Outcome outcome);

private:
    void showProgress(const QString &message);
    void showResult(const QString &message);

    QList<Printout> printouts;
    QString outputFolder;
    std::unique_ptr<WindowJob> job;
    QListWidget *list;
    QComboBox *kind;
    QPushButton *generateButton;
    QPushButton *cancelButton;
    QProgressBar *bar;
    QLabel *status;
    QLabel *result;
};

#endif // REPORTWINDOW_H
