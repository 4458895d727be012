#!/bin/bash
# The state the system keeps between frames lives in one struct per layer
# (one per backend of the platform), so that a test's reset is one
# assignment a layer and nothing escapes it. Two counts, both against the
# list below:
# - every variable src/ keeps for the life of the process: defined at
#   namespace scope (anonymous namespaces and extern "C" blocks included)
#   or static in a function, as file_scope_state.py lists them;
# - every mutable name a header of src/ declares extern.
# A name outside the list fails here with the place it is defined.
#   layer_state.sh SOURCE_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$1"
# The layers' structs, the two hooks the testing seam plugs into, and the
# music player: the one static object, whose destructor closes the sound.
allowed=" shared effects resources app music_player window_state fsound_state font_state subset present host
          sdl_backend win32_backend web_backend platform_seam counter_source "
allowed=" $(tr -s ' \n' ' ' <<< "$allowed") "
bad=0 kept=0
while IFS= read -r hit; do
  name=${hit##*: }
  kept=$((kept + 1))
  if [[ $allowed != *" $name "* ]]; then
    echo "FAIL: ${hit%: *}: '$name' is state outside its layer's struct"
    bad=$((bad + 1))
  fi
done < <(python3 "$here/file_scope_state.py" src)

declared=0
while IFS= read -r hit; do
  line=${hit#*:*:}
  line=${line%%//*}
  # extern "C" blocks and objects that are const themselves are no state.
  [[ $line =~ extern\ \"C\" ]] && continue
  [[ $line =~ extern[[:space:]]+const[[:space:]][^*]*\; ]] && continue
  [[ $line =~ \*[[:space:]]*const[[:space:]]+[A-Za-z_][A-Za-z_0-9]*[[:space:]]*\; ]] && continue
  name=$(sed -E 's/.*[ *&]([A-Za-z_][A-Za-z_0-9]*)(\[[^]]*\])*[[:space:]]*;[[:space:]]*$/\1/' <<< "$line")
  declared=$((declared + 1))
  if [[ $allowed != *" $name "* ]]; then
    echo "FAIL: ${hit%%:*}:$(cut -d: -f2 <<< "$hit"): '$name' is declared extern outside its layer's struct"
    bad=$((bad + 1))
  fi
done < <(grep -rnE '^\s*extern\s' src --include='*.h')

echo "$kept variables kept for the process's life and $declared declared extern in src/; $bad outside the layers' structs"
[ "$bad" -eq 0 ]
