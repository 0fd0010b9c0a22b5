#include "engine/Workspace.h"

#include "engine/StoredDesign.h"
#include "raster/TPicture.h"

namespace brodix {

Workspace::Workspace() {
    blank.SetAutoSize(true);
}

void Workspace::LoadPicture(const std::string& fileName) {
    picture.Picture().LoadFromFile(fileName);
    preview.Picture().LoadFromFile(fileName);
}

void Workspace::LoadSymbolSheet(const std::string& fileName) {
    symbols.Picture().LoadFromFile(fileName);
}

void Workspace::ReadBlankCell() {
    brodix::ReadBlankCell(blank);
}

MakeResult Workspace::Make(const LevelChoices& levels, const WorkspaceCaptions& captions,
                           MessageSink& messages, const ZoomTarget& zoom) {
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
    return brodix::Make(targets, levels, m_census);
}

}  // namespace brodix
