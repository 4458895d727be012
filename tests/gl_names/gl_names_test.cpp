// GL names over the real start-up, the whole sequence and the F1 toggle:
// every texture and display-list name is made once, in the first rendering
// context, and the toggle's new contexts share them: none is made again,
// none deleted, every one alive in each next context.
#include "app/entry.h"
#include "platform/host.h"
#include "resources/display_lists.h"
#include "resources/outline_font.h"
#include "resources/textures.h"
#include "harness/test_support.h"
#include "support/window_test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// One call that made or deleted names, and the rendering context it was
// made in (1 for the first context the process made, 2 for the next...).
struct NameCall {
    char kind; // 't' textures made, 'l' lists made, 'T' textures deleted, 'L' lists deleted
    int context;
    std::vector<GLuint> names;
};
std::vector<NameCall> name_calls;

int contexts_made()
{
    std::vector<std::string> log = call_log(0);
    return static_cast<int>(std::count(log.begin(), log.end(), "create_context"));
}

std::vector<NameCall> calls_of(char kind)
{
    std::vector<NameCall> out;
    for (const NameCall& c : name_calls)
        if (c.kind == kind)
            out.push_back(c);
    return out;
}

} // namespace

extern "C" {
void __real_glGenTextures(GLsizei n, GLuint* textures);
GLuint __real_glGenLists(GLsizei range);
void __real_glDeleteTextures(GLsizei n, const GLuint* textures);
void __real_glDeleteLists(GLuint list, GLsizei range);

void __wrap_glGenTextures(GLsizei n, GLuint* textures)
{
    __real_glGenTextures(n, textures);
    name_calls.push_back({'t', contexts_made(), std::vector<GLuint>(textures, textures + std::max(n, 0))});
}

GLuint __wrap_glGenLists(GLsizei range)
{
    GLuint base = __real_glGenLists(range);
    NameCall call{'l', contexts_made(), {}};
    for (GLsizei i = 0; base != 0 && i < range; ++i)
        call.names.push_back(base + static_cast<GLuint>(i));
    name_calls.push_back(call);
    return base;
}

void __wrap_glDeleteTextures(GLsizei n, const GLuint* textures)
{
    name_calls.push_back({'T', contexts_made(), std::vector<GLuint>(textures, textures + std::max(n, 0))});
    __real_glDeleteTextures(n, textures);
}

void __wrap_glDeleteLists(GLuint list, GLsizei range)
{
    NameCall call{'L', contexts_made(), {}};
    for (GLsizei i = 0; i < range; ++i)
        call.names.push_back(list + static_cast<GLuint>(i));
    name_calls.push_back(call);
    __real_glDeleteLists(list, range);
}
}

namespace {

class GlNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The real media, and the real start-up order on a scripted clock.
        ASSERT_EQ(chdir(source_dir().c_str()), 0);
        // The sequence's globals start only once a process: one test each.
        ASSERT_EQ(shared.scene_index, -1);
        ASSERT_FALSE(shared.quit_requested);
        scripted_counter::install(1000000);
        platform_clear_call_log();
        name_calls.clear();
        ASSERT_TRUE(start_up());
        ASSERT_EQ(contexts_made(), 1);
    }
    void TearDown() override { scripted_counter::uninstall(); }

    // Draws frames of a quarter second until the sequence has reached
    // `scene` (or ended); every scene and effect draws at least once.
    void draw_until(int scene)
    {
        for (int frames = 0; shared.scene_index < scene && !shared.quit_requested && frames < 2000; ++frames)
            draw_frame_after(0.25);
    }

    // The names of one context: one glGenTextures of 5, then the hexagon
    // and arc lists and the font's 256, all made in `context`, none twice.
    void expect_made_once_in(int context)
    {
        SCOPED_TRACE(testing::Message() << "context " << context);
        std::vector<NameCall> textures, lists;
        for (const NameCall& c : name_calls) {
            if (c.context != context)
                continue;
            if (c.kind == 't')
                textures.push_back(c);
            if (c.kind == 'l')
                lists.push_back(c);
        }
        ASSERT_EQ(textures.size(), 1u);
        EXPECT_EQ(textures[0].names.size(), 5u);
        ASSERT_EQ(lists.size(), 3u);
        EXPECT_EQ(lists[0].names.size(), 1u); // hexagon
        EXPECT_EQ(lists[1].names.size(), 1u); // arc
        EXPECT_EQ(lists[2].names.size(), 256u); // font
        std::set<GLuint> texture_names(textures[0].names.begin(), textures[0].names.end());
        EXPECT_EQ(texture_names.size(), 5u);
        EXPECT_EQ(texture_names.count(0), 0u);
        std::set<GLuint> list_names;
        for (const NameCall& c : lists)
            list_names.insert(c.names.begin(), c.names.end());
        EXPECT_EQ(list_names.size(), 258u) << "a list name was made twice";
        EXPECT_EQ(list_names.count(0), 0u);
    }

    // The current context holds what the system's globals name.
    void expect_resources_live()
    {
        for (int slot = 0; slot < 3; ++slot)
            EXPECT_TRUE(glIsTexture(resources.texture_ids[slot])) << "slot " << slot;
        EXPECT_TRUE(glIsList(resources.hexagon_list));
        EXPECT_TRUE(glIsList(resources.arc_list));
        int glyphs = 0;
        for (GLuint code = 0; code < 255; ++code)
            glyphs += glIsList(resources.font_list_base + code) ? 1 : 0;
        EXPECT_EQ(glyphs, 255);
    }

    BoxRecorder boxes{IDYES}; // the fallback question: windowed
};

