#!/bin/bash
# The state the system keeps between frames lives in one struct per layer,
# so that a test's reset is one assignment a layer and nothing escapes it.
# Every mutable name src/ declares extern in a header must be one of those
# (or the two hooks the testing seam plugs into); a new one fails here with
# the place it was declared.
#   layer_state.sh SOURCE_DIR
set -euo pipefail
cd "$1"
allowed=" shared effects resources app music_player window_state fsound_state subset platform_seam counter_source sdl_backend win32_backend web_backend "
found=0 bad=0
while IFS= read -r hit; do
  line=${hit#*:*:}
  line=${line%%//*}
  # extern "C" blocks and objects that are const themselves are no state.
  [[ $line =~ extern\ \"C\" ]] && continue
  [[ $line =~ extern[[:space:]]+const[[:space:]][^*]*\; ]] && continue
  [[ $line =~ \*[[:space:]]*const[[:space:]]+[A-Za-z_][A-Za-z_0-9]*[[:space:]]*\; ]] && continue
  name=$(sed -E 's/.*[ *&]([A-Za-z_][A-Za-z_0-9]*)(\[[^]]*\])*[[:space:]]*;[[:space:]]*$/\1/' <<< "$line")
  found=$((found + 1))
  if [[ $allowed != *" $name "* ]]; then
    echo "FAIL: ${hit%%:*}:$(cut -d: -f2 <<< "$hit"): '$name' is state outside its layer's struct"
    bad=$((bad + 1))
  fi
done < <(grep -rnE '^\s*extern\s' src --include='*.h')
if [ "$found" -gt 13 ]; then
  echo "FAIL: $found mutable names declared extern in src/ headers (at most 13)"
  bad=$((bad + 1))
fi
[ "$bad" -eq 0 ] || exit 1
echo "$found mutable names declared extern in src/ headers, each a layer's state or a seam hook"
