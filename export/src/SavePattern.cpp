#include "export/SavePattern.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

#include "engine/ChartGeometry.h"
#include "engine/PageGrid.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

namespace {

// A page of the chart (engine/PageGrid.h) is saved under a 16-pixel band for its label.
constexpr int kPageLabelBand = 16;
// The legend's columns (kLegendRowsPerColumn rows), one white pixel column apart.
constexpr int kLegendColumnPitch = kLegendWidth + 1;
// The enlarged picture is scaled to fit a 600 x 800 area.
constexpr int kEnlargedMaxWidth = 600;
constexpr int kEnlargedMaxHeight = 800;

// Each output becomes a new picture of the scratch image; the picture keeps its own copy, so
// the bitmap made here only lives until it has been handed over.
void GiveNewPicture(TImage& scratch, TBitmap& bitmap) {
    scratch.Picture().SetGraphic(&bitmap);
}

// A new white 1-bit picture whose canvas copies inverted: copied from the chart, whose canvas
// brush Make left black, a pixel turns black exactly where the chart is pure black.
TCanvas& NewMonochromePicture(TImage& scratch, int width, int height) {
    TBitmap bitmap;
    bitmap.SetHeight(height);
    bitmap.SetWidth(width);
    bitmap.SetMonochrome(true);
    GiveNewPicture(scratch, bitmap);
    TCanvas& canvas = scratch.Canvas();
    canvas.SetCopyMode(cmNotSrcCopy);
    return canvas;
}

// A product of picture sizes that no image could have is refused the way the raster layer
// refuses an image it cannot make.
int CheckedProduct(int size, int factor) {
    const std::int64_t product = std::int64_t{size} * factor;
    if (product > INT_MAX || product < 0)
        throw EOutOfResources(msg::kOutOfResources);
    return static_cast<int>(product);
}

class OutputWriter {
  public:
    OutputWriter(TImage& scratch, const std::function<void(const std::string&)>& onWritten)
        : m_scratch(scratch), m_onWritten(onWritten) {}

    void Save(const std::string& fileName) {
        m_scratch.Picture().SaveToFile(fileName);
        m_written.push_back(fileName);
        if (m_onWritten)
            m_onWritten(fileName);
    }

    std::vector<std::string> Written() && { return std::move(m_written); }

  private:
    TImage& m_scratch;
    const std::function<void(const std::string&)>& m_onWritten;
    std::vector<std::string> m_written;
};

void SaveWholeChart(SaveSources& sources, const std::string& fileName, OutputWriter& writer) {
    const int chartWidth = sources.chart.Picture().Width();
    const int chartHeight = sources.chart.Picture().Height();
    TCanvas& target = NewMonochromePicture(sources.scratch, chartWidth, chartHeight);
    const TRect whole = Rect(0, 0, chartWidth, chartHeight);
    target.CopyRect(whole, sources.chart.Canvas(), whole);
    writer.Save(fileName);
}

std::string PageFileName(const std::string& stem, const ChartPage& page, const std::string& ext) {
    return stem + "_CS" + std::to_string(page.column + 1) + std::to_string(page.row + 1) + ext;
}

void SavePages(SaveSources& sources, const std::string& stem, const std::string& ext,
               const PageGrid& grid, OutputWriter& writer) {
    for (const ChartPage& chartPage : grid.pages) {
        const int areaWidth = ChartExtent(chartPage.cols);
        const int areaHeight = ChartExtent(chartPage.rows);
        TCanvas& page =
            NewMonochromePicture(sources.scratch, areaWidth, areaHeight + kPageLabelBand);
        const int left = chartPage.x0 * kCellPitch;
        const int top = chartPage.y0 * kCellPitch;
        page.CopyRect(Rect(0, kPageLabelBand, areaWidth, areaHeight + kPageLabelBand),
                      sources.chart.Canvas(), Rect(left, top, left + areaWidth, top + areaHeight));
        page.TextOut(0, 0, chartPage.Label());
        writer.Save(PageFileName(stem, chartPage, ext));
    }
}

void SaveLegend(SaveSources& sources, const std::string& fileName, OutputWriter& writer) {
    const int colors = StrToInt(sources.colorCount.Text());
    const int columns = (colors - 1) / kLegendRowsPerColumn + 1;
    const int fullColumn = kLegendRowsPerColumn * kLegendRowHeight;
    TBitmap bitmap;
    bitmap.SetHeight(colors <= kLegendRowsPerColumn ? CheckedProduct(colors, kLegendRowHeight)
                                                    : fullColumn);
    bitmap.SetWidth(CheckedProduct(columns, kLegendColumnPitch));
    GiveNewPicture(sources.scratch, bitmap);
    TCanvas& target = sources.scratch.Canvas();
    for (int c = 0; c < columns; ++c) {
        int rows = kLegendRowsPerColumn;
        if (c == columns - 1 && colors % kLegendRowsPerColumn != 0) {
            rows = colors % kLegendRowsPerColumn;
        }
        const int left = c * kLegendColumnPitch;
        const int top = c * fullColumn;
        const int bandHeight = rows * kLegendRowHeight;
        target.CopyRect(Rect(left, 0, left + kLegendWidth, bandHeight), sources.legend.Canvas(),
                        Rect(0, top, kLegendWidth, top + bandHeight));
    }
    writer.Save(fileName);
}

void SaveEnlarged(SaveSources& sources, const std::string& fileName, OutputWriter& writer) {
    // Width first, then height, as the captions are read everywhere else.
    const int width = StrToInt(sources.width.Text());
    const int height = StrToInt(sources.height.Text());
    const int scale = EnlargedScale(width, height);
    // An empty picture has no scale; it has nothing to enlarge either.
    if (scale == 0)
        return;

    // The preview is drawn as it is shown, without asking its picture for a bitmap: that
    // request would discard a JPEG, icon or metafile that Make refused and leave the preview
    // empty, and the file would show nothing of it.
    TGraphic* shownGraphic = sources.preview.Picture().Graphic();
    TBitmap* shown = dynamic_cast<TBitmap*>(shownGraphic);
    TBitmap drawn;
    if (shown == nullptr) {
        if (shownGraphic != nullptr) {
            drawn.SetWidth(shownGraphic->Width());
            drawn.SetHeight(shownGraphic->Height());
            if (!drawn.Empty()) {
                shownGraphic->Draw(drawn.Canvas(),
                                   Rect(0, 0, shownGraphic->Width(), shownGraphic->Height()));
            }
        }
        shown = &drawn;
    }

    const int targetWidth = CheckedProduct(shown->Width(), scale);
    const int targetHeight = CheckedProduct(shown->Height(), scale);
    TBitmap bitmap;
    bitmap.SetWidth(targetWidth);
    bitmap.SetHeight(targetHeight);
    GiveNewPicture(sources.scratch, bitmap);
    if (targetWidth > 0 && targetHeight > 0) {
        sources.scratch.Canvas().StretchDraw(Rect(0, 0, targetWidth, targetHeight), *shown);
    }
    writer.Save(fileName);
}

}  // namespace

