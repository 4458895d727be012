// The schedule as the tools read it: a title for every scene and none
// outside the sequence, starts that add up to the nominal length, and
// decimals that read back exactly as written (the chapters and the song
// round them).
#include "timeline/schedule.h"
#include "timeline/scene_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(Schedule, EverySceneHasATitleOfItsOwnAndNothingOutsideHasOne)
{
    std::set<std::string> seen;
    for (int scene = first_scene; scene <= last_scene; ++scene) {
        SCOPED_TRACE(testing::Message() << "scene " << scene);
        const std::string title = scene_title(scene);
        EXPECT_FALSE(title.empty());
        EXPECT_TRUE(seen.insert(title).second) << "a title two scenes share: " << title;
        EXPECT_GT(scene_length_seconds(scene), 0.0);
    }
    EXPECT_STREQ(scene_title(first_scene - 1), "");
    EXPECT_STREQ(scene_title(last_scene + 1), "");
    EXPECT_EQ(scene_length_seconds(last_scene + 1), 0.0);
}

TEST(Schedule, StartsAddUpToTheNominalLengthExactly)
{
    EXPECT_EQ(scene_start_seconds(first_scene), 0.0);
    for (int scene = first_scene; scene <= last_scene; ++scene) {
        SCOPED_TRACE(testing::Message() << "scene " << scene);
        EXPECT_NEAR(scene_start_seconds(scene + 1), scene_start_seconds(scene) + scene_length_seconds(scene), 1e-9);
        EXPECT_LT(scene_start_seconds(scene), scene_start_seconds(scene + 1));
    }
    EXPECT_EQ(scene_start_seconds(last_scene + 1), nominal_length_seconds());
    // Summed as doubles these would come out a hair off: 151.01999999999998.
    EXPECT_EQ(nominal_length_seconds(), 151.02);
    EXPECT_EQ(scene_start_seconds(10), 79.02);
    EXPECT_EQ(scene_start_seconds(19), 133.02);
}

// The schedule comes from the scene table's end rules: the worked lengths
// of the rules that are not a plain scene_clock threshold.
TEST(Schedule, LengthsAreTheTimeEachEndClockTakesToItsThreshold)
{
    for (int scene = 0; scene <= 4; ++scene) {
        ASSERT_NE(scene_row(scene), nullptr);
        EXPECT_EQ(scene_row(scene)->branch, SceneBranch::intro_word);
        EXPECT_EQ(scene_row(scene)->end_clock, EndClock::word_clock);
        EXPECT_EQ(scene_length_seconds(scene), 6.0) << "limit 3 at rate 0.5, scene " << scene;
    }
    // Scene 6 runs scene_clock on from scene 5's 5 to 9.
    EXPECT_EQ(scene_row(5)->reset, ResetSet::anim_clock_only);
    EXPECT_EQ(scene_row(6)->clock_from, 5.0f);
    EXPECT_EQ(scene_length_seconds(6), 4.0);
    // Scene 9 ends on anim_clock at rate 0.5 reaching 2.01: 4.02 s, exactly
    // so after the float threshold's rounding.
    EXPECT_EQ(scene_row(9)->end_clock, EndClock::anim_clock);
    EXPECT_EQ(scene_length_seconds(9), 4.02);
    EXPECT_EQ(scene_length_seconds(11), 8.0);
    for (int scene = 11; scene <= 19; ++scene)
        EXPECT_EQ(scene_row(scene)->branch, SceneBranch::greeting) << "scene " << scene;
    EXPECT_EQ(scene_row(22)->branch, SceneBranch::end_card);
    EXPECT_EQ(scene_row(first_scene - 1), nullptr);
    EXPECT_EQ(scene_row(last_scene + 1), nullptr);
}
