// brodix-chart run as a program, on BMP files written here in several formats.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <poppler-document.h>
#include <poppler-page.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchRun.h"
#include "batch/OptionTable.h"
#include "engine/SymbolSheet.h"
#include "export_test_support.h"
#include "photo_files.h"
#include "raster/Geometry.h"

namespace brodix {
namespace {

using testing::ColorAt;
using testing::SavedBmp;
using testing::TempDir;

const std::string kProgram = std::string(BRODIX_BIN_DIR) + "/brodix-chart";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    long peakKb = 0;  // the command's peak resident memory
};

// Where the command's standard output goes: captured, into a file, closed, or into a pipe that
// nobody reads; or captured under a file size limit of 4 KB.
enum class Output { Captured, DevFull, Closed, BrokenPipe, SizeLimited };

// standardOutput: a file that standard output appends to instead of being captured.
Outcome RunChart(const std::vector<std::string>& arguments, const std::string& folder,
                 const std::string& program = kProgram, Output output = Output::Captured,
                 const std::string& standardOutput = "") {
    TempDir capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::chdir(folder.c_str()) != 0)
            ::_exit(127);
        const int target = output == Output::DevFull ? ::open("/dev/full", O_WRONLY)
                           : standardOutput.empty()  ? out
                                                     : ::open(standardOutput.c_str(),
                                                              O_WRONLY | O_APPEND | O_CREAT, 0600);
        if (target < 0)
            ::_exit(127);
        ::dup2(target, 1);
        ::dup2(err, 2);
        if (output == Output::Closed)
            ::close(1);
        int pipe[2];
        if (output == Output::BrokenPipe && ::pipe(pipe) == 0) {
            ::dup2(pipe[1], 1);
            ::close(pipe[0]);
        }
        const rlimit limit{4096, 4096};
        if (output == Output::SizeLimited)
            ::setrlimit(RLIMIT_FSIZE, &limit);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.peakKb = usage.ru_maxrss;
    const auto text = [](const std::string& path) {
        const auto bytes = testing::ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    };
    outcome.out = text(outPath);
    outcome.err = text(errPath);
    return outcome;
}

// The test symbol sheet: in cell k, interior pixels in pure black and in near-black 0x010101,
// in a pattern of its own; borders white. Only the pure black may reach the saved chart.
TColor SheetColor(int x, int y) {
    const int k = (y / 12) * 10 + x / 12;
    const int lx = x % 12;
    const int ly = y % 12;
    if (k >= 255 || lx < 2 || lx > 10 || ly < 2 || ly > 10)
        return clWhite;
    switch ((7 * lx + 3 * ly + k) % 5) {
        case 0:
            return clBlack;
        case 1:
            return 0x010101;
        default:
            return clWhite;
    }
}

// The saved chart as Make draws it and Save copies it: the last cell drawn over a shared border
// wins, grid lines every five cells, black only where the chart is pure black.
bool ChartBlack(int gx, int gy, int w, int h, const ColorAt& picture,
                const std::vector<TColor>& palette) {
    const int chartWidth = 12 * w + 1;
    const int chartHeight = 12 * h + 1;
    if ((gy % 60 == 0 && gx < chartWidth - 1) || (gx % 60 == 0 && gy < chartHeight - 1)) {
        return true;
    }
    const int cx = std::min(gx / 12, w - 1);
    const int cy = std::min(gy / 12, h - 1);
    const int lx = gx - 12 * cx;
    const int ly = gy - 12 * cy;
    const TColor color = picture(cx, cy);
    if (color == clWhite)
        return (ly % 12 == 0 && lx % 2 == 0) || (lx % 12 == 0 && ly % 2 == 0);
    const int k =
        static_cast<int>(std::find(palette.begin(), palette.end(), color) - palette.begin());
    return SheetColor(12 * (k % 10) + lx, 12 * (k / 10) + ly) == clBlack;
}

struct Picture {
    const char* label;
    int bpp;
    int w;
    int h;
    ColorAt color;
};

class ChartOfFormat : public ::testing::TestWithParam<Picture> {};

TEST_P(ChartOfFormat, WritesExactChartAndEnlargedPicture) {
    const Picture& p = GetParam();
    TempDir dir;
    testing::WriteFileBytes(dir / "sheet.bmp", testing::BmpBytes(121, 313, 24, [](int x, int y) {
                                return SheetColor(x, y);
                            }));
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(p.w, p.h, p.bpp, p.color));

    const Outcome run =
        RunChart({"--symbols", dir / "sheet.bmp", "pic.bmp", dir / "rose"}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress when standard error is no terminal
    std::string pages;
    if (p.w > 50)
        pages = dir / "rose_CS11.bmp\n" + dir / "rose_CS21.bmp\n";
    EXPECT_EQ(run.out,
              dir / "rose_CS.bmp\n" + pages + dir / "rose_color.bmp\n" + dir / "rose_CSC.bmp\n");

    std::vector<TColor> palette;
    for (int y = 0; y < p.h; ++y) {
        for (int x = 0; x < p.w; ++x) {
            if (std::find(palette.begin(), palette.end(), p.color(x, y)) == palette.end()) {
                palette.push_back(p.color(x, y));
            }
        }
    }
    std::sort(palette.rbegin(), palette.rend());

    EXPECT_EQ(testing::ReadFileBytes(dir / "rose_CS.bmp"),
              testing::MonochromeBmpBytes(12 * p.w + 1, 12 * p.h + 1, [&](int x, int y) {
                  return ChartBlack(x, y, p.w, p.h, p.color, palette);
              }));
    const int scale = std::min(600 / p.w, 800 / p.h);
    EXPECT_EQ(testing::ReadFileBytes(dir / "rose_CSC.bmp"),
              testing::BmpBytes(p.w * scale, p.h * scale, 32,
                                [&](int x, int y) { return p.color(x / scale, y / scale); }));
    const SavedBmp legend(dir / "rose_color.bmp");
    const int n = static_cast<int>(palette.size());
    ASSERT_EQ(legend.width, 90 * ((n - 1) / 50 + 1));
    ASSERT_EQ(legend.height, n <= 50 ? 15 * n : 750);
    for (int i = 0; i < n; ++i) {
        const int left = 90 * (i / 50);
        const int top = 15 * (i % 50);
        EXPECT_EQ(legend.Pixel(left + 10, top + 7), palette[i]) << "swatch " << i;
        EXPECT_EQ(legend.Pixel(left, top), clWhite - palette[i]) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ChartOfFormat,
    ::testing::Values(
        Picture{"bpp1", 1, 13, 11,
                [](int x, int y) { return (x * y) % 3 == 0 ? clWhite : 0x2040A0; }},
        Picture{"bpp4", 4, 13, 11,
                [](int x, int y) {
                    const int i = (3 * x + 5 * y) % 16;
                    return i == 0 ? clWhite : RGB(16 * i, 255 - 16 * i, 8 * i);
                }},
        Picture{"bpp8", 8, 13, 11,
                [](int x, int y) { return RGB(40 * (x % 6), 30 * (y % 7), 255); }},
        Picture{"bpp24", 24, 13, 11,
                [](int x, int y) { return x == y ? clWhite : RGB(19 * x, 23 * y, (x * y) % 256); }},
        Picture{"bpp32", 32, 13, 11, [](int x, int y) { return RGB(x, y, 0); }},
        Picture{"bpp24pages", 24, 51, 3, [](int x, int y) { return RGB(x % 9, y, 1); }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(BrodixChart, RefusalPrintsTitleAndTextAndWritesNothing) {
    struct Case {
        int w, h;
        std::vector<std::string> options;
        std::string err, hint;
    };
    const ColorAt many = [](int x, int y) { return RGB(16 * x, 16 * y, 0); };  // 256 colours
    for (const Case& c :
         {Case{201,
               1,
               {},
               "BITMAP size error\nThis bitmap is 201x1\nOver 200x200 !!\n",
               "is 201 x 1 pixels, more than a chart of 200 x 200 stitches: add --fit 200 (or a "
               "smaller size) to fit it, or leave out NAME to write the pattern alone (--pdf, "
               "--oxs, --preview or --key), which may be as large as 1000 x 1000 stitches\n"},
          Case{16,
               16,
               {},
               "BITMAP Color error\nThis bitmap is \nOver 255 colors!!\n",
               "has more than 255 colours after the levels: add --max-colours 255 (or fewer) to "
               "keep the ones that represent it best, or --snap to match them to threads\n"}}) {
        TempDir dir;
        testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(c.w, c.h, 24, many));
        const std::string folder = std::filesystem::canonical(dir.Path()).string();
        const Outcome run = RunChart({"--symbols", dir / "none.bmp", "pic.bmp", "out"}, dir.Path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        // The unreadable sheet is reported first; the refusal follows it, each fixed text as the
        // window shows it, then what to do.
        EXPECT_EQ(run.err, "ファイル " + dir / "none.bmp" +
                               " は開けません.\nbrodix-chart: cannot read "
                               "the symbol sheet " +
                               dir / "none.bmp" +
                               ": No such file or directory; the chart is made without symbols\n" +
                               c.err + "brodix-chart: " + folder + "/pic.bmp " + c.hint);
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"pic.bmp"});
    }
}

TEST(BrodixChart, LevelsBringManyColoursUnderTheLimit) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(16, 16, 24, [](int x, int y) {
                                return RGB(16 * x, 16 * y, 0);
                            }));
    for (const std::vector<std::string>& levels :
         {std::vector<std::string>{"--red", "4"}, {"--red=Org", "--green=4", "--blue", "6"}}) {
        std::vector<std::string> arguments = levels;
        arguments.insert(arguments.end(), {"pic.bmp", "rose"});
        const Outcome run = RunChart(arguments, dir.Path());
        EXPECT_EQ(run.status, 0) << run.err;
    }
}

