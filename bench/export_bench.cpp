// Save of the largest chart (200 x 200 stitches, 255 colours, twelve pages) against the floor of
// its unavoidable work: filling a 2401 x 2401 chart and converting it to 1 bit. The files go to
// a memory file system (/dev/shm) so that the safe writer's fsync does not hide the drawing
// cost; the same Save onto the disk's temporary folder is measured beside it.
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/Captions.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "export/SavePattern.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"
#include "raster/TPicture.h"

namespace brodix {
namespace {

constexpr int kSide = 200;

TColor PictureColor(int x, int y) {
    const int k = (7 * x + 13 * y) % 255;
    return RGB(k, 255 - k, (37 * k) % 256);
}

class QuietSink final : public MessageSink {
  public:
    void ShowMessage(const std::string& /*text*/, const std::string& /*title*/) override {}
};

std::string MakeFolder(const std::string& parent) {
    std::string pattern = parent + "/brodix-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    return pattern;
}

// The main window after Make of the 200 x 200 picture.
struct MadeWindow {
    Workspace workspace;
    HeadlessControls controls;
    QuietSink sink;

    MadeWindow() {
        TBitmap bitmap;
        bitmap.SetWidth(kSide);
        bitmap.SetHeight(kSide);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x)
                bitmap.SetPixel(x, y, PictureColor(x, y));
        }
        workspace.picture.Picture().SetGraphic(&bitmap);
        workspace.preview.Picture().SetGraphic(&bitmap);
        TBitmap sheet;
        sheet.SetWidth(121);
        sheet.SetHeight(313);
        for (int y = 0; y < 313; ++y) {
            for (int x = 0; x < 121; ++x)
                sheet.SetPixel(x, y, (x * y) % 5 == 0 ? 0 : clWhite);
        }
        workspace.symbols.Picture().SetGraphic(&sheet);
        workspace.ReadBlankCell();
        workspace.Make(LevelChoices{}, controls.Captions(), sink, controls.Zoom());
    }

    SaveSources Sources() { return SourcesOf(workspace, controls.Captions()); }
};

void SaveInto(benchmark::State& state, const std::string& parent) {
    static MadeWindow window;
    const std::string folder = MakeFolder(parent);
    if (folder.empty()) {
        state.SkipWithError(("cannot make a folder in " + parent).c_str());
        return;
    }
    SaveSources sources = window.Sources();
    std::size_t files = 0;
    for (auto _ : state)
        files = SavePattern(folder + "/rose.bmp", sources).size();
    state.counters["files"] = static_cast<double>(files);
    std::filesystem::remove_all(folder);
}

void BM_SaveToMemoryFileSystem(benchmark::State& state) {
    SaveInto(state, "/dev/shm");
}
void BM_SaveToDisk(benchmark::State& state) {
    SaveInto(state, "/var/tmp");
}

// The floor: the one 2401 x 2401 chart filled and turned into its 1-bit copy, as Save must at
// least do for the whole-chart file.
void BM_FloorFillAndMonochrome(benchmark::State& state) {
    const int side = 12 * kSide + 1;
    for (auto _ : state) {
        TBitmap chart;
        chart.SetWidth(side);
        chart.SetHeight(side);
        TCanvas& canvas = chart.Canvas();
        canvas.Brush().SetColor(0x808080);
        canvas.FillRect(Rect(0, 0, side, side));
        canvas.Brush().SetColor(clBlack);
        TBitmap mono;
        mono.SetWidth(side);
        mono.SetHeight(side);
        mono.SetMonochrome(true);
        mono.Canvas().SetCopyMode(cmNotSrcCopy);
        mono.Canvas().CopyRect(Rect(0, 0, side, side), canvas, Rect(0, 0, side, side));
        benchmark::DoNotOptimize(mono.Bits());
    }
}

// Writes the picture as a 24-bit BMP for the batch command to read.
void WritePicture(const std::string& path) {
    TBitmap copy;
    copy.SetWidth(kSide);
    copy.SetHeight(kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x)
            copy.SetPixel(x, y, PictureColor(x, y));
    }
    TPicture picture;
    picture.SetGraphic(&copy);
    picture.SaveToFile(path);
}

void BM_BrodixChartEndToEnd(benchmark::State& state) {
    const std::string program =
        std::filesystem::path(ProgramFileName()).parent_path() / "brodix-chart";
    const std::string folder = MakeFolder("/dev/shm");
    if (folder.empty() || !std::filesystem::exists(program)) {
        state.SkipWithError("no brodix-chart or no /dev/shm");
        return;
    }
    WritePicture(folder + "/rose.bmp");
    {
        TPicture sheet;
        TBitmap bitmap;
        bitmap.SetWidth(121);
        bitmap.SetHeight(313);
        sheet.SetGraphic(&bitmap);
        sheet.SaveToFile(folder + "/sheet.bmp");
    }
    const std::string sheetPath = folder + "/sheet.bmp";
    const std::string picturePath = folder + "/rose.bmp";
    const std::string name = folder + "/out";
    for (auto _ : state) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (std::freopen("/dev/null", "w", stdout) == nullptr)
                ::_exit(127);
            ::execl(program.c_str(), program.c_str(), "--symbols", sheetPath.c_str(),
                    picturePath.c_str(), name.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("brodix-chart failed");
            break;
        }
    }
    std::filesystem::remove_all(folder);
}

constexpr int kRepetitions = 7;

BENCHMARK(BM_FloorFillAndMonochrome)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveToMemoryFileSystem)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveToDisk)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BrodixChartEndToEnd)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace brodix
