#include <QApplication>
#include <cstring>
#include <iostream>

#include "raster/FileIO.h"
#include "ui/Program.h"
#include "ui/Shell.h"

namespace {

// Answered before Qt starts, so that both work without a display.
bool AnswerCommandLine(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "brodix " BRODIX_VERSION "\n";
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << "usage: brodix [--help | --version]\n"
                         "\n"
                         "Opens the Brodix window, which turns a BMP of at most 200 x 200 pixels\n"
                         "(or, through the menu of the legend and the chart, a photo of any size)\n"
                         "into a counted cross-stitch chart. The usual Qt options, such as\n"
                         "-platform NAME, are accepted. See brodix(1), and brodix-chart(1) for\n"
                         "charts without a window.\n";
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnswerCommandLine(argc, argv))
        return 0;
    QApplication application(argc, argv);
    brodix::InstallInterruptCleanup();
    brodix::InitializeApplication();
    brodix::QtShell shell;
    brodix::Program program(shell);
    program.ShowMainWindow();
    return application.exec();
}