TEST(BrodixChart, NamesFollowTheSaveDialog) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    const Outcome plain = RunChart({"pic.bmp", "rose"}, dir.Path());
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, folder + "/rose_CS.bmp\n" + folder + "/rose_color.bmp\n" + folder +
                             "/rose_CSC.bmp\n");
    const Outcome jpg = RunChart({"pic.bmp", "rose.jpg"}, dir.Path());
    EXPECT_EQ(jpg.status, 0) << jpg.err;
    EXPECT_EQ(jpg.out, folder + "/rose_CS.jpg\n" + folder + "/rose_color.jpg\n" + folder +
                           "/rose_CSC.jpg\n");
    EXPECT_EQ(testing::ReadFileBytes(dir / "rose_CSC.jpg").at(0), 'B');
}

// Each fixed text stays exactly as the window shows it; a plain-English line with the reason
// follows it.
TEST(BrodixChart, FailuresPrintTheMessageBoxTextThenWhatFailedAndWhy) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    testing::WriteFileBytes(dir / "file", {1});
    testing::WriteFileBytes(dir / "pic.ico", {0, 0, 1, 0, 0, 0});  // an icon with no images
    struct Case {
        std::string picture, name, err;
    };
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    for (const Case& c :
         {Case{"missing.bmp", "rose",
               "ファイル " + folder + "/missing.bmp は開けません.\nbrodix-chart: cannot read " +
                   folder + "/missing.bmp: No such file or directory\n"},
          Case{"pic.gif", "rose",
               "拡張子 .gif の画像形式は処理できません.\nbrodix-chart: cannot read " + folder +
                   "/pic.gif: No such file or directory\n"},
          Case{"pic.ico", "rose",
               "ビットマップを持っている時のみイメージの変更が可能です.\nbrodix-chart: cannot "
               "chart " +
                   folder +
                   "/pic.ico: only bitmaps are charted, and an icon or metafile "
                   "is none; save it as PNG or BMP and chart that\n"},
          Case{"pic.bmp", dir / "file/rose",
               "ファイル " + dir / "file/rose_CS.bmp" +
                   " を作成できません.\nbrodix-chart: cannot "
                   "write " +
                   dir / "file/rose_CS.bmp" + ": Not a directory\n"}}) {
        const Outcome run = RunChart({"--symbols", "pic.bmp", c.picture, c.name}, dir.Path());
        EXPECT_EQ(run.status, 2) << c.picture;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

// The PDF is no file of the framework's design: its failures speak plain English alone (a file
// in place of the folder is tested in PdfIsWrittenBesideOrInsteadOfTheBmpFiles).
TEST(BrodixChart, APdfOrOxsFileThatCannotBeWrittenSaysWhy) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    std::filesystem::create_directory(dir / "locked");
    std::filesystem::permissions(
        dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    struct Case {
        std::string option, file, reason;
    };
    testing::WriteFileBytes(dir / "file", {1});
    for (const Case& c : {Case{"--pdf", dir / "file/rose.pdf", "Not a directory"},
                          Case{"--pdf", dir / "locked/rose.pdf", "Permission denied"},
                          Case{"--oxs", dir / "file/rose.oxs", "Not a directory"}}) {
        if (c.reason == "Permission denied" && ::geteuid() == 0)
            continue;  // the superuser writes into any folder
        const Outcome run =
            RunChart({"--threads", "none", c.option, c.file, "pic.bmp"}, dir.Path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "brodix-chart: cannot write " + c.file + ": " + c.reason + ".\n");
    }
}

// A list of files that cannot be written is reported and fails the run; the files are written.
TEST(BrodixChart, UnwritableListOfFilesFails) {
    for (const Output output : {Output::DevFull, Output::Closed}) {
        TempDir dir;
        testing::WriteFileBytes(dir / "pic.bmp",
                                testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
        const Outcome run = RunChart({"pic.bmp", "rose"}, dir.Path(), kProgram, output);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.rfind("brodix-chart: cannot write the list of files: ", 0), 0u)
            << run.err;
        EXPECT_EQ(dir.Files(), (std::vector<std::string>{"pic.bmp", "rose_CS.bmp", "rose_CSC.bmp",
                                                         "rose_color.bmp"}));
    }
}

TEST(BrodixChart, NullEndsEveryNameOfTheList) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    const std::string folder = std::filesystem::canonical(dir.Path()).string() + "/";
    for (const char* option : {"-z", "--null"}) {
        const Outcome run = RunChart({option, "pic.bmp", "a\nb"}, dir.Path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, folder + "a\nb_CS.bmp" + '\0' + folder + "a\nb_color.bmp" + '\0' +
                               folder + "a\nb_CSC.bmp" + '\0');
    }
}

