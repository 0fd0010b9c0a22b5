// brodix-chart: the window's Load Picture, Make and Save in one command.
#include <fcntl.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "batch/BatchRun.h"
#include "batch/CommandLine.h"
#include "batch/OptionTable.h"
#include "raster/FileIO.h"

namespace {

// A standard stream that the caller closed must stay closed to writes: otherwise the next file
// opened takes its number and the list of files would be written into a picture. /dev/null
// opened for reading holds the number and refuses every write, which is then reported.
void HoldClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", O_RDONLY) != fd)
            return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    HoldClosedStandardStreams();
    brodix::InstallInterruptCleanup();
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    brodix::BatchOptions options;
    try {
        options = brodix::ParseCommandLine(arguments);
    } catch (const brodix::UsageError& error) {
        // The reason alone stays in sight; the whole usage would push it off a small terminal.
        std::cerr << "brodix-chart: " << error.what() << '\n'
                  << "Try 'brodix-chart --help' for more information.\n";
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
