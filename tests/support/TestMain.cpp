// Test programs run with a real QApplication on the offscreen platform, in a fixed locale
// and time zone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TZ", "UTC", 1);
    // Build machines often have no session runtime folder; Qt would warn about it in every run.
    QTemporaryDir runtimeDir;
    if (!std::getenv("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
    }
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
