// The schedule as the tools read it: a title for every scene and none
// outside the sequence, starts that add up to the nominal length, and
// decimals that read back exactly as written (the chapters and the song
// round them).
#include "timeline/schedule.h"

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
