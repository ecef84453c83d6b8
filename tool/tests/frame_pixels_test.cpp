// A frame grab's pixels as RGB (the client layer's conversion, which capture
// and the Python module's save_png share).
#include <gtest/gtest.h>

#include <vector>

#include "frame.h"

// A row of odd width in a YUV format ends with half a pair: a Y and a U with
// no V.  That last pixel is grey, from its Y alone, and nothing past the row
// is read.
TEST(FramePixels, AnOddYuvRowEndsWithAGreyPixelOfItsLumaAlone) {
    struct Case {
        PixelFormat format;
        uint8_t row[6];
    };
    // A red pair (Y 81, U 90, V 240), then Y 126 with a U of 0 that would
    // tint it, were it used.
    const Case cases[] = {
        {PixelFormat::Uyvy, {90, 81, 240, 81, 0, 126}},
        {PixelFormat::Yuyv, {81, 90, 81, 240, 126, 0}},
    };
    for (const Case &c : cases) {
        uint8_t rgb[9] = {};
        toRgb(c.row, 3, c.format, rgb);
        const char *name = pixelFormatName(c.format);
        for (int pixel = 0; pixel < 2; ++pixel) {
            EXPECT_GE(rgb[3 * pixel], 253) << name << " pixel " << pixel;
            EXPECT_LE(rgb[3 * pixel + 1], 2) << name << " pixel " << pixel;
            EXPECT_LE(rgb[3 * pixel + 2], 2) << name << " pixel " << pixel;
        }
        EXPECT_EQ(std::vector<int>(rgb + 6, rgb + 9), std::vector<int>({128, 128, 128})) << name;
    }
}
