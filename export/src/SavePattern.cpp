#include "export/SavePattern.h"

namespace brodix {

std::vector<std::string> SavePattern(const std::string&, SaveSources&) { return {}; }

}  // namespace brodix
