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
// fifty records: four draws each, angle first, then red, green, blue.
TEST(StarRecords, AllFiftyFollowTheFixedSequence)
{
    init_stars();
    Lcg g;
    for (int n = 0; n < 50; ++n) {
        SCOPED_TRACE(n);
        const float f = static_cast<float>(n);
        EXPECT_EQ(effects.stars[n].angle, static_cast<float>(g.next() % 20) + (360.0f - f * 155.0f));
        EXPECT_EQ(effects.stars[n].distance, f * 0.02f * 6.0f + 0.4f);
        EXPECT_EQ(effects.stars[n].red, g.next() % 256);
        EXPECT_EQ(effects.stars[n].green, g.next() % 256);
        EXPECT_EQ(effects.stars[n].blue, g.next() % 256);
    }
    EXPECT_NEAR(effects.stars[49].distance, 6.28f, 1e-5);
    EXPECT_EQ(star_rand(), g.next()); // exactly 200 draws were taken
}
