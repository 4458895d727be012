// The test programs' main: every test draws through SDL's offscreen video
// driver and plays into its dummy audio driver unless the caller chose
// others, whether it is started by CTest or by hand.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