// The README's example, typed where its output folder does not exist yet; the PDF's alike.
TEST(BrodixChart, MakesTheOutputFolder) {
    const std::vector<std::vector<std::string>> cases{
        {"rose.bmp", "out/rose", "out/rose_CS.bmp"},
        {"rose.bmp", "out/deeper/rose", "out/deeper/rose_CS.bmp"},
        {"--pdf", "pdf/deeper/rose.pdf", "rose.bmp", "pdf/deeper/rose.pdf"}};
    for (std::vector<std::string> arguments : cases) {
        TempDir dir;
        testing::WriteFileBytes(dir / "rose.bmp",
                                testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
        const std::string made = arguments.back();
        arguments.pop_back();
        arguments.insert(arguments.begin(), {"--red", "4", "--green", "4", "--blue", "4"});
        const Outcome run = RunChart(arguments, dir.Path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(std::filesystem::exists(dir / made)) << made;
    }
}

TEST(BrodixChart, SymbolSheetIsLookedUpBesideTheProgram) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    const std::string copy = dir / "brodix-chart";
    std::filesystem::copy_file(kProgram, copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);

    const Outcome without = RunChart({"pic.bmp", "a"}, dir.Path(), copy);
    EXPECT_EQ(without.status, 0);
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    EXPECT_EQ(without.err, "ファイル " + folder +
                               "/Brodix.bmp は開けません.\nbrodix-chart: cannot read the "
                               "symbol sheet " +
                               folder +
                               "/Brodix.bmp: No such file or directory; "
                               "the chart is made without symbols\n");

    testing::WriteFileBytes(dir / "Brodix.bmp", testing::BmpBytes(121, 313, 24, [](int x, int y) {
                                return SheetColor(x, y);
                            }));
    const Outcome with = RunChart({"pic.bmp", "b"}, dir.Path(), copy);
    EXPECT_EQ(with.status, 0);
    EXPECT_EQ(with.err, "");

    // A sheet that loads as another kind of picture is no sheet: reported, and the chart is
    // made without symbols.
    testing::WriteFileBytes(dir / "sheet.ico", {0, 0, 1, 0, 0, 0});
    const Outcome icon = RunChart({"--symbols", "sheet.ico", "pic.bmp", "c"}, dir.Path(), copy);
    EXPECT_EQ(icon.status, 0);
    EXPECT_EQ(icon.err,
              "ビットマップイメージが不正です.\nbrodix-chart: cannot read the symbol sheet " +
                  folder +
                  "/sheet.ico: it is damaged or not a BMP picture; the chart "
                  "is made without symbols\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "c_CS.bmp"));
}

TEST(BrodixChart, PdfIsWrittenBesideOrInsteadOfTheBmpFiles) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    testing::WriteFileBytes(dir / "file", {1});
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    const auto text = [&](const std::string& name) {
        const auto bytes = testing::ReadFileBytes(dir / name);
        return std::string(bytes.begin(), bytes.end());
    };

    const Outcome alone = RunChart({"--pdf", "rose.pdf", "pic.bmp"}, dir.Path());
    EXPECT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(alone.out, folder + "/rose.pdf\n");
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"file", "pic.bmp", "rose.pdf"}));
    EXPECT_EQ(text("rose.pdf").rfind("%PDF-", 0), 0u);
    EXPECT_NE(text("rose.pdf").find("595.275591 841.889764"), std::string::npos);  // A4

    const Outcome both = RunChart(
        {"--paper", "Letter", "--chart-style=tint", "--pdf=b.pdf", "pic.bmp", "b"}, dir.Path());
    EXPECT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(both.out, folder + "/b_CS.bmp\n" + folder + "/b_color.bmp\n" + folder +
                            "/b_CSC.bmp\n" + folder + "/b.pdf\n");
    EXPECT_NE(text("b.pdf").find("612 792"), std::string::npos);

    const Outcome failed = RunChart({"--pdf", dir / "file/x.pdf", "pic.bmp"}, dir.Path());
    EXPECT_EQ(failed.status, 2);
    EXPECT_EQ(failed.err,
              "brodix-chart: cannot write " + dir / "file/x.pdf" + ": Not a directory.\n");
    EXPECT_EQ(failed.out, "");
}

// A chart written with --oxs and charted again under the same options gives the same files, and
// from a copy under another name the same OXS file, its title kept.
TEST(BrodixChartOxs, AChartChartedAgainFromItsOxsFileGivesTheSameFiles) {
    TempDir dir;
    // 60 x 8 (two pages), white cells among 96 shades.
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(60, 8, 24, [](int x, int y) {
                                return (x + y) % 7 == 0 ? clWhite
                                                        : RGB(40 * (x / 10), 90 + 20 * (y / 2),
                                                              200 - 9 * (x % 4));
                            }));
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{}, {"--threads", "anchor", "--snap"}}) {
        std::vector<std::string> first = options;
        first.insert(first.end(), {"--key=csv", "--oxs", "a.oxs", "pic.bmp", "one"});
        std::vector<std::string> again = options;
        again.insert(again.end(), {"--key=csv", "--oxs", "b.oxs", "copy.oxs", "two"});
        const Outcome written = RunChart(first, dir.Path());
        ASSERT_EQ(written.status, 0) << written.err;
        testing::WriteFileBytes(dir / "copy.oxs", testing::ReadFileBytes(dir / "a.oxs"));
        const Outcome read = RunChart(again, dir.Path());
        ASSERT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(read.err, "");
        const auto key = [](const std::string& out) { return out.substr(out.find("symbol,")); };
        EXPECT_EQ(key(read.out), key(written.out));
        EXPECT_EQ(testing::ReadFileBytes(dir / "b.oxs"), testing::ReadFileBytes(dir / "a.oxs"));
        for (const char* suffix : {"_CS.bmp", "_CS11.bmp", "_CS21.bmp", "_color.bmp", "_CSC.bmp"}) {
            const auto bytes = testing::ReadFileBytes(dir / (std::string("one") + suffix));
            EXPECT_FALSE(bytes.empty()) << suffix;
            EXPECT_EQ(testing::ReadFileBytes(dir / (std::string("two") + suffix)), bytes)
                << suffix << ::testing::PrintToString(options);
        }
    }
}

