#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "raster/Color.h"
#include "test_files.h"

namespace brodix::testing {

inline std::string SuiteFile(const std::string& relative) {
    return std::string(BRODIX_TESTDATA_DIR) + "/bmpsuite/" + relative;
}

}  // namespace brodix::testing
