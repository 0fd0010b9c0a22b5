#include "engine/Workspace.h"

#include "engine/StoredDesign.h"
#include "raster/TPicture.h"

namespace brodix {

Workspace::Workspace() {
    blank.SetAutoSize(true);
}

void Workspace::LoadPicture(const std::string& fileName) {
    picture.Picture().LoadFromFile(fileName);
    m_pictureName = fileName;  // Make reads picture, even should preview fail
    preview.Picture().LoadFromFile(fileName);
}

void Workspace::LoadSymbolSheet(const std::string& fileName) {
    symbols.Picture().LoadFromFile(fileName);
}

void Workspace::TakePicture(std::unique_ptr<TBitmap> bitmap, const std::string& fileName) {
    picture.Picture().SetGraphic(bitmap.get());
    preview.Picture().Adopt(std::move(bitmap));
    m_pictureName = fileName;
}

const TBitmap* Workspace::SymbolSheet() const {
    return dynamic_cast<const TBitmap*>(symbols.Picture().Graphic());
}

void Workspace::ReadBlankCell() {
    brodix::ReadBlankCell(blank);
}

MakeResult Workspace::Make(const LevelChoices& levels, const WorkspaceCaptions& captions,
                           MessageSink& messages, const ZoomTarget& zoom,
                           const MakeOptions& options) {
    MakeTargets targets{picture,
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
    Census census;
    const MakeResult result = brodix::Make(targets, levels, options, &census);
    // After a refusal or without a picture nothing drawn changed, so the last census stands.
    if (result == MakeResult::Done) {
        m_census = std::move(census);
        m_censusPictureName = m_pictureName;
    }
    return result;
}

}  // namespace brodix