TEST(BrodixChartOxs, AnOxsPictureIsChartedAtItsOwnSizeWithWhatWasLeftOutReported) {
    TempDir dir;
    const auto write = [&](const std::string& name, const std::string& text) {
        testing::WriteFileBytes(dir / name, testing::Bytes(text.begin(), text.end()));
    };
    const std::string palette =
        R"(<palette><palette_item index="0" color="FFFFFF"/><palette_item index="1" )"
        R"(color="102030"/></palette>)";
    write("part.xml", R"(<chart><properties chartwidth="4" chartheight="3"/>)" + palette +
                          R"(<fullstitches><stitch x="1" y="1" palindex="1"/></fullstitches>)"
                          R"(<partstitches><partstitch x="0" y="0" palindex1="1"/>)"
                          R"(</partstitches></chart>)");
    write("wide.oxs",
          R"(<chart><properties chartwidth="201" chartheight="1"/>)" + palette + "</chart>");
    write("bad.oxs", "<chart><palette></chart>");
    // 16 x 16 stitches of 256 colours: refused as any such picture, never reduced.
    std::string many = R"(<chart><properties chartwidth="16" chartheight="16"/><palette>)";
    std::string stitches;
    for (int i = 1; i <= 256; ++i) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "0000%02X", i - 1);
        many += "<palette_item index=\"" + std::to_string(i) + "\" color=\"" + colour + "\"/>";
        stitches += "<stitch x=\"" + std::to_string((i - 1) % 16) + "\" y=\"" +
                    std::to_string((i - 1) / 16) + "\" palindex=\"" + std::to_string(i) + "\"/>";
    }
    write("many.oxs", many + "</palette><fullstitches>" + stitches + "</fullstitches></chart>");

    // Told by its contents, whatever its name; the picture is neither fitted nor blended.
    const Outcome part = RunChart({"part.xml", "part"}, dir.Path());
    EXPECT_EQ(part.status, 0);
    EXPECT_EQ(part.err, "brodix-chart: " + dir / "part.xml" +
                            ": only full stitches can be charted; left out 1 part "
                            "stitch.\n");
    EXPECT_EQ(SavedBmp(dir / "part_CS.bmp").width, 4 * 12 + 1);
    const Outcome fitted = RunChart({"--fit", "8", "part.xml", "fitted"}, dir.Path());
    EXPECT_EQ(fitted.err, part.err);
    EXPECT_EQ(SavedBmp(dir / "fitted_CS.bmp").width, 8 * 12 + 1);

    for (const auto& [refused, reason] :
         {std::pair{"wide.oxs", "Over 200x200 !!"}, std::pair{"many.oxs", "Over 255 colors!!"}}) {
        const Outcome run = RunChart({refused, "refused"}, dir.Path());
        EXPECT_EQ(run.status, 1) << refused;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    const Outcome bad = RunChart({"bad.oxs", "bad"}, dir.Path());
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.rfind(
                  "brodix-chart: " + dir / "bad.oxs" + ": the OXS file is not well-formed XML", 0),
              0u)
        << bad.err;

    // --oxs alone writes only the OXS file.
    const Outcome alone = RunChart({"--oxs", "p.oxs", "part.xml"}, dir.Path());
    EXPECT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(alone.out, std::filesystem::canonical(dir.Path()).string() + "/p.oxs\n");
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"bad.oxs", "fitted_CS.bmp", "fitted_CSC.bmp",
                                                     "fitted_color.bmp", "many.oxs", "p.oxs",
                                                     "part.xml", "part_CS.bmp", "part_CSC.bmp",
                                                     "part_color.bmp", "wide.oxs"}));
}

// Standard output is an output: a file it goes to may be no input and no other output.
TEST(BrodixChartHostile, StandardOutputIntoAnInputOrAnOutputIsRefused) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(2, 2, 24, [](int x, int) {
                                return x ? clBlack : RGB(200, 0, 0);
                            }));
    ASSERT_EQ(RunChart({"--oxs", "pic.oxs", "pic.bmp"}, dir.Path()).status, 0);
    const testing::Bytes chart = testing::ReadFileBytes(dir / "pic.oxs");
    const struct {
        std::vector<std::string> arguments;
        std::string standardOutput;
        std::string refusal;  // empty: written
    } cases[] = {
        {{"--key", "--oxs", "k.txt", "pic.bmp"}, "k.txt", "which this run writes as well"},
        {{"--key", "pic.oxs"}, "pic.oxs", "which this run reads"},
        {{"pic.bmp", "rose"}, "rose_CS.bmp", "which this run writes as well"},
        {{"--key", "pic.oxs"}, "key.txt", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.standardOutput);
        testing::WriteFileBytes(dir / "pic.oxs", chart);
        const std::string out = dir / c.standardOutput;
        const Outcome run = RunChart(c.arguments, dir.Path(), kProgram, Output::Captured, out);
        if (c.refusal.empty()) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_FALSE(testing::ReadFileBytes(out).empty());
            continue;
        }
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "brodix-chart: cannot write standard output: it is " + out + ", " +
                               c.refusal + "; send it to another file.\n");
        EXPECT_EQ(testing::ReadFileBytes(dir / "pic.oxs"), chart) << "the input is kept";
        std::remove(out.c_str());
    }
}

// A pipe that a child process fills with bytes, read by its name /dev/fd/N as a shell's
// <(cat file) is.
class FilledPipe {
  public:
    explicit FilledPipe(const testing::Bytes& bytes) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_writer = ::fork();
        if (m_writer == 0) {
            ::close(fds[0]);
            (void)!::write(fds[1], bytes.data(), bytes.size());
            ::_exit(0);
        }
        ::close(fds[1]);
        m_fd = fds[0];
    }
    ~FilledPipe() {
        ::close(m_fd);
        ::waitpid(m_writer, nullptr, 0);
    }
    std::string Name() const { return "/dev/fd/" + std::to_string(m_fd); }

  private:
    int m_fd = -1;
    pid_t m_writer = -1;
};

// Under --fit and from a pipe a file's kind is its contents; without --fit a picture named .oxs
// is that picture, and the other names keep the loader's rule. A pipe is read once.
TEST(BrodixChartKinds, TheContentsTellTheKindAndAPipeIsReadOnce) {
    TempDir dir;
    const testing::Bytes png =
        testing::MakePng(3, 2, PNG_COLOR_TYPE_RGB, 8,
                         {255, 0, 0, 0, 0, 255, 9, 9, 9, 255, 0, 0, 0, 0, 255, 255, 255, 255});
    const testing::Bytes bmp =
        testing::BmpBytes(3, 2, 24, [](int x, int) { return x == 0 ? clBlack : clWhite; });
    testing::WriteFileBytes(dir / "photo.png", png);
    testing::WriteFileBytes(dir / "photo.oxs", png);
    testing::WriteFileBytes(dir / "pic.bmp", bmp);
    testing::WriteFileBytes(dir / "pic.xyz", bmp);
    ASSERT_EQ(RunChart({"--oxs", "chart.oxs", "pic.bmp"}, dir.Path()).status, 0);
    const testing::Bytes oxs = testing::ReadFileBytes(dir / "chart.oxs");
    const std::string text = "plain text";
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        std::vector<std::string> sameAs;  // empty: refused
        testing::Bytes piped = {};
        std::string refusal = {};
    } cases[] = {
        {"a PNG named .oxs, fitted", {"--fit", "3", "photo.oxs"}, {"--fit", "3", "photo.png"}},
        {"a PNG named .oxs", {"photo.oxs"}, {"photo.png"}},
        {"a BMP named .xyz, fitted", {"--fit", "3", "pic.xyz"}, {"pic.bmp"}},
        {"a BMP named .xyz",
         {"pic.xyz"},
         {},
         {},
         "拡張子 .xyz の画像形式は処理できません.\nbrodix-chart: cannot read " + dir / "pic.xyz" +
             ": it is neither a BMP, icon or metafile (told by its extension) nor a PNG, JPEG or "
             "GIF picture or an OXS chart (told by its contents)\n"},
        {"an OXS chart from a pipe", {}, {"chart.oxs"}, oxs},
        {"a PNG from a pipe", {}, {"photo.png"}, png},
        {"a BMP from a pipe", {}, {"pic.bmp"}, bmp},
        {"text from a pipe",
         {},
         {},
         testing::Bytes(text.begin(), text.end()),
         " is neither a PNG, JPEG, GIF or BMP picture nor an OXS chart"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> arguments = {"--key=csv"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        std::unique_ptr<FilledPipe> pipe;
        if (!c.piped.empty()) {
            pipe = std::make_unique<FilledPipe>(c.piped);
            arguments.push_back(pipe->Name());
        }
        const Outcome run = RunChart(arguments, dir.Path());
        if (c.sameAs.empty()) {
            EXPECT_EQ(run.status, 2);
            EXPECT_NE(run.err.find(c.refusal), std::string::npos) << run.err;
            continue;
        }
        std::vector<std::string> same = {"--key=csv"};
        same.insert(same.end(), c.sameAs.begin(), c.sameAs.end());
        const Outcome expected = RunChart(same, dir.Path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, expected.out);
        EXPECT_NE(run.out.find("symbol,"), std::string::npos);
    }
}

// The command line's refusals and values are read in-process (batch_options_test.cpp); here,
// what the program does with them: its exit status, its streams and no file written.
TEST(BrodixChart, WrongCommandLineExitsWithItsReasonAndAPointerToHelp) {
    TempDir dir;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"--bogus", "pic.bmp", "a"},
                                               {"-z", "--red", "4", "--null", "pic.bmp", "a"},
                                               {"--fit", "1001", "--pdf", "p.pdf", "pic.bmp"}}) {
        std::string reason;
        try {
            ParseCommandLine(arguments);
        } catch (const UsageError& error) {
            reason = error.what();
        }
        ASSERT_NE(reason, "") << ::testing::PrintToString(arguments);
        const Outcome run = RunChart(arguments, dir.Path());
        EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(arguments);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("brodix-chart: " + reason + "\n", 0), 0u) << run.err;
        // Under the reason, one line that points to the help, not the whole usage.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
        EXPECT_TRUE(run.err.ends_with("\nTry 'brodix-chart --help' for more information.\n"))
            << run.err;
    }
    EXPECT_TRUE(dir.Files().empty());

    const Outcome help = RunChart({"--help"}, dir.Path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, HelpText());
    EXPECT_EQ(help.err, "");

    // --version answers alone, even beside a picture and a name, and writes nothing.
    const Outcome version = RunChart({"pic.bmp", "a", "--version"}, dir.Path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brodix-chart " BRODIX_VERSION "\n");
    EXPECT_TRUE(dir.Files().empty());
}

