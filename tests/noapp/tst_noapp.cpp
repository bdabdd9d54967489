// A host without a QApplication (none at all, a QCoreApplication or a QGuiApplication, as the
// first argument says): a report is refused with a message before any file is made, instead
// of crashing in the page scene. Exits with 0 when it is.
#include "mvkeys.h"
#include "pdfrendererdocuments.h"
#include "testjob.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    const char *kind = argc > 1 ? argv[1] : "";
    std::unique_ptr<QCoreApplication> app;
    if (std::strcmp(kind, "core") == 0)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else if (std::strcmp(kind, "gui") == 0)
        app = std::make_unique<QGuiApplication>(argc, argv);

    QTemporaryDir dir;
    bool refused = true;
    for (const bool documents : {false, true}) {
        TestJob job;
        job.fileName = dir.filePath(QStringLiteral("report.pdf"));
        job.lines = QStringList{QStringLiteral("PARAGON FISKALNY")};
        if (documents) {
            job.fillDocuments = [](PDFRendererDocuments &renderer) {
                renderer.appendDoc(QStringList{QStringLiteral("PARAGON FISKALNY")});
                DocumentGraphics numbered;
                numbered.attributes.insert(MvKeys::NumberAttribute, 1);
                renderer.appendDoc(numbered);
            };
        }
        QString message;
        int readyCount = 0;
        QObject::connect(&job, &AsyncReportsBase::ready, [&](const QString &text) {
            message = text;
            ++readyCount;
        });
        // Refused in prepare(), so ready() comes before do_process() returns: no event loop
        // is needed.
        job.do_process();
        refused = refused && readyCount == 1
                && message == QStringLiteral("Brak obiektu QApplication potrzebnego do utworzenia pliku PDF")
                && job.lastOutcome() == AsyncReportsBase::Outcome::WriteFailed
                && !QFile::exists(job.fileName);
        std::printf("%s, %s report: %d ready, \"%s\", outcome %d\n", kind,
                    documents ? "document" : "line", readyCount, qUtf8Printable(message),
                    int(job.lastOutcome()));
    }
    return refused ? 0 : 1;
}
