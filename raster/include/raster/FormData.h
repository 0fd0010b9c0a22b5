#pragma once

namespace brodix {

class TPicture;
class TStream;

// A picture as window form data carry it ("Picture.Data"): one byte L, L characters naming
// the graphic's class, then the graphic's data: a 32-bit byte count N and N bytes of the
// graphic's own file (for "TBitmap" a complete BMP; N = 0 gives an empty bitmap).
//
// Reads such a picture from the stream's position into picture. A class name that no
// registered kind has leaves the picture empty. On an error (EReadError for data that end
// early, or the graphic reader's own errors) the picture keeps what it held.
void ReadPictureData(TPicture& picture, TStream& stream);

// Writes the picture in the same form; a picture holding nothing writes a zero-length name.
void WritePictureData(const TPicture& picture, TStream& stream);

}  // namespace brodix