// Pictures of any kind and size: --fit and --background.

TEST(BrodixChartFit, APhotoIsFittedWithItsTransparencyOverTheChosenBackground) {
    TempDir dir;
    // 300 x 200: a transparent left half, an opaque blue right half.
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            rows.insert(rows.end(), {0, 0, 255, static_cast<std::uint8_t>(x < 150 ? 0 : 255)});
    testing::WriteFileBytes(dir / "photo.png",
                            testing::MakePng(300, 200, PNG_COLOR_TYPE_RGBA, 8, rows));

    const Outcome fitted =
        RunChart({"--fit", "120x80", "--background", "00FF00", "photo.png", "rose"}, dir.Path());
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    const SavedBmp enlarged(dir / "rose_CSC.bmp");
    const int scale = enlarged.width / 120;
    EXPECT_EQ(enlarged.height, 80 * scale);
    EXPECT_EQ(enlarged.Pixel(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(enlarged.Pixel(enlarged.width - 1, 0), RGB(0, 0, 255));

    // Without --fit the picture keeps its size: too large to chart, refused as a BMP would be.
    const Outcome unfitted = RunChart({"photo.png", "lily"}, dir.Path());
    EXPECT_EQ(unfitted.status, 1);
    EXPECT_NE(unfitted.err.find("300x200"), std::string::npos) << unfitted.err;
}

TEST(BrodixChartFit, BadPicturesAreReported) {
    TempDir dir;
    testing::WriteFileBytes(dir / "note.png", {'h', 'i'});
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    const Outcome bad = RunChart({"--fit", "50", "note.png", "rose"}, dir.Path());
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err,
              "brodix-chart: " + folder +
                  "/note.png is neither a PNG, JPEG, GIF or BMP picture nor an OXS chart.\n");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"note.png"});
    // Read as a photo, a missing file speaks plain English alone.
    const Outcome missing = RunChart({"--fit", "50", "gone.png", "rose"}, dir.Path());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "brodix-chart: cannot read " + folder + "/gone.png: No such file or directory.\n");
}

// The key as CSV: one vector of fields per row after the header.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, ',');)
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

TEST(BrodixChartThreads, SnapChartsAGradientWithOneSymbolPerThread) {
    TempDir dir;
    // 200 x 4 stitches of 800 shades of soft colour.
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(200, 4, 24, [](int x, int y) {
                                return RGB(40 + x, 90 + x / 2 + 10 * y, 200 - x / 2);
                            }));
    EXPECT_EQ(RunChart({"pic.bmp", "plain"}, dir.Path()).status, 1);
    const Outcome run = RunChart({"--snap", "--key=csv", "pic.bmp", "snapped"}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = CsvRows(run.out.substr(run.out.find("symbol,")));
    std::vector<std::string> threads;
    int stitches = 0;
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 8u);
        threads.push_back(row[2]);
        EXPECT_EQ(row[4], "0.00");  // every colour is a thread's own
        EXPECT_EQ(row.size(), 8u) << "no row shares its thread: " << row.back();
        stitches += std::stoi(row[5]);
    }
    std::sort(threads.begin(), threads.end());
    EXPECT_EQ(std::unique(threads.begin(), threads.end()), threads.end());
    EXPECT_EQ(stitches, 800);
    EXPECT_TRUE(std::filesystem::exists(dir / "snapped_CS11.bmp"));
}

TEST(BrodixChartThreads, OptionsThatChangeNoColourLeaveTheFilesAsTheyWere) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(9, 7, 24, [](int x, int y) {
                                return RGB(20 * x, 30 * y, 90);
                            }));
    ASSERT_EQ(RunChart({"pic.bmp", "a"}, dir.Path()).status, 0);
    const Outcome run = RunChart({"--threads", "anchor", "--fabric", "18.5", "--strands", "3",
                                  "--max-colours", "255", "--key", "pic.bmp", "b"},
                                 dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* suffix : {"_CS.bmp", "_color.bmp", "_CSC.bmp"}) {
        EXPECT_EQ(testing::ReadFileBytes(dir / (std::string("a") + suffix)),
                  testing::ReadFileBytes(dir / (std::string("b") + suffix)))
            << suffix;
    }
    EXPECT_NE(run.out.find("Threads: Anchor\n"), std::string::npos);
    EXPECT_NE(run.out.find("18.5-count fabric with 3 strands"), std::string::npos);
}

TEST(BrodixChartThreads, KeyAloneCleanAndMerge) {
    TempDir dir;
    // Black with one white stitch inside and a 3-stitch grey line: --clean takes the white.
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(6, 5, 24, [](int x, int y) {
                                if (x == 2 && y == 2)
                                    return clWhite;
                                return y == 0 && x < 3 ? RGB(128, 128, 128) : clBlack;
                            }));
    const Outcome key = RunChart({"--key=csv", "pic.bmp"}, dir.Path());
    ASSERT_EQ(key.status, 0) << key.err;
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"pic.bmp"});
    const auto rows = CsvRows(key.out);
    ASSERT_EQ(rows.size(), 3u) << key.out;
    EXPECT_EQ(rows[0][3], "blank: not stitched");  // white is bare fabric
    EXPECT_EQ(rows[2][2], "310");

    const Outcome cleaned = RunChart({"--clean", "--key=csv", "pic.bmp"}, dir.Path());
    ASSERT_EQ(cleaned.status, 0) << cleaned.err;
    const auto cleanRows = CsvRows(cleaned.out);
    ASSERT_EQ(cleanRows.size(), 2u) << cleaned.out;
    EXPECT_EQ(cleanRows[1][5], "27");  // black: 26 + the white stitch

    const Outcome merged = RunChart({"--min-stitches", "4", "--key=csv", "pic.bmp"}, dir.Path());
    ASSERT_EQ(merged.status, 0) << merged.err;
    // The white stitch goes into the nearer grey, which then has 4 and stays.
    const auto mergedRows = CsvRows(merged.out);
    ASSERT_EQ(mergedRows.size(), 2u) << merged.out;
    EXPECT_EQ(mergedRows[0][1], "#808080");
    EXPECT_EQ(mergedRows[0][5], "4");
    EXPECT_EQ(mergedRows[1][5], "26");
}

