#include "engine/SymbolSheet.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
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

std::vector<int> SymbolsByUse(std::span<const int> counts, std::span<const int> order) {
    std::vector<std::size_t> byUse;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        if (counts[k] >= 0)
            byUse.push_back(k);
    }
    std::stable_sort(byUse.begin(), byUse.end(),
                     [&counts](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
    std::vector<int> symbols(counts.size(), -1);
    for (std::size_t rank = 0; rank < byUse.size() && rank < order.size(); ++rank)
        symbols[byUse[rank]] = order[rank];
    return symbols;
}

std::vector<int> SheetOrder() {
    std::vector<int> order(kSymbolCount);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

}  // namespace brodix
