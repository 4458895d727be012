#!/bin/bash
# The demo links no part of the platform's host library: none of its
# symbols is in the binary, while a test program that uses the seam has
# them (so the check would see them if they were there).
set -u
demo=$1
tests=$2
seam='platform_inject_failure|platform_clear_injected_failures|platform_step_name|platform_call_log|platform_post_message|platform_observe_loop|platform_set_message_box_hook|platform_set_counter_source|platform_window_title|platform_window_size|platform_window_id|platform_window_is_fullscreen|platform_class_registered|platform_cursor_count|fsound_set_reported_version|fsound_restore_version|fsound_started|fsound_sample_count|fsound_channel_playing|fsound_sample_frames|fsound_sample_bytes|fsound_output_format|frame_loop_observer|call_log|platform_forget_font_files|platform_outline_face_|platform_ansi_to_unicode'

in_demo=$(nm -C "$demo" | grep -E "$seam")
if [ -n "$in_demo" ]; then
    echo "the demo carries the host library:"
    echo "$in_demo"
    exit 1
fi
in_tests=$(nm -C "$tests" | grep -cE "platform_inject_failure|platform_call_log_size|platform_observe_loop")
if [ "$in_tests" -lt 3 ]; then
    echo "the test program has no seam symbols either: the check sees nothing ($in_tests found)"
    exit 1
fi
echo "no seam symbol in $demo; $in_tests found in $tests"
