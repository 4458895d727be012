// The star records: the field's own random generator and what init_stars
// makes of it. No GL is involved.
#include "effects/star_field.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {
// The generator's rule, written out independently of the system's code.
struct Lcg {
    std::uint32_t state = 1;
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};
} // namespace

TEST(StarRecords, GeneratorStartsFromStateOne)
{
    const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int expected : first)
        EXPECT_EQ(star_rand(), expected);
}

TEST(StarRecords, GeneratorIsNotTheCLibrarysRand)
{
    // Seeding or drawing from the C library changes nothing here.
    std::srand(12345);
    (void)std::rand();
    Lcg reference;
    for (int i = 0; i < 1000; ++i) {
        const int value = star_rand();
        ASSERT_EQ(value, reference.next()) << "draw " << i;
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(StarRecords, FirstStarsMatchTheReferenceTable)
{
    init_stars();
    EXPECT_EQ(effects.stars[0].angle, 361.0f);
    EXPECT_EQ(effects.stars[0].distance, 0.4f);
    EXPECT_EQ(effects.stars[0].red, 35);
    EXPECT_EQ(effects.stars[0].green, 190);
    EXPECT_EQ(effects.stars[0].blue, 132);
    EXPECT_EQ(effects.stars[1].angle, 214.0f);
    EXPECT_FLOAT_EQ(effects.stars[1].distance, 0.52f);
    EXPECT_EQ(effects.stars[1].red, 108);
    EXPECT_EQ(effects.stars[1].green, 214);
    EXPECT_EQ(effects.stars[1].blue, 174);
    EXPECT_EQ(effects.stars[2].angle, 52.0f);
    EXPECT_FLOAT_EQ(effects.stars[2].distance, 0.64f);
    EXPECT_EQ(effects.stars[2].red, 144);
    EXPECT_EQ(effects.stars[2].green, 73);
    EXPECT_EQ(effects.stars[2].blue, 241);
    // Star 49's own colours are what star 0's first copy shows.
    EXPECT_EQ(effects.stars[49].red, 217);
    EXPECT_EQ(effects.stars[49].green, 29);
    EXPECT_EQ(effects.stars[49].blue, 42);
}

// Every run starts the generator from state 1, so every run makes these
// fifty records: four draws each, the angle from the first (its value mod
// 20 past 360 - 155 n degrees), then red, green, blue (mod 256), and the
// distance 0.4 + 0.12 n. Worked out by hand from the generator's published
// sequence, not from the code.
TEST(StarRecords, AllFiftyAreTheWorkedTable)
{
    struct Worked {
        float angle;
        int red, green, blue;
    };
    const Worked worked[50] = {
        {361, 35, 190, 132}, {214, 108, 214, 174}, {52, 144, 73, 241}, {-104, 187, 233, 235}, {-245, 166, 219, 60},
        {-404, 12, 62, 153}, {-558, 94, 13, 28}, {-707, 183, 71, 222}, {-869, 18, 77, 200}, {-1028, 187, 139, 166},
        {-1187, 3, 90, 125}, {-1332, 56, 37, 31}, {-1487, 212, 203, 252}, {-1653, 245, 69, 59}, {-1807, 13, 137, 10},
        {-1949, 219, 174, 50}, {-2112, 154, 80, 238}, {-2271, 120, 54, 253}, {-2420, 73, 50, 246}, {-2579, 125, 73, 220},
        {-2731, 79, 20, 242}, {-2879, 64, 102, 208}, {-3039, 196, 48, 183}, {-3199, 59, 161, 34}, {-3342, 34, 145, 157},
        {-3502, 139, 31, 218}, {-3666, 202, 153, 2}, {-3812, 114, 157, 73}, {-3976, 128, 126, 197}, {-4118, 213, 233, 128},
        {-4284, 234, 201, 204}, {-4430, 191, 103, 214}, {-4589, 20, 214, 126}, {-4754, 220, 142, 102}, {-4903, 239, 87, 73},
        {-5048, 255, 105, 143}, {-5215, 205, 209, 30}, {-5374, 156, 22, 114}, {-5524, 230, 29, 240}, {-5685, 79, 74, 119},
        {-5830, 215, 232, 57}, {-5987, 83, 203, 201}, {-6148, 30, 51, 116}, {-6291, 12, 244, 213}, {-6452, 159, 212, 164},
        {-6614, 126, 53, 207}, {-6752, 34, 244, 204}, {-6918, 211, 144, 45}, {-7072, 211, 143, 117}, {-7225, 217, 29, 42},
    };
    init_stars();
    for (int n = 0; n < 50; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(effects.stars[n].angle, worked[n].angle);
        EXPECT_NEAR(effects.stars[n].distance, 0.4 + 0.12 * n, 1e-5);
        EXPECT_EQ(effects.stars[n].red, worked[n].red);
        EXPECT_EQ(effects.stars[n].green, worked[n].green);
        EXPECT_EQ(effects.stars[n].blue, worked[n].blue);
    }
    // Exactly 200 draws were taken: the next is the sequence's 201st.
    Lcg g;
    for (int i = 0; i < 200; ++i)
        g.next();
    EXPECT_EQ(star_rand(), g.next());
}
