#include "raster/Screen.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace brodix {

namespace {

int g_pixelsPerInch = 96;
int g_japaneseOverride = -1;  // -1: ask the environment

bool LocaleFromEnvironment() {
    // The first variable that is set decides, as the C library's locale lookup does.
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return std::strncmp(value, "ja", 2) == 0;
    }
    return false;
}

}  // namespace

int Screen::PixelsPerInch() {
    return g_pixelsPerInch;
}

void Screen::SetPixelsPerInch(int ppi) {
    // A zero or negative density would divide by zero in every font size conversion.
    if (ppi > 0)
        g_pixelsPerInch = ppi;
}

bool Screen::JapaneseLocale() {
    if (g_japaneseOverride >= 0)
        return g_japaneseOverride != 0;
    return LocaleFromEnvironment();
}

void Screen::SetJapaneseLocaleForTesting(int japanese) {
    g_japaneseOverride = japanese < 0 ? -1 : (japanese != 0 ? 1 : 0);
}

}  // namespace brodix
