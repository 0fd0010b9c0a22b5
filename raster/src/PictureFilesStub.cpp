// Temporary stand-ins for the picture-file code, so that the rest of the layer links while the
// readers and writers are being written. Removed when they land.
#include "raster/Exceptions.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"

namespace brodix {

void TBitmap::LoadFromStream(TStream&) { throw EInvalidGraphic(msg::kInvalidBitmap); }
void TBitmap::SaveToStream(TStream&) const { throw EWriteError(msg::kWriteError); }
void TBitmap::ReadData(TStream&, std::uint64_t) { throw EInvalidGraphic(msg::kInvalidBitmap); }
void TPicture::LoadFromFile(const std::string& fileName) {
    throw EFOpenError(FormatMessage(msg::kFOpenError, fileName));
}
void TPicture::SaveToFile(const std::string& fileName) const {
    throw EFCreateError(FormatMessage(msg::kFCreateError, fileName));
}

}  // namespace brodix
