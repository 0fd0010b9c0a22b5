#pragma once

namespace brodix {

// Facts about the (virtual) screen that the raster layer needs. The window layer may set the
// pixels per inch once at start-up; everything else is fixed for this platform.
class Screen {
  public:
    static int PixelsPerInch();
    static void SetPixelsPerInch(int ppi);

    // Bits per pixel of the display format: every image the program creates is 32-bit.
    static constexpr int kDisplayBitsPerPixel = 32;

    // True when the user's locale is Japanese (LC_ALL, then LC_CTYPE, then LANG begins
    // with "ja"): new canvases then default to the Japanese font.
    static bool JapaneseLocale();
    static void SetJapaneseLocaleForTesting(int japanese);  // -1 = ask the environment again
};

}  // namespace brodix
