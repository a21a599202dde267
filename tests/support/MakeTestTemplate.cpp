// Makes the template of the test server's fresh databases once for a whole test run.
#include <QCoreApplication>
#include <cstdio>

#include "db/Error.h"
#include "tests/support/TestServer.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    try {
        MakeSharedTestTemplate();
    } catch (const db::Error& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
