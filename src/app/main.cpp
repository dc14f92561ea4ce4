// Starts Quire: one main window; closing it ends the program.
#include "app/Main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quire");
    quire::Main window;
    window.show();
    return QApplication::exec();
}
