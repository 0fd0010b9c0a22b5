// The desktop program's own costs, offscreen: start-up to a shown main window, and Make with
// the repaint of everything it changed, for the largest picture (200 x 200, 255 colours).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

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

QApplication& application() {
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
std::string writePicture() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "brodix-ui-bench-200.bmp").string();
    const int size = 200;
    const int stride = size * 3;
    std::vector<unsigned char> bytes(54 + stride * size);
    auto put32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<unsigned>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, size);
    put32(22, size);
    bytes[26] = 1;
    bytes[28] = 24;
    for (int i = 0; i < size * size; ++i) {
        const int colour = i * 255 / (size * size);
        unsigned char* p = &bytes[54 + i * 3];
        p[0] = static_cast<unsigned char>(colour * 7);
        p[1] = static_cast<unsigned char>(colour * 3);
        p[2] = static_cast<unsigned char>(colour);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

void BM_StartUpToShownWindow(benchmark::State& state) {
    application();
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
    application();
    BenchShell shell;
    shell.picture = writePicture();
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