TEST(BrodixChartThreads, AnUnknownOrBadCatalogueIsReported) {
    TempDir dir;
    testing::WriteFileBytes(dir / "pic.bmp",
                            testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
    const Outcome unknown = RunChart({"--threads", "Sullivans", "pic.bmp", "a"}, dir.Path());
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("brodix-chart: No thread catalogue 'Sullivans'; found: ", 0), 0u)
        << unknown.err;
    EXPECT_NE(unknown.err.find("DMC"), std::string::npos);
    testing::WriteFileBytes(dir / "bad.gpl", {'x'});
    const Outcome bad = RunChart({"--threads", "bad.gpl", "--snap", "pic.bmp", "a"}, dir.Path());
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("bad.gpl, line 1: is no GIMP palette"), std::string::npos) << bad.err;
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"bad.gpl", "pic.bmp"}));
}

TEST(BrodixChartHostile, OutputsNeverReplaceInputsAndWriteFailuresSayWhy) {
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        Output output;
        std::string err;  // the message that must be found
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"the picture as the PDF",
         {"--pdf", "pic.bmp", "pic.bmp"},
         Output::Captured,
         ": it is ",
         {"pic.bmp"}},
        {"the PDF as the chart",
         {"--pdf", "x_CS.bmp", "pic.bmp", "x"},
         Output::Captured,
         "this run already writes ",
         {"pic.bmp"}},
        {"the picture as the preview",
         {"--preview", "pic.bmp", "pic.bmp"},
         Output::Captured,
         ": it is ",
         {"pic.bmp"}},
        {"the preview as the PDF",
         {"--pdf", "p.png", "--preview", "p.png", "pic.bmp"},
         Output::Captured,
         "this run already writes ",
         {"pic.bmp"}},
        {"a list nobody reads",
         {"--pdf", "p.pdf", "pic.bmp", "x"},
         Output::BrokenPipe,
         "cannot write the list of files: Broken pipe",
         {"p.pdf", "pic.bmp", "x_CS.bmp", "x_CSC.bmp", "x_color.bmp"}},
        {"a key nobody reads",
         {"--key", "--threads", "none", "pic.bmp"},
         Output::BrokenPipe,
         "cannot write the key: Broken pipe",
         {"pic.bmp"}},
        {"a file size limit",
         {"--pdf", "p.pdf", "pic.bmp"},
         Output::SizeLimited,
         "p.pdf: File too large",
         {"pic.bmp"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        testing::WriteFileBytes(dir / "pic.bmp",
                                testing::BmpBytes(2, 2, 24, [](int, int) { return clBlack; }));
        const auto before = testing::ReadFileBytes(dir / "pic.bmp");
        const Outcome run = RunChart(c.arguments, dir.Path(), kProgram, c.output);
        EXPECT_EQ(run.status, 2) << c.what;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(dir.Files(), c.files) << c.what;
        EXPECT_EQ(testing::ReadFileBytes(dir / "pic.bmp"), before) << c.what;
    }
}

// The stitched preview, alone or beside the other files, listed after them; its size capped.
TEST(BrodixChart, ThePreviewIsWrittenAloneOrBesideTheOtherFiles) {
    TempDir dir;
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(30, 20, 24, [](int x, int) {
                                return RGB(x * 8, 9, 9);
                            }));
    const auto sizeOf = [&dir](const std::string& name) {
        const testing::Bytes png = testing::ReadFileBytes(dir / name);
        return png.size() < 24 ? std::pair{0, 0}
                               : std::pair{png[18] * 256 + png[19], png[22] * 256 + png[23]};
    };
    const Outcome alone = RunChart({"--preview", "a.png", "pic.bmp"}, dir.Path());
    EXPECT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(alone.out, folder + "/a.png\n");
    EXPECT_EQ(sizeOf("a.png"), (std::pair{300, 200}));
    const Outcome beside = RunChart({"--preview-size", "3", "--fabric-colour", "F0E6D2",
                                     "--preview", "out/b.png", "--oxs", "b.oxs", "pic.bmp", "b"},
                                    dir.Path());
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.out, folder + "/b_CS.bmp\n" + folder + "/b_color.bmp\n" + folder +
                              "/b_CSC.bmp\n" + folder + "/b.oxs\n" + folder + "/out/b.png\n");
    EXPECT_EQ(sizeOf("out/b.png"), (std::pair{90, 60}));
}

TEST(BrodixChartHostile, APhotoIsRefusedFromItsHeaderAndAPipeIsNotWaitedOn) {
    TempDir dir;
    testing::WriteFileBytes(
        dir / "big.png",
        testing::MakePng(3000, 3000, PNG_COLOR_TYPE_GRAY, 8, std::vector<std::uint8_t>(9'000'000)));
    testing::WriteFileBytes(dir / "small.png", testing::MakePng(16, 16, PNG_COLOR_TYPE_GRAY, 8,
                                                                std::vector<std::uint8_t>(256)));
    const Outcome small = RunChart({"small.png", "x"}, dir.Path());
    const Outcome big = RunChart({"big.png", "y"}, dir.Path());
    EXPECT_EQ(big.status, 1);
    EXPECT_EQ(big.err.rfind("BITMAP size error\nThis bitmap is 3000x3000\nOver 200x200 !!\n"
                            "brodix-chart: " +
                                dir / "big.png" + " is 3000 x 3000 pixels",
                            0),
              0u)
        << big.err;
    EXPECT_LT(big.peakKb, small.peakKb + 20 * 1024);

    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    EXPECT_TRUE(testing::EndsWithin(20, [&] {
        if (RunChart({"pipe.png", "z"}, dir.Path()).status != 2)
            ::_exit(1);
    }));
}

// The text of a PDF's pages from the second on (the key and the chart), as poppler reads it.
std::string TextAfterCover(const std::string& path) {
    const std::unique_ptr<poppler::document> pdf(poppler::document::load_from_file(path));
    if (!pdf)
        return {};
    std::string text;
    for (int i = 1; i < pdf->pages(); ++i) {
        const poppler::byte_array utf8 =
            std::unique_ptr<poppler::page>(pdf->create_page(i))->text().to_utf8();
        text.append(utf8.begin(), utf8.end());
    }
    return text;
}

