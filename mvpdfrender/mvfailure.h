#ifndef MVFAILURE_H
#define MVFAILURE_H

#include "mvpdfrender_global.h"

#include <QMetaType>
#include <QObject>
#include <QSharedDataPointer>
#include <QString>

/**
 * \brief Why a report failed, as a value a host can act on.
 *
 * The job (AsyncReportsBase::lastFailure()) and the renderer (PDFRendererBase::lastFailure())
 * keep the reason of their last failure beside its Polish text, so that a host decides with a
 * `switch` instead of reading the text:
 * \code
 * switch (job.lastFailure().reason()) {
 * case MvFailure::Reason::None:
 *     openReport(job.lastOutputPath());
 *     break;
 * case MvFailure::Reason::CannotWrite:
 *     askForAnotherFolder(job.lastFailure().path(), job.lastFailure().systemError());
 *     break;
 * default:
 *     showError(message);   // the text of ready(), in Polish
 * }
 * \endcode
 * The texts themselves live only in the message functions (PDFRendererBase::cannotWriteMessage()
 * and the others each reason names); the text of a failure equals the one its function gives.
 * \since 1.2
 */
class MVPDFRENDER_EXPORT MvFailure
{
    Q_GADGET

public:
    /** What went wrong. New reasons may be added in later versions. */
    enum class Reason {
        None,                 ///< No failure: the report is complete (or nothing ended yet).
        Cancelled,            ///< AsyncReportsBase::abortReport(), a new start, or the output
                              ///< discarded during the run: AsyncReportsBase::cancelledMessage().
        NoData,               ///< A pass found no renderer: AsyncReportsBase::noDataMessage().
        NoApplication,        ///< No QApplication: PDFRendererBase::noApplicationMessage().
        FontsMissing,         ///< No installed font for the page text; detail() names the
                              ///< families: PDFRendererBase::missingFontsMessage().
        CannotWrite,          ///< The file or device could not be opened or written completely;
                              ///< path() and, where the system told, systemError():
                              ///< PDFRendererBase::cannotWriteMessage().
        OutOfMemory,          ///< Memory ran out while the file was finished:
                              ///< PDFRendererBase::outOfMemoryMessage().
        LayoutImpossible,     ///< Heading lines leave no room for a line in a column; line() is
                              ///< their number: PDFRenderer::headingsTooTallMessage().
        OutlinePatternFailed, ///< The outline pattern cannot be matched against report line
                              ///< line(); detail() is the pattern:
                              ///< PDFRenderer::outlinePatternFailedMessage().
        OutlinePatternTooSlow,///< Matching the outline pattern took too long at report line
                              ///< line(); detail() is the pattern:
                              ///< PDFRenderer::outlinePatternTooSlowMessage().
        TimestampOutOfRange,  ///< The file timestamp is outside the years 1 to 9999 that a PDF
                              ///< date holds; detail() is the moment in ISO 8601:
                              ///< PDFRendererBase::timestampOutOfRangeMessage().
        HeaderTooTall         ///< The page header (title, subtitle, dated line) leaves no room
                              ///< for a line of the report: PDFRendererBase::headerTooTallMessage().
    };
    Q_ENUM(Reason)

    /** No failure. */
    MvFailure();
    /** A failure for reason, without path, line, system error or detail. */
    explicit MvFailure(Reason reason);
    /** Copies other. */
    MvFailure(const MvFailure &other);
    /** Copies other. */
    MvFailure &operator=(const MvFailure &other);
    ~MvFailure();

    /** What went wrong; Reason::None when nothing did. */
    Reason reason() const;
    /** Whether this is a failure at all (reason() is not Reason::None). */
    bool isFailure() const;

    /** The path of the file concerned; empty for a report written into a device. */
    QString path() const;
    /** Sets path(). */
    void setPath(const QString &path);
    /**
     * The line concerned, from 1: the report line of an outline pattern, the number of heading
     * lines of Reason::LayoutImpossible; 0 where no line applies.
     */
    int line() const;
    /** Sets line(). */
    void setLine(int line);
    /** The system's error number (errno) of a failed write, where the system told it; else 0. */
    int systemError() const;
    /** Sets systemError(). */
    void setSystemError(int errorNumber);
    /**
     * What the reason is about beside a path and a line: the font families, the outline
     * pattern, the timestamp; empty where nothing applies.
     */
    QString detail() const;
    /** Sets detail(). */
    void setDetail(const QString &detail);

    /** Whether both hold the same reason, path, line, system error and detail. */
    bool operator==(const MvFailure &other) const;
    /** Whether they differ in anything. */
    bool operator!=(const MvFailure &other) const;

private:
    class Data;
    QSharedDataPointer<Data> d;
};

Q_DECLARE_METATYPE(MvFailure)

#endif // MVFAILURE_H
