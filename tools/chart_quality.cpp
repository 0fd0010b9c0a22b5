// Measures how well charts of photographs keep the picture and how easily they stitch, for
// tuning the colour budget, the clean and the dither. Run by hand:
//
//   chart_quality [PHOTO...]
//
// Without photos it reads the photographs that python3-skimage ships in
// /usr/lib/python3/dist-packages/skimage/data (a face, a cat, a still life, a rocket on its
// pad, a motorcycle); `apt-get download python3-skimage` and `dpkg -x` give them without
// installing the package. A second set, landscapes, flowers and a ladybird, is the nature folder
// of mate-backgrounds (usr/share/backgrounds/mate/nature/*.jpg, got the same way); several of
// them fit into fewer than 24 threads, so they try the clean more than the budget. Each photo
// is fitted into 120 x 120 stitches (as `--fit 120`) and charted with the DMC catalogue found
// in the data folders (kxstitch's), snapped, then:
//   cleaned at most 24, 12 and 30 colours (30: what a refused photograph gets), at most 24 and
//     12 not cleaned (what the palette alone costs), and without a budget (the least
//     difference the threads allow): the mean and 95th-percentile CIEDE2000 between the chart
//     in thread colours and the fitted photo (the photo averaged to the chart's size in linear
//     light), isolated stitches (none of their 8 neighbours of their colour, as the engine's
//     stitchability report counts them, but white counted too) per 1000 stitches and colour
//     changes along rows per 100 stitches, counted here apart from that report;
//   dithered at 24 colours: the same, and the mean CIEDE2000 after blurring both pictures in
//     linear light with [1 4 6 4 1] / 16 in each direction, which is what the eye sees of it.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/ColourDifference.h"
#include "engine/LinearLight.h"
#include "engine/Refine.h"
#include "photo/Photo.h"
#include "raster/Geometry.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "threads/ThreadCatalogue.h"

namespace {

using namespace brodix;

const char* const kDefaultPhotos[] = {"astronaut.png", "chelsea.png", "coffee.png", "rocket.jpg",
                                      "motorcycle_left.png"};
constexpr const char* kPhotoFolder = "/usr/lib/python3/dist-packages/skimage/data/";

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<TColor> colours;  // row by row
};

struct Figures {
    double mean = 0.0;
    double p95 = 0.0;
    double isolatedPerThousand = 0.0;
    double changesPerHundred = 0.0;
    double blurredMean = 0.0;
    double colours = 0.0;
};

// [1 4 6 4 1] / 16 across and down in linear light, the edge stitches repeated beyond the edge.
Picture Blurred(const Picture& picture) {
    constexpr std::array<double, 5> kernel{1 / 16.0, 4 / 16.0, 6 / 16.0, 4 / 16.0, 1 / 16.0};
    const int w = picture.width;
    const int h = picture.height;
    std::vector<std::array<double, 3>> linear(picture.colours.size());
    for (std::size_t i = 0; i < linear.size(); ++i) {
        const TColor c = picture.colours[i];
        linear[i] = {LinearOf(RedOf(c)), LinearOf(GreenOf(c)), LinearOf(BlueOf(c))};
    }
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::array<double, 3>> out(linear.size(), {0, 0, 0});
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                for (int k = -2; k <= 2; ++k) {
                    const int sx = pass == 0 ? std::clamp(x + k, 0, w - 1) : x;
                    const int sy = pass == 1 ? std::clamp(y + k, 0, h - 1) : y;
                    for (int ch = 0; ch < 3; ++ch)
                        out[GridIndex(x, y, w)][ch] +=
                            kernel[k + 2] * linear[GridIndex(sx, sy, w)][ch];
                }
            }
        }
        linear = std::move(out);
    }
    Picture result{w, h, {}};
    for (const auto& v : linear)
        result.colours.push_back(RGB(SrgbOf(v[0]), SrgbOf(v[1]), SrgbOf(v[2])));
    return result;
}