int EnlargedScale(int width, int height) {
    if (width <= 0 || height <= 0)
        return 0;
    return std::min(kEnlargedMaxWidth / width, kEnlargedMaxHeight / height);
}

SaveSources SourcesOf(Workspace& workspace, const WorkspaceCaptions& captions) {
    return {workspace.picture, workspace.chart, workspace.legend,    workspace.preview,
            captions.width,    captions.height, captions.colorCount, workspace.scratch};
}

std::vector<std::string> SavePattern(const std::string& fileName, Workspace& workspace,
                                     const WorkspaceCaptions& captions,
                                     const std::function<void(const std::string&)>& onWritten) {
    SaveSources sources = SourcesOf(workspace, captions);
    return SavePattern(fileName, sources, onWritten);
}

std::vector<std::string> SavedFileNames(const std::string& fileName, int width, int height) {
    const FileNameParts parts = SplitFileName(fileName);
    const std::string stem = parts.Stem();
    std::vector<std::string> names{stem + "_CS" + parts.ext};
    if (const PageGrid grid = ChartPages(width, height); grid.pages.size() > 1) {
        for (const ChartPage& chartPage : grid.pages)
            names.push_back(PageFileName(stem, chartPage, parts.ext));
    }
    names.push_back(stem + "_color" + parts.ext);
    names.push_back(stem + "_CSC" + parts.ext);
    return names;
}

std::vector<std::string> SavePattern(const std::string& fileName, SaveSources& sources) {
    return SavePattern(fileName, sources, nullptr);
}

std::vector<std::string> SavePattern(const std::string& fileName, SaveSources& sources,
                                     const std::function<void(const std::string&)>& onWritten) {
    if (!sources.source.Picture().HasGraphic())
        return {};

    const FileNameParts parts = SplitFileName(fileName);
    const std::string stem = parts.Stem();
    // Both sizes are read before anything is written, so that a Save before any Make writes
    // no file at all.
    const int width = StrToInt(sources.width.Text());
    const int height = StrToInt(sources.height.Text());

    OutputWriter writer(sources.scratch, onWritten);
    SaveWholeChart(sources, stem + "_CS" + parts.ext, writer);
    if (const PageGrid grid = ChartPages(width, height); grid.pages.size() > 1)
        SavePages(sources, stem, parts.ext, grid, writer);
    SaveLegend(sources, stem + "_color" + parts.ext, writer);
    SaveEnlarged(sources, stem + "_CSC" + parts.ext, writer);
    return std::move(writer).Written();
}

}  // namespace brodix
