// brodix-chart: the window's Load Picture, Make and Save in one command.
#include <iostream>
#include <string>
#include <vector>

#include "BatchRun.h"
#include "CommandLine.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    brodix::BatchOptions options;
    try {
        options = brodix::ParseCommandLine(arguments);
    } catch (const brodix::UsageError& error) {
        std::cerr << "brodix-chart: " << error.what() << '\n' << brodix::UsageText();
        return brodix::kExitUsage;
    }
    if (options.help) {
        std::cout << brodix::HelpText();
        return brodix::kExitDone;
    }
    if (options.version) {
        std::cout << "brodix-chart " BRODIX_VERSION "\n";
        return brodix::kExitDone;
    }
    return brodix::RunBatch(options);
}