TEST(BrodixChartThreads, PdfTotalsCountASharedThreadOnceAsTheKeyDoes) {
    TempDir dir;
    // Six greys on a catalogue of black and white: three rows share each thread.
    const std::string palette = "GIMP Palette\n0 0 0 310 Black\n255 255 255 B5200 White\n";
    testing::WriteFileBytes(dir / "two.gpl", testing::Bytes(palette.begin(), palette.end()));
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(6, 10, 24, [](int x, int) {
                                const int grey = x < 3 ? 10 * x : 235 + 10 * (x - 3);
                                return RGB(grey, grey, grey);
                            }));
    // The pure white is stitched too, as asked, in the PDF and the OXS file alike.
    const Outcome run = RunChart({"--threads", "two.gpl", "--stitch-white", "--key", "--pdf",
                                  "p.pdf", "--oxs", "p.oxs", "pic.bmp"},
                                 dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    const testing::Bytes oxs = testing::ReadFileBytes(dir / "p.oxs");
    const std::string oxsText(oxs.begin(), oxs.end());
    std::size_t stitched = 0;
    for (std::size_t at = oxsText.find("<stitch "); at != std::string::npos;
         at = oxsText.find("<stitch ", at + 1))
        ++stitched;
    EXPECT_EQ(stitched, 60u);
    // Each thread takes 30 stitches, far under a skein: two skeins in all, not six. Floss: 60
    // stitches x 4.83 x 2.54 / 14 cm x 2 strands / 6 strands a skein x 1.25 = 0.22 m.
    EXPECT_NE(run.out.find("Total: 60 stitches, 0.22 m, 2 skeins of 2 threads"), std::string::npos)
        << run.out;
    const std::string pdf = TextAfterCover(dir / "p.pdf");
    const std::size_t total = pdf.find("Total: 6 colours");
    ASSERT_NE(total, std::string::npos) << pdf;
    std::istringstream figures(pdf.substr(total + 16));
    std::string stitches, metres, skeins;
    figures >> stitches >> metres >> skeins;
    EXPECT_EQ(stitches, "60");
    EXPECT_EQ(metres, "0.2");
    EXPECT_EQ(skeins, "2");
}

// Photographs of more colours than a chart holds are charted with the photo defaults.

TEST(BrodixChartPhoto, ARefusedPhotoIsChartedWithThirtyColoursAndABmpIsNot) {
    TempDir dir;
    const auto shade = [](int x, int y) { return RGB(40 + 2 * x, 60 + 3 * y, 200 - x - y); };
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 80; ++x) {
            const TColor c = shade(x, y);
            rows.insert(rows.end(),
                        {static_cast<std::uint8_t>(RedOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                         static_cast<std::uint8_t>(BlueOf(c))});
        }
    }
    testing::WriteFileBytes(dir / "photo.png",
                            testing::MakePng(80, 50, PNG_COLOR_TYPE_RGB, 8, rows));
    testing::WriteFileBytes(dir / "photo.bmp", testing::BmpBytes(80, 50, 24, shade));

    const Outcome photo = RunChart({"--key=csv", "photo.png"}, dir.Path());
    ASSERT_EQ(photo.status, 0) << photo.err;
    const auto keyRows = CsvRows(photo.out);
    // Up to 30: a thread chosen for a group may end nearest to none of the stitches.
    EXPECT_LE(keyRows.size(), 30u) << photo.out;
    EXPECT_GE(keyRows.size(), 25u) << photo.out;
    for (const auto& row : keyRows)
        EXPECT_EQ(row.at(4), "0.00") << "every colour is a DMC thread's own";
    EXPECT_NE(photo.err.find("the 30 that best represent it, snapped to DMC threads"),
              std::string::npos)
        << photo.err;

    // Without a catalogue, the picture's own colours; with a choice of the user's, no defaults.
    const Outcome unsnapped = RunChart({"--threads", "none", "--key=csv", "photo.png"}, dir.Path());
    ASSERT_EQ(unsnapped.status, 0) << unsnapped.err;
    EXPECT_EQ(unsnapped.err.find("snapped"), std::string::npos) << unsnapped.err;
    const Outcome budget = RunChart({"--max-colours", "12", "--key=csv", "photo.png"}, dir.Path());
    ASSERT_EQ(budget.status, 0) << budget.err;
    EXPECT_LE(CsvRows(budget.out).size(), 12u);
    EXPECT_EQ(budget.err, "");
    // Levels that bring it under the limit: charted as the BMP is, with no note.
    const std::vector<std::string> levels = {"--red", "4", "--green", "4", "--blue", "4", "--key"};
    std::vector<std::string> png = levels, bmp = levels;
    png.push_back("photo.png");
    bmp.push_back("photo.bmp");
    const Outcome fewer = RunChart(png, dir.Path());
    ASSERT_EQ(fewer.status, 0) << fewer.err;
    EXPECT_EQ(fewer.err, "");
    EXPECT_EQ(fewer.out, RunChart(bmp, dir.Path()).out);

    // A BMP, read as Load Picture reads it or through the photo reader, is refused as before.
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--key=csv", "photo.bmp"}, {"--fit", "80", "--key=csv", "photo.bmp"}}) {
        const Outcome refused = RunChart(arguments, dir.Path());
        EXPECT_EQ(refused.status, 1) << arguments[1];
        EXPECT_NE(refused.err.find("Over 255 colors!!"), std::string::npos) << refused.err;
    }
}

