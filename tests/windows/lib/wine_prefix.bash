# make_wine_prefix LOG: the Wine prefix $WINEPREFIX for a test. Making one
# (wineboot) takes about 12 s, most of it waiting; the suite makes one once
# (tests/windows/prefix.sh, in the folder ELKA_WINE_PREFIX names) and each
# test runs in a copy of it, where it has nothing of another test's run.
# Without that folder the prefix is made here; wineboot's output goes to
# LOG. Source it.
make_wine_prefix() {
    local made="${ELKA_WINE_PREFIX:-}"
    if [[ -n "$made" ]]; then
        [[ -f "$made/prefix/.elka-made" ]] || { echo "no prefix made in $made (the test windows.prefix makes it)" >"$1"; return 1; }
        cp -a "$made/prefix" "$WINEPREFIX" 2>"$1"
        return
    fi
    wineboot -i >"$1" 2>&1 || return 1
    wineserver -w
}