std::vector<double> Differences(const Picture& first, const Picture& second) {
    const std::vector<LabColour> a = ToLab(first.colours);
    const std::vector<LabColour> b = ToLab(second.colours);
    std::vector<double> d(a.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        d[i] = DeltaE00(a[i], b[i]);
    return d;
}

Figures Measure(const Picture& photo, const Picture& chart) {
    Figures f;
    std::vector<double> d = Differences(photo, chart);
    for (double v : d)
        f.mean += v;
    f.mean /= static_cast<double>(d.size());
    std::sort(d.begin(), d.end());
    f.p95 = d[static_cast<std::size_t>(0.95 * static_cast<double>(d.size() - 1))];
    const int w = chart.width;
    const int h = chart.height;
    int isolated = 0;
    int changes = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const TColor own = chart.colours[GridIndex(x, y, w)];
            if (x > 0 && chart.colours[GridIndex(x - 1, y, w)] != own)
                ++changes;
            bool shared = false;
            for (int dy = -1; dy <= 1 && !shared; ++dy) {
                for (int dx = -1; dx <= 1 && !shared; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    shared = (dx != 0 || dy != 0) && nx >= 0 && ny >= 0 && nx < w && ny < h &&
                             chart.colours[GridIndex(nx, ny, w)] == own;
                }
            }
            isolated += shared ? 0 : 1;
        }
    }
    const double stitches = static_cast<double>(w) * h;
    f.isolatedPerThousand = 1000.0 * isolated / stitches;
    f.changesPerHundred = 100.0 * changes / stitches;
    const std::vector<double> blurred = Differences(Blurred(photo), Blurred(chart));
    for (double v : blurred)
        f.blurredMean += v / static_cast<double>(blurred.size());
    std::vector<TColor> distinct = chart.colours;
    std::sort(distinct.begin(), distinct.end());
    f.colours =
        static_cast<double>(std::unique(distinct.begin(), distinct.end()) - distinct.begin());
    return f;
}

Picture Chart(const TBitmap& fitted, const MakeOptions& options) {
    TImage image;
    image.Picture().SetGraphic(&fitted);
    const CensusResult result = TakeRefinedCensus(image, {}, options);
    if (const auto* refusal = std::get_if<CensusRefusal>(&result))
        throw std::runtime_error("refused: " + refusal->text);
    const Census& census = std::get<Census>(result);
    Picture chart{census.width, census.height, {}};
    for (int y = 0; y < census.height; ++y) {
        for (int x = 0; x < census.width; ++x)
            chart.colours.push_back(census.ColorAt(x, y));
    }
    return chart;
}

struct Setting {
    const char* name;
    int maxColours;
    bool clean;
    bool dither;
};

// Without the clean too, to show what it costs in likeness, and snapped without a budget:
// the least difference the threads allow.
constexpr Setting kSettings[] = {{"clean 24", 24, true, false},
                                 {"clean 12", 12, true, false},
                                 {"clean 30 (photo default)", kPhotoColourBudget, true, false},
                                 {"no clean 24", 24, false, false},
                                 {"no clean 12", 12, false, false},
                                 {"snap only (the floor)", 0, false, false},
                                 {"dither 24", 24, false, true}};

void Print(const char* what, const Figures& f) {
    std::printf(
        "  %-26s colours %5.1f  mean %6.3f  p95 %6.3f  isolated/1000 %6.2f  "
        "changes/100 %5.1f  blurred mean %5.2f\n",
        what, f.colours, f.mean, f.p95, f.isolatedPerThousand, f.changesPerHundred, f.blurredMean);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::vector<std::string> photos(argv + 1, argv + argc);
        if (photos.empty()) {
            for (const char* name : kDefaultPhotos)
                photos.push_back(std::string(kPhotoFolder) + name);
        }
        const auto dmc = threads::FindCatalogueByTitle("DMC", threads::CatalogueFolders());
        if (!dmc) {
            std::fprintf(stderr, "chart_quality: no DMC catalogue found (install kxstitch)\n");
            return 1;
        }
        std::vector<Figures> sums(std::size(kSettings));
        for (const std::string& path : photos) {
            PhotoOptions photoOptions;
            photoOptions.fit = StitchSize{120, 120};
            const auto fitted = ReadPhotoFile(path, photoOptions);
            Picture photo{fitted->Width(), fitted->Height(), {}};
            for (int y = 0; y < photo.height; ++y) {
                for (int x = 0; x < photo.width; ++x)
                    photo.colours.push_back(fitted->GetPixel(x, y));
            }
            std::printf("%s (%d x %d)\n", path.c_str(), photo.width, photo.height);
            for (std::size_t s = 0; s < std::size(kSettings); ++s) {
                MakeOptions options;
                options.snapColours = dmc->Colours();
                options.maxColours = kSettings[s].maxColours;
                options.clean = kSettings[s].clean;
                options.dither = kSettings[s].dither;
                const Figures f = Measure(photo, Chart(*fitted, options));
                Print(kSettings[s].name, f);
                sums[s].mean += f.mean;
                sums[s].p95 += f.p95;
                sums[s].isolatedPerThousand += f.isolatedPerThousand;
                sums[s].changesPerHundred += f.changesPerHundred;
                sums[s].blurredMean += f.blurredMean;
                sums[s].colours += f.colours;
            }
        }
        std::printf("mean over %zu photos\n", photos.size());
        const double n = static_cast<double>(photos.size());
        for (std::size_t s = 0; s < std::size(kSettings); ++s) {
            Figures& f = sums[s];
            f.mean /= n;
            f.p95 /= n;
            f.isolatedPerThousand /= n;
            f.changesPerHundred /= n;
            f.blurredMean /= n;
            f.colours /= n;
            Print(kSettings[s].name, f);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "chart_quality: %s\n", error.what());
        return 1;
    }
    return 0;
}
