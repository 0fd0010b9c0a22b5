#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string_view>

#include "raster/FileIO.h"
#include "ui/Program.h"
#include "ui/Shell.h"

namespace {

// The exit statuses of a refused command line and of a start that cannot show a window, as
// brodix-chart's.
constexpr int kExitUsage = 64;
constexpr int kExitNoDisplay = 1;

constexpr const char* kUsage = "usage: brodix [--help | --version] [Qt options]\n";

// Answered before Qt starts, so that both work without a display; gives whether the program
// is done.
bool AnswerCommandLine(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "brodix " BRODIX_VERSION "\n";
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << kUsage
                      << "\n"
                         "Opens the Brodix window, which turns a BMP of at most 200 x 200 pixels\n"
                         "(or, through the menu of the legend and the chart, a photo of any size)\n"
                         "into a counted cross-stitch chart.\n"
                         "\n"
                         "Options:\n"
                         "  --help     shows this summary and exits.\n"
                         "  --version  shows the program's name and version and exits.\n"
                         "The usual Qt options are accepted as well, such as -platform NAME or\n"
                         "-display DISPLAY. See brodix(1), and brodix-chart(1) for charts without\n"
                         "a window.\n";
            return true;
        }
    }
    return false;
}

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Without a display and with no platform named, Qt would abort with advice about reinstalling.
bool HasDisplay(int argc, char* argv[]) {
    if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "-platform" || argument.starts_with("-platform=") ||
            argument == "-display" || argument.starts_with("-display="))
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnswerCommandLine(argc, argv))
        return 0;
    if (!HasDisplay(argc, argv)) {
        std::cerr << "brodix: needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not set); "
                     "brodix-chart works without one.\n";
        return kExitNoDisplay;
    }
    QApplication application(argc, argv);
    // Qt has taken its own options out of the arguments: what is left is none of ours.
    if (argc > 1) {
        const bool option = argv[1][0] == '-';
        std::cerr << "brodix: " << (option ? "unknown option '" : "unexpected argument '")
                  << argv[1] << (option ? "'\n" : "': pictures are opened in the window\n")
                  << kUsage << "Try 'brodix --help' for more information.\n";
        return kExitUsage;
    }
    brodix::InstallInterruptCleanup();
    brodix::InitializeApplication();
    brodix::QtShell shell;
    brodix::Program program(shell);
    program.ShowMainWindow();
    return application.exec();
}