TEST(BrodixChartReport, PrintsWhatASecondCountFinds) {
    TempDir dir;
    // Two reds under 3 apart, a blue and a black, scattered so that some stitches stand alone.
    const TColor colours[] = {RGB(200, 60, 60), RGB(203, 61, 60), RGB(30, 90, 160),
                              RGB(20, 20, 20)};
    constexpr int W = 15, H = 9;
    const auto at = [&](int x, int y) {
        return colours[(x / 2 * 7 + y / 2 * 3 + (x * y) % 5 + (x > 9 ? 1 : 0)) % 4];
    };
    testing::WriteFileBytes(dir / "pic.bmp", testing::BmpBytes(W, H, 24, at));
    // The second count: straight from the picture, which Make counts colour for colour.
    int isolated = 0, changes = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            changes += x + 1 < W && at(x, y) != at(x + 1, y);
            bool alone = true;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, H - 1); ++ny)
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, W - 1); ++nx)
                    alone = alone && ((nx == x && ny == y) || at(nx, ny) != at(x, y));
            isolated += alone;
        }
    }
    ASSERT_GT(isolated, 0);
    // The legend's symbols go in descending colour value; the reds are the two highest, named
    // by their symbols' characters and their thread (DMC 321 both).
    std::vector<TColor> order(std::begin(colours), std::end(colours));
    std::sort(order.rbegin(), order.rend());
    const auto symbol = [&](TColor c) {
        return SymbolText(
            static_cast<int>(std::find(order.begin(), order.end(), c) - order.begin()));
    };
    const std::string reds = symbol(std::max(colours[0], colours[1])) + " 321 and " +
                             symbol(std::min(colours[0], colours[1])) + " 321 (";

    const Outcome run = RunChart({"--report", "--pdf", "p.pdf", "pic.bmp"}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    char perThousand[16];
    std::snprintf(perThousand, sizeof perThousand, "%.1f", 1000.0 * isolated / (W * H));
    for (const std::string& line :
         {std::string("Stitches: 135 in 9 rows"),
          "Isolated stitches (a thread started for one stitch): " + std::to_string(isolated) +
              ", " + perThousand + " per 1000",
          "Colour changes along the rows: " + std::to_string(changes) + ", ", reds}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
    // The same report on the PDF's cover.
    const std::unique_ptr<poppler::document> pdf(poppler::document::load_from_file(dir / "p.pdf"));
    ASSERT_TRUE(pdf);
    const poppler::byte_array cover =
        std::unique_ptr<poppler::page>(pdf->create_page(0))->text().to_utf8();
    EXPECT_NE(std::string(cover.begin(), cover.end()).find("Isolated stitches"), std::string::npos);
}

// Patterns larger than the window's chart, written alone (no NAME).

// A PNG of four colours in diagonal stripes: no photo defaults, every colour on each page.
testing::PhotoBytes StripedPng(int width, int height) {
    static constexpr std::uint8_t kColours[4][3] = {
        {200, 30, 30}, {30, 160, 40}, {20, 40, 200}, {250, 250, 250}};
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows.insert(rows.end(), std::begin(kColours[(x + y) % 4]),
                        std::end(kColours[(x + y) % 4]));
    return testing::MakePng(width, height, PNG_COLOR_TYPE_RGB, 8, rows);
}

std::string PdfPageText(const poppler::document& pdf, int page) {
    const poppler::byte_array utf8 =
        std::unique_ptr<poppler::page>(pdf.create_page(page))->text().to_utf8();
    return std::string(utf8.begin(), utf8.end());
}

TEST(BrodixChartBigPattern, ChartPagesFollowTheSizeAndTheOxsFileReadsBackTheSame) {
    struct Case {
        int width, height;
        int across, down;  // chart pages of at most 50 x 73 stitches on A4
    };
    for (const Case& c : {Case{201, 1, 5, 1}, Case{1, 1000, 1, 14}}) {
        TempDir dir;
        testing::WriteFileBytes(dir / "pic.png", StripedPng(c.width, c.height));
        const Outcome run = RunChart({"--pdf", "p.pdf", "--oxs", "pic.oxs", "pic.png"}, dir.Path());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");

        const std::unique_ptr<poppler::document> pdf(
            poppler::document::load_from_file(dir / "p.pdf"));
        ASSERT_TRUE(pdf);
        const int chartPages = c.across * c.down;
        ASSERT_EQ(pdf->pages(), 2 + chartPages);  // the cover, one page of key, the chart
        // The cover's map of the pages shows every chart page's number on the paper, however
        // many there are (what lies beyond the paper is not read).
        std::set<std::string> coverWords;
        const std::unique_ptr<poppler::page> cover(pdf->create_page(0));
        for (const poppler::text_box& box : cover->text_list())
            coverWords.insert(box.text().to_latin1());
        for (int page = 3; page <= 2 + chartPages; ++page)
            EXPECT_TRUE(coverWords.count(std::to_string(page))) << page;
        for (int i = 0; i < chartPages; ++i) {
            // Every page row of a page column before the next column.
            const std::string label =
                "Chart " + std::to_string(i + 1) + " of " + std::to_string(chartPages) + " (" +
                std::to_string(i / c.down + 1) + "-" + std::to_string(i % c.down + 1) + ")";
            EXPECT_NE(PdfPageText(*pdf, 2 + i).find(label), std::string::npos) << label;
        }
        // Every page prints the number the cover's map gives it.
        for (int i = 0; i < pdf->pages(); ++i) {
            const std::string number =
                "page " + std::to_string(i + 1) + " of " + std::to_string(pdf->pages());
            EXPECT_NE(PdfPageText(*pdf, i).find(number), std::string::npos) << number;
        }

        // Read back at its own size, the chart gives the same file (its title is the name's).
        const Outcome back = RunChart({"--oxs", "again/pic.oxs", "pic.oxs"}, dir.Path());
        ASSERT_EQ(back.status, 0) << back.err;
        const testing::Bytes first = testing::ReadFileBytes(dir / "pic.oxs");
        EXPECT_EQ(testing::ReadFileBytes(dir / "again/pic.oxs"), first);
        const std::string text(first.begin(), first.end());
        std::size_t stitches = 0;
        for (std::size_t at = text.find("<stitch "); at != std::string::npos;
             at = text.find("<stitch ", at + 1))
            ++stitches;
        // Every cell but the white (near-white 250 is no white: stitched) ones.
        EXPECT_EQ(stitches, GridCells(c.width, c.height));
    }
}

TEST(BrodixChartBigPattern, RefusalsSayHowToGetTheLargerPattern) {
    TempDir dir;
    const std::string folder = std::filesystem::canonical(dir.Path()).string();
    testing::WriteFileBytes(dir / "tall.png", StripedPng(1, 201));
    testing::WriteFileBytes(dir / "wide.png", StripedPng(1001, 1));
    // 300 distinct colours on a row: more than a pattern holds, whatever its size.
    testing::WriteFileBytes(dir / "many.bmp", testing::BmpBytes(300, 1, 24, [](int x, int) {
                                return RGB(x % 256, x / 256, 7);
                            }));
    const std::vector<std::string> inputs = dir.Files();
    struct Case {
        std::vector<std::string> arguments;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {{"tall.png", "out"},
              "BITMAP size error\nThis bitmap is 1x201\nOver 200x200 !!\nbrodix-chart: " + folder +
                  "/tall.png is 1 x 201 pixels, more than a chart of 200 x 200 stitches: add --fit "
                  "200 (or a smaller size) to fit it, or leave out NAME to write the pattern alone "
                  "(--pdf, --oxs, --preview or --key), which may be as large as 1000 x 1000 "
                  "stitches\n"},
             {{"--pdf", "p.pdf", "wide.png"},
              "brodix-chart: " + folder +
                  "/wide.png is 1001 x 1 pixels, more than a pattern of 1000 x 1000 stitches: add "
                  "--fit 1000 (or a smaller size) to fit it\n"},
             {{"--oxs", "p.oxs", "many.bmp"},
              "BITMAP Color error\nThis bitmap is \nOver 255 colors!!\nbrodix-chart: " + folder +
                  "/many.bmp has more than 255 colours after the levels: add --max-colours 255 (or "
                  "fewer) to keep the ones that represent it best, or --snap to match them to "
                  "threads\n"}}) {
        const Outcome run = RunChart(c.arguments, dir.Path());
        EXPECT_EQ(run.status, kExitRefused) << c.arguments.front();
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(dir.Files(), inputs);
    }
}

// The pattern alone comes from the same core as the window's Make, options and all.
TEST(BrodixChartBigPattern, ThePatternAloneIsThePatternMadeWithName) {
    TempDir dir;
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            rows.insert(rows.end(),
                        {static_cast<std::uint8_t>(x * 2), static_cast<std::uint8_t>(y * 4),
                         static_cast<std::uint8_t>((x * y) % 97)});
    testing::WriteFileBytes(dir / "pic.png", testing::MakePng(90, 60, PNG_COLOR_TYPE_RGB, 8, rows));
    const Outcome alone = RunChart({"--oxs", "a/pic.oxs", "pic.png"}, dir.Path());
    const Outcome named = RunChart({"--oxs", "b/pic.oxs", "pic.png", "out"}, dir.Path());
    ASSERT_EQ(alone.status, 0) << alone.err;
    ASSERT_EQ(named.status, 0) << named.err;
    // Thousands of colours: both take the photo defaults and say so alike.
    EXPECT_NE(alone.err.find("30 that best represent it"), std::string::npos) << alone.err;
    EXPECT_EQ(alone.err, named.err);
    EXPECT_EQ(testing::ReadFileBytes(dir / "a/pic.oxs"), testing::ReadFileBytes(dir / "b/pic.oxs"));
}

}  // namespace
}  // namespace brodix
