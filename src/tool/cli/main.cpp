#include "tool/cli/CommandLine.h"

int main(int argc, char** argv) {
    return tool::ToolMain(argc, argv);
}
