#ifndef TOOL_H
#define TOOL_H

#include <QCoreApplication>
#include <QLocale>
#include <QString>

// The tool's own texts and how it speaks: every text goes through Qt's translation system in
// the context "Tool" (English in the source, Polish in translations/mvpdfrender_pl.ts), in the
// language of the locale, so that a run speaks one language throughout.
class Tool
{
    Q_DECLARE_TR_FUNCTIONS(Tool)

public:
    // "mvpdfrender", or "mvpdfrender-qt6" for the Qt 6 flavour: the name the tool is run by.
    static QString name();

    // Loads the tool's translation and Qt's own for the locale's languages (LANGUAGE,
    // LC_ALL, LC_MESSAGES, LANG), when there is one; otherwise the tool speaks English.
    static void installTranslation(QCoreApplication &application);
    // Whether the tool speaks Polish, the library's language, in this run.
    static bool speaksPolish();
    // How the tool writes numbers in its language: "0,5" in Polish, "0.5" in English.
    static QLocale locale();
    // A decimal number as an operator writes one: with a point, or with the decimal separator
    // of the user's locale; false in *ok when it is neither.
    static double readDecimal(const QString &text, bool *ok);

    // What a failed system call says, for errno errorNumber: the common ones in the tool's
    // words, the rest as the C library puts them.
    static QString systemError(int errorNumber);

    // "mvpdfrender: message" on standard error.
    static void printError(const QString &message);
};

#endif // TOOL_H
