// Renders the program's emblem as the PNG icons of the desktop entry, at build
// time: render_icons SIZE FILE [SIZE FILE ...].
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include "ui/emblem.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments().mid(1);
    QTextStream errors(stderr);
    if (arguments.isEmpty() || arguments.size() % 2 != 0) {
        errors << "usage: render_icons SIZE FILE [SIZE FILE ...]\n";
        return 2;
    }
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        bool isNumber = false;
        const int size = arguments[i].toInt(&isNumber);
        if (!isNumber || size < 1 || size > 1024) {
            errors << "not an icon size: " << arguments[i] << '\n';
            return 2;
        }
        if (!RenderEmblem(size).save(arguments[i + 1], "PNG")) {
            errors << "cannot write " << arguments[i + 1] << '\n';
            return 1;
        }
    }
    return 0;
}
