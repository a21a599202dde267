// Test programs run with a real application object on the offscreen platform, in a fixed
// locale and time zone: a QApplication where widgets are tested, else a QGuiApplication.
#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

#ifdef FX_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TZ", "UTC", 1);
    // Build machines often have no session runtime folder; Qt would warn about it in every run.
    QTemporaryDir runtimeDir;
    if (!std::getenv("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
    }
    QLocale::setDefault(QLocale::c());
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