TEST_F(GlNames, TheWholeSequenceMakesEveryNameOnce)
{
    draw_until(100);
    ASSERT_TRUE(shared.quit_requested);
    EXPECT_EQ(shared.scene_index, 23);

    EXPECT_EQ(contexts_made(), 1);
    expect_made_once_in(1);
    EXPECT_TRUE(calls_of('T').empty());
    EXPECT_TRUE(calls_of('L').empty());
    // The globals hold the names that were made, and they are all alive.
    std::vector<NameCall> textures = calls_of('t'), lists = calls_of('l');
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_TRUE(std::equal(resources.texture_ids, resources.texture_ids + 5, textures[0].names.begin()));
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(resources.hexagon_list, lists[0].names[0]);
    EXPECT_EQ(resources.arc_list, lists[1].names[0]);
    EXPECT_EQ(resources.font_list_base, lists[2].names[0]);
    expect_resources_live();

    // The shutdown deletes nothing: the font's lists went with the context,
    // which is gone before delete_font runs.
    shut_down();
    EXPECT_TRUE(calls_of('L').empty());
    EXPECT_TRUE(calls_of('T').empty());
}

TEST_F(GlNames, EachToggleKeepsTheFirstContextsNamesAliveInTheNextContexts)
{
    const std::vector<GLuint> first_textures = calls_of('t').at(0).names;
    const GLuint first_font = resources.font_list_base;
    // Toggles in the tunnel, in the greetings and twice in a row.
    std::vector<int> toggle_log_from;
    draw_until(7);
    ASSERT_EQ(shared.scene_index, 7);
    toggle_log_from.push_back(platform_call_log_size());
    ASSERT_TRUE(toggle_display());
    draw_until(15);
    ASSERT_EQ(shared.scene_index, 15);
    for (int i = 0; i < 2; ++i) {
        toggle_log_from.push_back(platform_call_log_size());
        ASSERT_TRUE(toggle_display());
    }
    draw_until(100);
    ASSERT_TRUE(shared.quit_requested);
    EXPECT_EQ(shared.scene_index, 23);

    ASSERT_EQ(contexts_made(), 4);
    expect_made_once_in(1);
    EXPECT_EQ(calls_of('t').size(), 1u) << "a toggle made textures again";
    EXPECT_EQ(calls_of('l').size(), 3u) << "a toggle made lists again";
    EXPECT_TRUE(calls_of('T').empty());
    EXPECT_TRUE(calls_of('L').empty());

    // Each toggle still deletes the old context before it makes the new one,
    // as the window is designed to: the names outlive it.
    for (int from : toggle_log_from) {
        std::vector<std::string> log = call_log(from);
        auto deleted = std::find(log.begin(), log.end(), "delete_context");
        auto created = std::find(log.begin(), log.end(), "create_context");
        ASSERT_NE(deleted, log.end());
        ASSERT_NE(created, log.end());
        EXPECT_LT(deleted - log.begin(), created - log.begin());
    }
    // The globals still hold the first context's names, alive here.
    EXPECT_TRUE(std::equal(resources.texture_ids, resources.texture_ids + 5, first_textures.begin()));
    EXPECT_EQ(resources.font_list_base, first_font);
    expect_resources_live();
    shut_down();
}

} // namespace
