// fluxmere: the experiment program.
#include "app/Main.h"

#include <QApplication>

#include "simulation/frmHydrovat.h"
#include "ui/ButtonKeys.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends only through EndProgram, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::InstallButtonKeys();
    frmHydrovat::ScaleToScreen();
    Main();
    return QApplication::exec();
}
