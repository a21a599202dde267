// fluxmere: the experiment program.
#include "app/Main.h"

#include <QApplication>

#include "runtime/Context.h"
#include "runtime/ProgramEnd.h"
#include "simulation/frmHydrovat.h"
#include "ui/ButtonKeys.h"
#include "ui/Dialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends when its run ends, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::RealDialogs dialogs;
    runtime::CurrentContext().questions = &dialogs;
    runtime::CurrentContext().modalForms = &dialogs;
    ui::InstallButtonKeys();
    frmHydrovat::ScaleToScreen();
    int status = 0;
    try {
        Main();
        runtime::RunUntilEnd([] { QApplication::exec(); }, [] { QApplication::exit(); });
    } catch (const runtime::ProgramEnded& end) {
        status = static_cast<int>(end.status);
    }
    CloseSession();
    return status;
}
