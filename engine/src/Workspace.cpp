#include "engine/Workspace.h"

#include "engine/StoredDesign.h"
#include "raster/TPicture.h"

namespace brodix {

namespace {

// Drawing refuses nothing: no message is shown.
class NoMessages final : public MessageSink {
    void ShowMessage(const std::string&, const std::string&) override {}
};

}  // namespace

Workspace::Workspace() {
    blank.SetAutoSize(true);
}

void Workspace::LoadPicture(const std::string& fileName) {
    picture.Picture().LoadFromFile(fileName);
    m_pictureName = fileName;  // Make reads picture, even should preview fail
    m_pictureTitle.clear();
    preview.Picture().LoadFromFile(fileName);
}

void Workspace::LoadSymbolSheet(const std::string& fileName) {
    symbols.Picture().LoadFromFile(fileName);
}

void Workspace::TakePicture(std::unique_ptr<TBitmap> bitmap, const std::string& fileName,
                            const std::string& title) {
    picture.Picture().SetGraphic(bitmap.get());
    preview.Picture().Adopt(std::move(bitmap));
    m_pictureName = fileName;
    m_pictureTitle = title;
}

const TBitmap* Workspace::SymbolSheet() const {
    return dynamic_cast<const TBitmap*>(symbols.Picture().Graphic());
}

void Workspace::ReadBlankCell() {
    brodix::ReadBlankCell(blank);
}

MakeTargets Workspace::Targets(const WorkspaceCaptions& captions, MessageSink& messages,
                               const ZoomTarget& zoom) {
    return MakeTargets{picture,
                       preview,
                       legend,
                       chart,
                       symbols,
                       blank,
                       captions.colorCount,
                       captions.width,
                       captions.height,
                       captions.status,
                       messages,
                       zoom};
}

MakeResult Workspace::Make(const LevelChoices& levels, const WorkspaceCaptions& captions,
                           MessageSink& messages, const ZoomTarget& zoom,
                           const MakeOptions& options, Census* census) {
    MakeTargets targets = Targets(captions, messages, zoom);
    return brodix::Make(targets, levels, options, census);
}

void Workspace::Draw(const Census& census, const WorkspaceCaptions& captions,
                     const ZoomTarget& zoom) {
    NoMessages noMessages;
    MakeTargets targets = Targets(captions, noMessages, zoom);
    DrawMade(targets, census);
}

void Workspace::DrawStitches(const Census& census, std::span<const std::uint32_t> stitches,
                             std::span<const int> rows, const WorkspaceCaptions& captions,
                             const ZoomTarget& zoom) {
    NoMessages noMessages;
    MakeTargets targets = Targets(captions, noMessages, zoom);
    DrawStitchesMade(targets, census, stitches, rows);
}

}  // namespace brodix
