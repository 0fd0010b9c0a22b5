#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/Captions.h"
#include "engine/Census.h"
#include "engine/Make.h"
#include "engine/ReduceColor.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"

namespace brodix {

// The captions Make writes and Save reads back: the main window's three labels and its status
// bar. The window passes views of its controls, headless callers plain strings.
struct WorkspaceCaptions {
    Caption& colorCount;  // L_ColorCount
    Caption& width;       // L_x
    Caption& height;      // L_y
    Caption& status;      // the status bar
};

// The images of the main window's stored design that Load Picture, Make and Save share, each
// sized as the design has it. The window shows
// these images; brodix-chart, the tests and the benchmarks run the same Load, Make and Save on
// them without a window. Save is export's SavePattern(name, workspace, captions).
class Workspace {
  public:
    // The blank cell's image sizes itself to its picture, as the design sets it up. No picture
    // is read yet: ReadBlankCell() and LoadSymbolSheet() do that, so that a window can report a
    // failure of either where it reports every other.
    Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    TImage picture{200, 200};  // Image1: the picture as loaded; Make only reads it
    TImage preview{200, 200};  // Image2: the picture in the reduced colours
    TImage symbols{41, 41};    // Img_mark: the symbol sheet
    TImage blank{13, 13};      // IMG_BLK: the blank cell
    TImage legend{89, 261};    // Img_color
    TImage chart{100, 100};    // Img_CS
    TImage scratch{41, 41};    // IMG_save: each saved file is built here

    // Load Picture: the file into picture, then into preview. A failure propagates as the
    // loader raises it; a picture is replaced only by a file it could read whole.
    void LoadPicture(const std::string& fileName);
    // A picture read by other means from fileName (a photo fitted to the chart): picture and
    // preview both take it, as Load Picture gives them a file; title as PictureTitle() says.
    void TakePicture(std::unique_ptr<TBitmap> bitmap, const std::string& fileName,
                     const std::string& title = {});
    void LoadSymbolSheet(const std::string& fileName);
    // The blank cell from the design's stored data.
    void ReadBlankCell();
    // The symbol sheet's cells; null when no sheet was read or it is no bitmap (a sheet named
    // otherwise than .bmp may load as another kind of picture, which has no cells).
    const TBitmap* SymbolSheet() const;

    // Make on these images (see Make()), with options refining the reduced colours; census,
    // when given, receives the census drawn when it is Done.
    MakeResult Make(const LevelChoices& levels, const WorkspaceCaptions& captions,
                    MessageSink& messages, const ZoomTarget& zoom, const MakeOptions& options = {},
                    Census* census = nullptr);
    // Make's drawing of a census already taken of picture (see DrawMade()).
    void Draw(const Census& census, const WorkspaceCaptions& captions, const ZoomTarget& zoom);
    // The drawing of stitches and rows changed since (see DrawStitchesMade()).
    void DrawStitches(const Census& census, std::span<const std::uint32_t> stitches,
                      std::span<const int> rows, const WorkspaceCaptions& captions,
                      const ZoomTarget& zoom);

    // The file the picture came from, however it came; empty before the first.
    const std::string& PictureName() const { return m_pictureName; }
    // The title the picture came with (an OXS chart's own), which a pattern made from it keeps
    // whatever its file is called; empty when it came with none.
    const std::string& PictureTitle() const { return m_pictureTitle; }

  private:
    MakeTargets Targets(const WorkspaceCaptions& captions, MessageSink& messages,
                        const ZoomTarget& zoom);

    std::string m_pictureName;
    std::string m_pictureTitle;
};

// The window's controls for a workspace without a window (brodix-chart, the tests, the
// benchmarks): the captions as strings and the zoom window's image at its design size.
struct HeadlessControls {
    StringCaption colorCount;
    StringCaption width;
    StringCaption height;
    StringCaption status;
    StringCaption zoomWidth;
    StringCaption zoomHeight;
    TImage zoomImage{200, 200};

    WorkspaceCaptions Captions() { return {colorCount, width, height, status}; }
    ZoomTarget Zoom() { return ZoomTarget{zoomImage, zoomWidth, zoomHeight}; }
};

}  // namespace brodix
