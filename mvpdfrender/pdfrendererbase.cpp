#include "pdfrendererbase.h"

#include "asyncreportsbase.h"

#include <QDateTime>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSize>

namespace {
constexpr double kPageMarginMm = 15.0;
}

PDFRendererBase::PDFRendererBase(AsyncReportsBase *owner)
    : monthNames({QString(), QStringLiteral("stycznia"), QStringLiteral("lutego"),
                  QStringLiteral("marca"), QStringLiteral("kwietnia"), QStringLiteral("maja"),
                  QStringLiteral("czerwca"), QStringLiteral("lipca"), QStringLiteral("sierpnia"),
                  QStringLiteral("września"), QStringLiteral("października"),
                  QStringLiteral("listopada"), QStringLiteral("grudnia")}),
      owner(owner),
      pageNum(0),
      percDone(0.0)
{
}

PDFRendererBase::~PDFRendererBase() = default;

bool PDFRendererBase::prepare()
{
    const QString fileName = owner->outputFileName();
    const QString title = owner->reportTitle();
    if (!output.startPDF(title, fileName)) {
        errorText = cannotWriteMessage(owner->outputFileName());
        return false;
    }

    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                             QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
    output.setupPage(layout);
    sizeScene();

    const QString dated = datedLine();
    const QString subtitle = owner->reportSubtitle();
    hlp.createHeader(owner->reportTitle(), subtitle, dated);
    hlp.createFooter();

    pageNum = 1;
    percDone = 0.0;
    return true;
}

void PDFRendererBase::sizeScene()
{
    // Scene units are 1/ppi inch. Both dimensions are divided by the horizontal resolution.
    const QRect page = output.pageRect();
    const int layoutPpi = hlp.ppi;
    const int devicePpi = output.ppiX();
    const QSize scaled(qRound(double(page.width()) * layoutPpi),
                       qRound(double(page.height()) * layoutPpi));
    const QSize sceneSize(qRound(double(scaled.width()) / devicePpi),
                          qRound(double(scaled.height()) / devicePpi));
    hlp.createScene(QRect(QPoint(0, 0), sceneSize));
}

QString PDFRendererBase::datedLine() const
{
    const QDate today = QDateTime::currentDateTime().date();
    // One substitution pass: a place marker such as "%2" inside the place stays as written.
    return QStringLiteral("%1, dnia %2 %3 %4 roku")
            .arg(owner->reportPlace(), QString::number(today.day()),
                 monthNames.value(today.month()), QString::number(today.year()));
}

double PDFRendererBase::perc() const
{
    return percDone;
}

bool PDFRendererBase::emitPage(bool)
{
    return false;
}

void PDFRendererBase::startReport()
{
}

void PDFRendererBase::finish()
{
    output.finishPDF();
}

AsyncReportsHelper &PDFRendererBase::getHlp()
{
    return hlp;
}

int PDFRendererBase::getPageNum() const
{
    return pageNum;
}

QString PDFRendererBase::lastError() const
{
    return errorText;
}

QString PDFRendererBase::outputPath() const
{
    return output.filePath();
}

bool PDFRendererBase::outputComplete() const
{
    return !output.hasWriteError();
}

QString PDFRendererBase::cannotWriteMessage(const QString &path)
{
    return QStringLiteral("Nie można zapisać pliku PDF: %1").arg(path, 0, QLatin1Char(' '));
}
