// The rows of the scene table. The end rules are the script's: most scenes
// end when scene_clock, at rate 1, reaches their threshold; the intro words
// when the word's clock, at rate 0.5, reaches 3; scene 6 runs scene_clock
// on from scene 5's 5 to 9; scene 9 ends when anim_clock, at rate 0.5,
// reaches 2.01. Each row also has the rates of the clocks its scene
// advances.
#include "timeline/scene_table.h"

namespace {

using B = SceneBranch;
using C = EndClock;
using R = ResetSet;

// The clocks' rates, per scene: scene_clock, anim_clock, text_fade[0] and
// [1], tunnel_angle, swarm_angle.
constexpr ClockRates start_picture{1, 0, {0, 0}, 0, 0};
constexpr ClockRates intro_word{0, 0, {0.5f, 0}, 0, 0};
constexpr ClockRates title_blocks{1, 5, {0, 0}, 0, 0};
constexpr ClockRates triangle_field{1, 0.243f, {0, 0}, 40, 0};
constexpr ClockRates tunnel{1, 0.16666667f, {0, 0}, 40, 0};
constexpr ClockRates star_field{1, 0, {0, 0}, 0, 0};
constexpr ClockRates stars_to_white{0, 0.5f, {0, 0}, 0, 0};
constexpr ClockRates bars_in{1, 0.5f, {0, 0}, 0, 25};
constexpr ClockRates two_lines{1, 0, {0.3f, 0.3f}, 0, 25};
constexpr ClockRates one_line{1, 0, {0.3f, 0}, 0, 25};
constexpr ClockRates credit{1, 1.5f, {0.3f, 0}, 0, 25};
constexpr ClockRates credit_apart{1, 1.7f, {0.3f, 0}, 0, 25};
constexpr ClockRates last_greeting{1, 0, {0.35f, 0.3f}, 0, 25};
constexpr ClockRates bars_out{1, 0.5f, {0, 0}, 0, 0};
constexpr ClockRates end_card{1, 1, {0, 0}, 0, 0};

const SceneRow rows[last_scene - first_scene + 1] = {
    {B::start_picture, "the picture of files/load.bmp on black", C::scene_clock, 0.0f, 6.0f, 1.0f, R::scene_clock_only,
     start_picture},
    {B::intro_word, "\"pigs..\" behind a window frame on white", C::word_clock, 0.0f, 3.0f, 0.5f, R::word_clock,
     intro_word},
    {B::intro_word, "\"ants..\" behind a window frame on white", C::word_clock, 0.0f, 3.0f, 0.5f, R::word_clock,
     intro_word},
    {B::intro_word, "\"goats..\" behind a window frame on white", C::word_clock, 0.0f, 3.0f, 0.5f, R::word_clock,
     intro_word},
    {B::intro_word, "\"chickens..\" behind a window frame on white", C::word_clock, 0.0f, 3.0f, 0.5f, R::word_clock,
     intro_word},
    {B::intro_word, "\"worms..\" behind a window frame on white", C::word_clock, 0.0f, 3.0f, 0.5f, R::word_clock,
     intro_word},
    {B::title_blocks, "title blocks and title coming forward", C::scene_clock, 0.0f, 5.0f, 1.0f, R::anim_clock_only,
     title_blocks},
    {B::triangle_field, "triangle field", C::scene_clock, 5.0f, 9.0f, 1.0f, R::scene_and_anim, triangle_field},
    {B::tunnel, "tunnel and title fading out", C::scene_clock, 0.0f, 20.0f, 1.0f, R::scene_and_anim, tunnel},
    {B::star_field, "star field", C::scene_clock, 0.0f, 10.0f, 1.0f, R::scene_and_anim, star_field},
    {B::stars_to_white, "star field washing out to white", C::anim_clock, 0.0f, 2.01f, 0.5f, R::scene_and_anim,
     stars_to_white},
    {B::bars_in_on_white, "bars closing in on white, swarm sliding in", C::scene_clock, 0.0f, 4.0f, 1.0f,
     R::four_clocks, bars_in},
    {B::greeting, "\"I have this urge\" / \"to give props to..\"", C::scene_clock, 0.0f, 8.0f, 1.0f, R::four_clocks,
     two_lines},
    {B::greeting, "\"Corvale Lumenworks\" / \"Collective\"", C::scene_clock, 0.0f, 6.0f, 1.0f, R::four_clocks,
     two_lines},
    {B::greeting, "rising credit \"pAxo\" / \"code/gfx:\"; \"V a r n\"", C::scene_clock, 0.0f, 6.0f, 1.0f,
     R::four_clocks, credit},
    {B::greeting, "\"t h e F o g\"", C::scene_clock, 0.0f, 6.0f, 1.0f, R::four_clocks, one_line},
    {B::greeting, "rising credit \"fmod\" / \"SoundSys:\"; \"z e n o x\"", C::scene_clock, 0.0f, 6.0f, 1.0f,
     R::four_clocks, credit},
    {B::greeting, "\"Tidy Moths\"", C::scene_clock, 0.0f, 6.0f, 1.0f, R::four_clocks, one_line},
    {B::greeting, "rising credit \"Amber Quarry\" / \"music track:\"; \"Silent Lattice\"", C::scene_clock, 0.0f, 6.0f,
     1.0f, R::four_clocks, credit_apart},
    {B::greeting, "\"W u m p s !\"", C::scene_clock, 0.0f, 6.0f, 1.0f, R::four_clocks, one_line},
    {B::greeting, "\"the whole greek scene\" / \"and everyone I forgot\"", C::scene_clock, 0.0f, 6.0f, 1.0f,
     R::four_clocks, last_greeting},
    {B::bars_to_black, "bars closing to black, title fading out", C::scene_clock, 0.0f, 4.0f, 1.0f, R::four_clocks,
     bars_out},
    {B::end_card, "\"/pAxo.\" white on black", C::scene_clock, 0.0f, 4.0f, 1.0f, R::four_clocks, end_card},
    {B::end_card, "\"F I N\" white on black", C::scene_clock, 0.0f, 4.0f, 1.0f, R::four_clocks, end_card},
};

} // namespace

const SceneRow* scene_row(int scene)
{
    return scene >= first_scene && scene <= last_scene ? &rows[scene - first_scene] : nullptr;
}
