// The desktop program's own costs, offscreen: start-up to a shown main window, and Make with
// the repaint of everything it changed, for the largest picture (200 x 200, 255 colours).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "bmp_builder.h"
#include "test_files.h"
#include "ui/Program.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace {

using namespace brodix;

class BenchShell final : public Shell {
  public:
    std::string picture;
    std::optional<FileChoice> RunFileDialog(const FileDialogRequest&, QWidget*) override {
        return FileChoice{picture, 0};
    }
    void ShowProgramMessage(const std::string&, const std::string&, QWidget*) override {}
    void ShowExceptionMessage(const std::string&, QWidget*) override {}
    std::string ProgramFileName() override { return std::string(BRODIX_BIN_DIR) + "/brodix"; }
};

QApplication& Application() {
    static int argc = 1;
    static char name[] = "ui_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = [] {
        auto* created = new QApplication(argc, argv);
        InitializeApplication();
        return created;
    }();
    return *app;
}

// A 200 x 200 24-bit BMP with exactly 255 colours, in bands of 157 stitches.
std::string WritePicture() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "brodix-ui-bench-200.bmp").string();
    constexpr int kSize = 200;
    testing::WriteFileBytes(path, testing::BmpBytes(kSize, kSize, 24, [](int x, int y) {
                                const int i = (kSize - 1 - y) * kSize +
                                              x;  // counted in file order, bottom row first
                                const int colour = i * 255 / (kSize * kSize);
                                return RGB(colour, colour * 3, colour * 7);
                            }));
    return path;
}

void BM_StartUpToShownWindow(benchmark::State& state) {
    Application();
    BenchShell shell;
    for (auto _ : state) {
        Program program(shell);
        program.ShowMainWindow();
        program.Main().repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(program.Main().isVisible());
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Unit(benchmark::kMillisecond);

void BM_MakeAndRepaint200x200With255Colours(benchmark::State& state) {
    Application();
    BenchShell shell;
    shell.picture = WritePicture();
    Program program(shell);
    program.ShowMainWindow();
    program.Main().BitBtn2->click();
    if (program.Main().L_ColorCount->text() != "255") {
        state.SkipWithError("the picture did not make 255 colours");
        return;
    }
    program.Main().BitBtn1->click();  // the zoom window repaints too
    for (auto _ : state) {
        program.Main().BTN_MAKE->click();
        program.Main().repaint();
        program.Zoom().repaint();
    }
    std::filesystem::remove(shell.picture);
}
BENCHMARK(BM_MakeAndRepaint200x200With255Colours)->Unit(benchmark::kMillisecond);

}  // namespace
