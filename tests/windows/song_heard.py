#!/usr/bin/python3
"""Tells whether a recording is a song's start played, perhaps with gaps.

  song_heard.py SONG.pcm RECORDING.pcm SECONDS-PLAYED

Both raw 16-bit stereo at 44100 Hz. The recording is walked from its first
sound: a short piece (1024 frames) is looked for in the part of the song
that was played (and a second more) by normalized cross-correlation, and where it is the song there to within
one step, the match is followed sample by sample as far as it holds (a
run); then the walk goes on after it. A piece of another song or of noise
never matches to within one step. On a busy machine the player may fall
behind: the sink plays silence in between, or a stretch of the song is
lost, so the song comes in runs with gaps. What is asked: the runs hold
half a second of the song's sound at least, come in the song's order, each
at or after the end of the one before (growing places in the song), and
all lie within what was played. The mixer keeps the song on the wall
clock and starts it as far ahead as the output is behind (it skips that
much of the song's start), so what was played reaches up to LEAD seconds
past the seconds played. Exits 0 if so, 1 if not; prints what it found.
"""
import sys

import numpy as np

PIECE = 1024
RATE = 44100
# The most the mixer starts the song ahead of the wall clock: the output's
# lead (a few device buffers under Wine).
LEAD = 0.25


class Song:
    def __init__(self, song):
        self.song = song
        self.x = song.sum(1)
        self.size = 1 << int(np.ceil(np.log2(len(self.x) + PIECE)))
        self.fx = np.fft.rfft(self.x, self.size)
        self.energy = np.concatenate([[0], np.cumsum(self.x * self.x)])

    def place(self, piece):
        """Where in the song the piece is to within one step, or None."""
        y = piece.sum(1)
        c = np.fft.irfft(self.fx * np.conj(np.fft.rfft(y, self.size)), self.size)[:len(self.x) - PIECE]
        e = self.energy[PIECE:PIECE + len(c)] - self.energy[:len(c)]
        nc = c / np.sqrt(e * (y @ y) + 1e-9)
        at = int(np.argmax(nc))
        if nc[at] > 0.999 and np.abs(piece - self.song[at:at + PIECE]).max() <= 1:
            return at
        return None


def runs(song, rec):
    """(place in the recording, place in the song, length, frames of sound) of every run."""
    s = Song(song)
    loud = np.abs(rec).max(1) > 0
    found, pos = [], 0
    while pos + PIECE <= len(rec):
        if not loud[pos:pos + PIECE].any():
            pos += PIECE
            continue
        at = s.place(rec[pos:pos + PIECE])
        if at is None:
            pos += PIECE
            continue
        reach = min(len(rec) - pos, len(song) - at)
        off = np.abs(rec[pos:pos + reach] - song[at:at + reach]).max(1) > 1
        length = int(np.argmax(off)) if off.any() else reach
        found.append((pos, at, length, int(np.count_nonzero(loud[pos:pos + length]))))
        pos += length
    return found


def main():
    played = float(sys.argv[3])
    song = np.fromfile(sys.argv[1], dtype="<i2").reshape(-1, 2).astype(np.float64)[:int(RATE * (played + 1))]
    rec = np.fromfile(sys.argv[2], dtype="<i2").reshape(-1, 2).astype(np.float64)
    sound = np.nonzero(np.abs(rec).max(1) > 0)[0]
    if len(sound) == 0:
        print("the recording is silent")
        return 1
    rec = rec[sound[0]:sound[-1] + 1]
    found = runs(song, rec)
    heard = len(rec) / RATE
    matched = sum(r[3] for r in found)
    in_order = len(found) > 0 and all(b[1] >= a[1] + a[2] for a, b in zip(found, found[1:]))
    first = found[0][1] if found else -1
    end = found[-1][1] + found[-1][2] if found else -1
    within = len(found) > 0 and end <= (played + LEAD) * RATE
    print(f"played {played:g} s, heard {heard:.2f} s: {len(found)} runs of the song, {matched / RATE:.2f} s of its sound "
          f"({np.count_nonzero(np.abs(rec).max(1) > 0) / RATE:.2f} s heard), {'in' if in_order else 'out of'} its order, "
          f"from song frame {first} to {end}{'' if within or not found else ', beyond what was played'}")
    return 0 if matched >= RATE // 2 and in_order and within else 1


if __name__ == "__main__":
    sys.exit(main())
