// Tidings: the product's news, shown from "Tidings.txt" in the program folder (the folder of
// this executable, or the folder given as the first argument).

#include "TidingsWindow.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QStringList args = QApplication::arguments();
    const QString folder = args.size() > 1 ? args[1] : QApplication::applicationDirPath();
    kv::gui::TidingsWindow window(folder);
    // Started beside the main window: shown without taking the focus from it.
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    return app.exec();
}
