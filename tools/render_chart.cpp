// Runs Make on one picture with the real symbol sheet and blank cell and writes what it draws
// (legend, chart, preview) as BMP files, for looking at the results at 1:1.
//
// Usage: render_chart PICTURE OUTDIR [RED GREEN BLUE]   level choices 0 to 4, default 0
//        render_chart --samples OUTDIR                  writes sample pictures to try
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "raster/TBitmap.h"

namespace {

using namespace brodix;

class PrintedMessages final : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        std::string line = text;
        for (char& c : line) {
            if (c == '\r')
                c = ' ';
        }
        std::fprintf(stderr, "%s: %s\n", title.c_str(), line.c_str());
    }
};

void Save(const TBitmap& bitmap, const std::filesystem::path& path) {
    TPicture picture;
    picture.SetGraphic(&bitmap);
    picture.SaveToFile(path.string());
}

template <typename ColorOf>
void SaveSample(int width, int height, ColorOf colorOf, const std::filesystem::path& path) {
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, colorOf(x, y));
    }
    Save(bitmap, path);
}

void WriteSamples(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    // White, black and three colours in blocks, so white takes the blank cell.
    SaveSample(
        23, 17,
        [](int x, int y) {
            const TColor colors[] = {clWhite, 0x2040C0, clBlack, 0x30A030, 0xC08020};
            return colors[(x / 4 + y / 3) % 5];
        },
        folder / "with_white.bmp");
    // 255 distinct colours, each in a 3 x 3 block over a 48 x 48 picture.
    SaveSample(
        48, 48,
        [](int x, int y) {
            const int k = (y / 3) * 16 + x / 3;
            return k < 255 ? RGB(k, 255 - k, (k * 7) & 0xFF) : RGB(0, 255, 0);
        },
        folder / "colors255.bmp");
    SaveSample(
        6, 10, [](int x, int y) { return (x + y) % 3 == 0 ? 0x0000C0 : 0xC0C000; },
        folder / "small6x10.bmp");
    // Smooth gradients and rings, like a photograph; reduce it to make it chartable.
    SaveSample(
        200, 200,
        [](int x, int y) {
            const double r = std::hypot(x - 90.0, y - 110.0);
            const unsigned red = static_cast<unsigned>(127.5 + 127.5 * std::sin(r / 11.0));
            const unsigned green = static_cast<unsigned>(x * 255 / 199);
            const unsigned blue = static_cast<unsigned>(y * 255 / 199);
            return RGB(red, green, blue);
        },
        folder / "photo200.bmp");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::string(argv[1]) == "--samples") {
            WriteSamples(argv[2]);
            return 0;
        }
        if (argc != 3 && argc != 6) {
            std::fprintf(stderr,
                         "usage: %s PICTURE OUTDIR [RED GREEN BLUE]\n       %s --samples OUTDIR\n",
                         argv[0], argv[0]);
            return 2;
        }
        LevelChoices levels;
        if (argc == 6)
            levels = {std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};

        Workspace workspace;
        workspace.LoadPicture(argv[1]);
        const auto programFolder = std::filesystem::absolute(argv[0]).parent_path();
        workspace.LoadSymbolSheet((programFolder / kSymbolSheetFileName).string());
        workspace.ReadBlankCell();

        HeadlessControls controls;
        PrintedMessages messages;
        if (workspace.Make(levels, controls.Captions(), messages, controls.Zoom()) !=
            MakeResult::Done)
            return 1;
        const StringCaption& width = controls.width;
        const StringCaption& height = controls.height;
        const StringCaption& colorCount = controls.colorCount;
        TImage& legend = workspace.legend;
        TImage& chart = workspace.chart;
        TImage& preview = workspace.preview;

        const std::filesystem::path folder = argv[2];
        std::filesystem::create_directories(folder);
        Save(legend.Picture().Bitmap(), folder / "legend.bmp");
        Save(chart.Picture().Bitmap(), folder / "chart.bmp");
        Save(preview.Picture().Bitmap(), folder / "preview.bmp");
        std::printf("%s x %s stitches, %s colours\n", width.Text().c_str(), height.Text().c_str(),
                    colorCount.Text().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
