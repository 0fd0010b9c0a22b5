#include <QApplication>

#include "raster/FileIO.h"
#include "ui/Program.h"
#include "ui/Shell.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    brodix::InstallInterruptCleanup();
    brodix::InitializeApplication();
    brodix::QtShell shell;
    brodix::Program program(shell);
    program.ShowMainWindow();
    return application.exec();
}
