// fluxmere: the experiment program.
#include "app/Main.h"

#include <QApplication>
#include <cstdio>
#include <memory>

#include "app/Arguments.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/ButtonKeys.h"
#include "screens/common/WholeScreen.h"
#include "screens/simulation/frmHydrovat.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString problem;
    const std::optional<ProgramArguments> arguments =
        ParseArguments(QApplication::arguments().mid(1), problem);
    if (!arguments) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return static_cast<int>(runtime::ExitStatus::StartUpRefused);
    }
    // The program ends when its run ends, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::InstallButtonKeys();
    frmHydrovat::ScaleToScreen();
    // A station's screen shows nothing but the program; --windowed is for a desk.
    std::unique_ptr<ui::WholeScreen> wholeScreen;
    if (!arguments->windowed) wholeScreen = std::make_unique<ui::WholeScreen>();
    Program program;
    if (!arguments->database.isEmpty()) program.run().session.databasePath = arguments->database;
    int status = 0;
    try {
        program.Main();
        runtime::RunUntilEnd([] { QApplication::exec(); }, [] { QApplication::exit(); });
    } catch (const runtime::ProgramEnded& end) {
        status = static_cast<int>(end.status);
    }
    program.CloseSession();
    wholeScreen.reset();
    return status;
}
