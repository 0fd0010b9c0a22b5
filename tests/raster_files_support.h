#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "raster/Color.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "test_files.h"

namespace brodix::testing {

inline std::string SuiteFile(const std::string& relative) {
    return std::string(BRODIX_TESTDATA_DIR) + "/bmpsuite/" + relative;
}

inline std::unique_ptr<TBitmap> Decode(const Bytes& bytes) {
    TMemoryStream stream(bytes);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(stream);
    return bitmap;
}

inline std::unique_ptr<TBitmap> DecodeFile(const std::string& path) {
    return Decode(testing::ReadFileBytes(path));
}

inline Bytes Encode(const TBitmap& bitmap) {
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    return stream.Bytes();
}

}  // namespace brodix::testing
