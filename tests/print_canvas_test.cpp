// The PDF canvas's hold on cairo's objects when drawing fails part way.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "PdfCanvas.h"

#if defined(__SANITIZE_ADDRESS__)
#define BRODIX_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRODIX_LEAK_CHECK 1
#endif
#endif
#ifdef BRODIX_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace brodix::print::detail {
namespace {

// A colour that cannot be given stops the blocks half drawn; their image is released all the
// same, which LeakSanitizer checks in the instrumented build.
TEST(PdfCanvasTest, BlocksStoppedByTheirColoursLeaveNoImageBehind) {
    {
        PdfCanvas canvas(Paper::A4);
        const auto rgbAt = [](int x, int y) -> std::uint32_t {
            if (x == 3 && y == 2)
                throw std::runtime_error("no colour");
            return 0x123456;
        };
        EXPECT_THROW(canvas.Blocks(10, 10, 2, 8, 8, rgbAt), std::runtime_error);
        canvas.SetGrey(0.5);
        EXPECT_EQ(canvas.Finish().substr(0, 5), "%PDF-");
    }
#ifdef BRODIX_LEAK_CHECK
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

}  // namespace
}  // namespace brodix::print::detail
