# The faces whose glyph outlines another reader (the page's, Windows') is
# held to against the desktop's; sourced, run from the repository root.

# The desktop's font reader, as the native glyph dump and checks build it.
desktop_font_sources="src/platform/sdl/font_outlines.cpp src/platform/font_rules.cpp src/platform/font_queries.cpp
  src/platform/sdl/backend_state.cpp src/platform/outline_flattening.cpp src/platform/media_files.cpp"

# compare_outline_faces DEJAVU-WEIGHT...: calls the caller's
# compare FAMILY WEIGHT FILE TOLERANCE for the demo's face at 700 (a
# regular face, so emboldened: FreeType's fixed-point unit vectors put a
# point up to 1/64 design unit away) and at 400, and for DejaVu Sans (one of
# the demo's own packages, drawn differently) at each weight given; false
# when DejaVu Sans is not installed.
compare_outline_faces() {
  local one_fine_unit=7.7e-6 # 1/64 of a design unit of the 2048-unit em, and a little
  local dejavu=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf weight
  compare "Secret Service Typewriter" 700 files/font.ttf "$one_fine_unit"
  compare "Secret Service Typewriter" 400 files/font.ttf 0
  if [ ! -f "$dejavu" ]; then
    echo "FAILED: $dejavu is not installed (scripts/setup.sh install test installs fonts-dejavu-core)"
    return 1
  fi
  for weight in "$@"; do
    compare "DejaVu Sans" "$weight" "$dejavu" 0
  done
}
