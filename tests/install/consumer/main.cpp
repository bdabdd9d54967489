// A host that only knows the installed package: formats a line and measures a text item.
#include <asyncreportshelper.h>
#include <mvstringformatter.h>

#include <QApplication>
#include <QGraphicsItem>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MvStringFormatter formatter;
    formatter.AppFormatW(QStringLiteral("Suma"), QStringLiteral("12,50"));
    if (formatter.lines().value(0).size() != 40)
        return 1;
    AsyncReportsHelper helper;
    std::unique_ptr<QGraphicsItem> item(helper.createTextItemWithFormat(QStringLiteral("x"),
                                                                        helper.formats[2]));
    return item->boundingRect().height() > 0 ? 0 : 1;
}
