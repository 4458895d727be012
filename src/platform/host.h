// The host library: what the programs that host the system besides the
// demo (the capture tool, tests, benchmarks) reach besides the calls the
// demo makes. Failures that a real window system cannot be made to
// produce on demand, the log of every window step in order, messages put in
// the queue, the frame loop seen from the window system, message boxes
// answered by the test, a counter the caller drives, and queries of the
// window and of the sound layer. It is its own library (elka_host); the
// demo does not link it and carries none of it.
#pragma once

#include "platform/font_outlines.h"
#include "platform/fsound.h"
#include "platform/messages.h"
#include "platform/offscreen_target.h"
#include "platform/performance_counter.h"
#include "platform/window_internal.h"
#include "platform/window_system.h"

#include <functional>
#include <string>

// Puts the seam back as at process start, for a test that follows another
// in the same process: no failure injected, an empty call log, the loop not
// observed, boxes shown, the backend's counter, the layer's own sound version.
void platform_reset_testing_seam();

// Failure injection: the next call of the step fails.
void platform_inject_failure(PlatformStep step);
void platform_clear_injected_failures();
const char* platform_step_name(PlatformStep step);

// The call log: each step's call in order ("register_class",
// "destroy_window", ...), the calls that cannot fail as well
// ("restore_display_mode", "show_cursor", "hide_cursor", "show_window",
// "set_foreground_window", "set_focus"). It records from process start.
int platform_call_log_size();
const char* platform_call_log_entry(int index);
void platform_clear_call_log();

// Puts a message in the queue as if the window system sent it.
void platform_post_message(const Message& message);

// The frame loop as the window system sees it: before_peek runs each time a
// message is looked for, after_peek with what the look took (null: nothing
// waited), after_swap after each buffer swap. Any of them may be null;
// null observer: not observed.
struct LoopObserver {
    void (*before_peek)();
    void (*after_peek)(const Message* taken);
    void (*after_swap)();
};
void platform_observe_loop(const LoopObserver* observer);

// Every message box goes to the hook instead, which answers it; an empty
// hook shows boxes again.
using MessageBoxHook = std::function<int(const char* text, const char* caption, unsigned style)>;
void platform_set_message_box_hook(MessageBoxHook hook);

// The counter behind the frame timer from now on; nullptr restores the backend's.
void platform_set_counter_source(const CounterSource* source);

// The window as the window system has it.
const char* platform_window_title(WindowHandle window);
void platform_window_size(WindowHandle window, int* width, int* height);
// True when the window really runs fullscreen in the display.
bool platform_window_is_fullscreen(WindowHandle window);
// SDL's own id of the window, 0 for none.
unsigned platform_window_id(WindowHandle window);
bool platform_class_registered();
int platform_cursor_count();

// The capture tool's offscreen target: its size.
int offscreen_target_width();
int offscreen_target_height();

// Forgets every font file added so far, as a new process starts: for the
// programs that start the system more than once in one process.
void platform_forget_font_files();

// The outline font: what was matched (the face's own family name, its file,
// and whether its outlines are emboldened because the face is lighter than
// was asked), and the Unicode code point of a Windows-1252 (ANSI) character
// code (the five codes that code page leaves undefined map to the C1
// control of the same number).
std::string platform_outline_face_family(const OutlineFace* face);
std::string platform_outline_face_file(const OutlineFace* face);
bool platform_outline_face_emboldened(const OutlineFace* face);
unsigned platform_ansi_to_unicode(unsigned char code);

// The sound layer: FSOUND_GetVersion reports `version` from now on, so
// that an older library can be tried; fsound_restore_version goes back to
// the layer's own.
void fsound_set_reported_version(float version);
void fsound_restore_version();
// True between a successful FSOUND_Init and FSOUND_Close.
bool fsound_started();
// Samples the layer holds (freed by FSOUND_Close).
int fsound_sample_count();
// True while `channel` is playing.
bool fsound_channel_playing(int channel);
// Length of a loaded sample in sample frames, and its decoded data as the
// device plays it (interleaved 16-bit or whatever the device asked for);
// for tests that compare what was played with what was loaded.
int fsound_sample_frames(const FSOUND_SAMPLE* sample);
const unsigned char* fsound_sample_bytes(const FSOUND_SAMPLE* sample, int* byte_count);
// Output format of the open device: rate, channels, SDL audio format code.
bool fsound_output_format(int* rate, int* channels, unsigned short* format);
