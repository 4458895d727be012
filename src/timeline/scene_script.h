// The scene script: one function per scene or group of scenes, each a whole
// branch of render_frame in its fixed order: set state and draw, tick the
// frame timer once, advance the scene's clocks, test for the end.
#pragma once

void show_start_picture();            // scene -1
void show_intro_word();               // scenes 0 to 4
void bring_title_blocks_forward();    // scene 5
void show_triangle_field();           // scene 6
void show_tunnel();                   // scene 7
void show_star_field();               // scene 8
void wash_stars_out_to_white();       // scene 9
void close_bars_in_on_white();        // scene 10
void show_first_greetings();          // scene 11: "I have this urge"
void show_greeted_group();            // scene 12: "Corvale Lumenworks"
void show_one_greeting();             // scenes 13 to 18, three with a rising credit
void show_everyone_else();            // scene 19: "the whole greek scene"
void close_bars_to_black();           // scene 20
void show_end_card();                 // scenes 21 "/pAxo." and 22 "F I N"
