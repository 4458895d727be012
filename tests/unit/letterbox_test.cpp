// The letterbox arithmetic against sizes worked out by hand.
#include "present/letterbox.h"

#include <gtest/gtest.h>

namespace {

void expect_rect(PresentRect r, int x, int y, int width, int height)
{
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

} // namespace

TEST(Letterbox, FourByThreeOnWideOutputsHasBarsAtTheSides)
{
    expect_rect(letterbox(800, 600, 1280, 720), 160, 0, 960, 720);   // 16:9: bars of 160
    expect_rect(letterbox(800, 600, 1920, 1080), 240, 0, 1440, 1080); // 1080p: bars of 240
    expect_rect(letterbox(640, 480, 3840, 2160), 480, 0, 2880, 2160); // 2x HiDPI panel
    expect_rect(letterbox(800, 600, 2560, 1080), 560, 0, 1440, 1080); // 21:9
}

TEST(Letterbox, FourByThreeOnTallOutputsHasBarsAboveAndBelow)
{
    expect_rect(letterbox(800, 600, 1280, 1024), 0, 32, 1280, 960); // 5:4
    expect_rect(letterbox(800, 600, 1080, 1920), 0, 555, 1080, 810); // portrait
}

TEST(Letterbox, TheSameAspectFillsTheOutput)
{
    expect_rect(letterbox(800, 600, 800, 600), 0, 0, 800, 600);
    expect_rect(letterbox(800, 600, 1600, 1200), 0, 0, 1600, 1200);
    expect_rect(letterbox(640, 480, 1024, 768), 0, 0, 1024, 768);
}

TEST(Letterbox, OddSizesRoundToTheNearestPixelAndCentreWithTheSpareOneLeft)
{
    // 4:3 into 1281 x 721: width 721 * 4 / 3 = 961.33 -> 961; bars 320 in all, 160 each.
    expect_rect(letterbox(800, 600, 1281, 721), 160, 0, 961, 721);
    // 4:3 into 1000 x 601: width 801.33 -> 801; 199 spare, 99 left and 100 right.
    expect_rect(letterbox(800, 600, 1000, 601), 99, 0, 801, 601);
    // Rounding up, not down: 4:3 into 1000 x 602 gives 802.67 -> 803.
    expect_rect(letterbox(800, 600, 1000, 602), 98, 0, 803, 602);
}

TEST(Letterbox, AnOutputSmallerThanTheDrawableScalesItDown)
{
    expect_rect(letterbox(800, 600, 640, 360), 80, 0, 480, 360);
    expect_rect(letterbox(800, 600, 320, 240), 0, 0, 320, 240);
    expect_rect(letterbox(800, 600, 3, 1), 1, 0, 1, 1); // never narrower than a pixel
}

TEST(Letterbox, SizesWithoutAreaGiveNothing)
{
    expect_rect(letterbox(0, 600, 1280, 720), 0, 0, 0, 0);
    expect_rect(letterbox(800, 600, 1280, 0), 0, 0, 0, 0);
    expect_rect(letterbox(800, -1, 1280, 720), 0, 0, 0, 0);
}

TEST(Letterbox, HugeOutputsDoNotOverflow)
{
    expect_rect(letterbox(800, 600, 2000000000, 1500000000), 0, 0, 2000000000, 1500000000);
    expect_rect(letterbox(800, 600, 2000000000, 1000000000), 333333333, 0, 1333333333, 1000000000);
}
