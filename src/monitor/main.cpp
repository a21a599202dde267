// fluxmere-monitor PATH SINCE INTERVAL_MS, as fluxmere-db monitor starts it after checking
// what the experimenter typed.
#include <QApplication>
#include <QDateTime>
#include <cstdio>

#include "monitor/SessionMonitor.h"
#include "tool/common/QtMessages.h"

int main(int argc, char** argv) {
    qInstallMessageHandler(tool::QuietQtMessages);
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QDateTime since =
        arguments.size() == 4 ? QDateTime::fromString(arguments[2], Qt::ISODate) : QDateTime();
    bool ok = false;
    const int interval = arguments.size() == 4 ? arguments[3].toInt(&ok) : 0;
    if (!since.isValid() || !ok || interval < 1) {
        std::fputs("usage: fluxmere-db monitor PATH [--since WHEN] [--interval MS]\n", stderr);
        return 2;
    }
    tool::SessionMonitor monitor(arguments[1], since, interval);
    monitor.show();
    return QApplication::exec();
}
