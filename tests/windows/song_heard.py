#!/usr/bin/python3
"""Tells whether a recording is a song's start played, perhaps with gaps.

  song_heard.py SONG.pcm RECORDING.pcm SECONDS-PLAYED

Both raw 16-bit stereo at 44100 Hz. Each tenth of a second of the
recording (4096 frames) is looked for in the song's first 12 s by
normalized cross-correlation, and found when it is the song there to
within one step: a piece of another song or of noise is never found. On a
busy machine the player may fall behind and the sink plays silence in
between, so pieces across a gap are not found and those after it lie
later in the recording than in the song; what is asked is that the pieces
found hold a second of the song at least, come in the song's order, each
after the one before without overlapping it (growing places in the song),
and the first within the song's first half second. Exits 0 if so, 1 if not;
prints what it found.
"""
import sys

import numpy as np

WINDOW = 4096
RATE = 44100


def pieces(song, rec):
    """(place in the recording, place in the song) of every piece found."""
    x = song.sum(1)
    size = 1 << int(np.ceil(np.log2(len(x) + WINDOW)))
    fx = np.fft.rfft(x, size)
    energy = np.concatenate([[0], np.cumsum(x * x)])
    found = []
    for i in range(0, len(rec) - WINDOW, WINDOW):
        y = rec[i:i + WINDOW].sum(1)
        if not y.any():
            continue
        c = np.fft.irfft(fx * np.conj(np.fft.rfft(y, size)), size)[:len(x) - WINDOW]
        e = energy[WINDOW:WINDOW + len(c)] - energy[:len(c)]
        nc = c / np.sqrt(e * (y @ y) + 1e-9)
        at = int(np.argmax(nc))
        if nc[at] > 0.999 and np.abs(rec[i:i + WINDOW] - song[at:at + WINDOW]).max() <= 1:
            found.append((i, at))
    return found


def main():
    song = np.fromfile(sys.argv[1], dtype="<i2").reshape(-1, 2).astype(np.float64)[:RATE * 12]
    rec = np.fromfile(sys.argv[2], dtype="<i2").reshape(-1, 2).astype(np.float64)
    played = float(sys.argv[3])
    sound = np.nonzero(np.abs(rec).max(1) > 0)[0]
    if len(sound) == 0:
        print("the recording is silent")
        return 1
    rec = rec[sound[0]:sound[-1] + 1]
    found = pieces(song, rec)
    heard = len(rec) / RATE
    windows = max(0, (len(rec) - 1) // WINDOW)
    at_song = np.array([at for _, at in found])
    shifts = np.array([i - at for i, at in found])
    in_order = len(found) > 1 and bool(np.all(np.diff(at_song) >= WINDOW))
    gaps = int(np.count_nonzero(np.diff(shifts))) if len(found) > 1 else 0
    start = int(at_song[0]) if len(found) else -1
    print(f"played {played:g} s, heard {heard:.2f} s; {len(found)} of {windows} pieces found in the song, "
          f"{'in' if in_order else 'out of'} its order, {gaps} gaps between them, "
          f"the first at song frame {start}, the last at {int(at_song[-1]) if len(found) else -1}")
    enough = len(found) * WINDOW >= RATE
    return 0 if enough and in_order and 0 <= start < RATE // 2 else 1


if __name__ == "__main__":
    sys.exit(main())
