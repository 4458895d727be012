// The test programs' main: every test draws through SDL's offscreen video
// driver and plays into its dummy audio driver unless the caller chose
// others, whether it is started by CTest or by hand. Every test starts from
// the system as a fresh process has it, in the folder the program was
// started in and with the drivers and display it was started with, so a
// program passes whole, in any order, as well as one test at a time.
#include "harness/system_reset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The environment the tests change to choose drivers and displays.
const char* const chosen_by_tests[] = {"SDL_VIDEODRIVER", "SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "DISPLAY",
                                       "WAYLAND_DISPLAY"};

class FreshSystem : public ::testing::EmptyTestEventListener {
public:
    explicit FreshSystem(std::string folder) : start_folder(std::move(folder))
    {
        for (const char* name : chosen_by_tests) {
            const char* value = std::getenv(name);
            start_environment.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    // Before the test's fixture is made: its members may already set seams.
    void OnTestStart(const ::testing::TestInfo&) override
    {
        if (chdir(start_folder.c_str()) != 0)
            ADD_FAILURE() << "cannot go back to " << start_folder;
        for (const auto& [name, value] : start_environment) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        reset_system_state();
    }

private:
    std::string start_folder;
    std::vector<std::pair<std::string, std::optional<std::string>>> start_environment;
};

std::string current_folder()
{
    char* folder = getcwd(nullptr, 0);
    std::string path = folder ? folder : ".";
    std::free(folder);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSystem(current_folder()));
    return RUN_ALL_TESTS();
}
