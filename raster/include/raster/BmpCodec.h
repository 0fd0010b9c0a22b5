#pragma once

#include <cstdint>
#include <memory>

namespace brodix {

class TBitmap;
class TStream;

// Reads a BMP file of length bytes from the stream's position; length 0 gives an empty
// bitmap. Uncompressed and bit-field pictures keep the file's own layout (bits per pixel,
// colour table, masks); run-length pictures become display format. Raises EReadError when the
// file ends inside its headers, masks or colour table, EInvalidGraphic for a picture that
// cannot be made, and EOutOfResources for one larger than kMaxPixelStoreBytes. Pixel data cut
// short are not an error: the missing pixels are zero.
std::unique_ptr<TBitmap> ReadBmp(TStream& stream, std::uint64_t length);

// Writes the bitmap as an uncompressed BMP with a 40-byte header, rows bottom up: monochrome
// as 1 bit with the table black, white; display format as 32 bits without table; indexed,
// 16-bit 5-5-5, 24-bit and 32-bit 8-8-8 bitmaps in their own layout; other masks as 32 bits.
// An empty bitmap writes nothing.
void WriteBmp(const TBitmap& bitmap, TStream& stream);

}  // namespace brodix
