// TBitmap's file side: reading and writing BMP data.
#include "raster/BmpCodec.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"

namespace brodix {

void TBitmap::LoadFromStream(TStream& stream) {
    ReadData(stream, stream.Remaining());
}

void TBitmap::SaveToStream(TStream& stream) const {
    WriteBmp(*this, stream);
}

void TBitmap::ReadData(TStream& stream, std::uint64_t length) {
    const std::uint64_t start = stream.Position();
    // Everything is read into a new bitmap first, so a failure leaves this one as it was.
    std::unique_ptr<TBitmap> fresh = ReadBmp(stream, length);
    // Whatever the reader left unread of the BMP's bytes (data past the pixels) is passed over,
    // so that a container can read what follows.
    if (start <= stream.Size() && length <= stream.Size() - start) {
        stream.SetPosition(start + length);
    }
    m_width = fresh->m_width;
    m_height = fresh->m_height;
    m_layout = std::move(fresh->m_layout);
    m_stride = fresh->m_stride;
    m_topDown = fresh->m_topDown;
    m_store = std::move(fresh->m_store);
    BumpGeneration();
    Changed();
}

}  // namespace brodix
