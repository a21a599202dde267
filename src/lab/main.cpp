// fluxmere-lab [STUDY]: the experimenter's window, on a study file or a lab server's address,
// or on none to choose one.
#include <QApplication>

#include "lab/LabWindow.h"
#include "tool/common/QtMessages.h"

int main(int argc, char** argv) {
    qInstallMessageHandler(tool::QuietQtMessages);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fluxmere Lab"));
    lab::LabWindow window;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.openStudy(arguments[1]);
    window.show();
    return QApplication::exec();
}
