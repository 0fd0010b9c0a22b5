#include "engine/SymbolSheet.h"

#include <filesystem>
#include <system_error>

namespace brodix {

std::string ProgramFileName() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string SymbolSheetPath(const std::string& programFileName) {
    const std::size_t slash = programFileName.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : programFileName.substr(0, slash + 1);
    return folder + kSymbolSheetFileName;
}

}  // namespace brodix
