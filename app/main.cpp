// fluxmere: the experiment program.
#include "app/Main.h"

#include <QApplication>

#include "simulation/frmHydrovat.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends only through EndProgram, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);
    frmHydrovat::ScaleToScreen();
    Main();
    return QApplication::exec();
}
