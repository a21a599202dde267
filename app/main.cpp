// fluxmere: the experiment program.
#include "app/Main.h"

#include <QApplication>

#include "runtime/Context.h"
#include "simulation/frmHydrovat.h"
#include "ui/ButtonKeys.h"
#include "ui/Dialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends only through EndProgram, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::RealDialogs dialogs;
    runtime::CurrentContext().questions = &dialogs;
    runtime::CurrentContext().modalForms = &dialogs;
    ui::InstallButtonKeys();
    frmHydrovat::ScaleToScreen();
    Main();
    return QApplication::exec();
}
