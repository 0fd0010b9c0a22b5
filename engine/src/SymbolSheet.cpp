#include "engine/SymbolSheet.h"

#include <filesystem>
#include <system_error>

#include "raster/FileName.h"

namespace brodix {

std::string ProgramFileName() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string SymbolSheetPath(const std::string& programFileName) {
    return FolderPart(programFileName) + kSymbolSheetFileName;
}

}  // namespace brodix
