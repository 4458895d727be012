#!/usr/bin/python3
"""song_heard.py on made-up recordings: the song whole, the song with the
gaps a busy machine leaves, another song, the song out of order, a piece
too short and silence; each must be told for what it is.

  song_heard_test.py PATH-TO-song_heard.py
"""
import os
import subprocess
import sys
import tempfile

import numpy as np

RATE = 44100
checker = sys.argv[1]
rand = np.random.default_rng(20261209)


def made_song(seed):
    """12 s of chords that change every fifth of a second, 16-bit stereo."""
    r = np.random.default_rng(seed)
    t = np.arange(RATE * 12) / RATE
    out = np.zeros((len(t), 2))
    for start in range(0, len(t), RATE // 5):
        part = slice(start, start + RATE // 5)
        for ch in range(2):
            for f in r.uniform(110, 1800, 3):
                out[part, ch] += 3000 * np.sin(2 * np.pi * f * t[part])
    return np.round(out).astype("<i2")


song = made_song(1)
other = made_song(2)
silence = np.zeros((RATE // 3, 2), "<i2")
played = song[:RATE * 4]


def with_gaps(sound, at, lengths):
    pieces, last = [], 0
    for a, n in zip(at, lengths):
        pieces += [sound[last:a], np.zeros((n, 2), "<i2")]
        last = a
    return np.concatenate(pieces + [sound[last:]])


cases = [
    ("the song whole", np.concatenate([silence, played, silence]), 0),
    ("the song with three gaps", with_gaps(played, [30000, 90000, 140000], [7000, 20000, 3333]), 0),
    ("the song with a gap every half second",
     with_gaps(played, list(range(RATE // 2, RATE * 4, RATE // 2)), [2000] * 7), 0),
    ("the song with a gap of 200 frames every 50 ms",
     with_gaps(played, list(range(RATE // 20, RATE * 4, RATE // 20)), [200] * 79), 0),
    ("the song with its first half second and a second in the middle lost, and gaps",
     with_gaps(np.concatenate([played[RATE // 2:RATE * 2], played[RATE * 3:]]), [20000, 60000], [3000, 9000]), 0),
    ("the song started 0.1 s ahead, as the mixer starts it on a late output", song[RATE // 10:RATE * 41 // 10], 0),
    ("another song", other[:RATE * 4], 1),
    ("another song with gaps", with_gaps(other[:RATE * 4], [30000, 90000], [7000, 20000]), 1),
    ("the song's halves swapped", np.concatenate([played[RATE * 2:], played[:RATE * 2]]), 1),
    ("the song from its sixth second (more than was played)", song[RATE * 6:RATE * 10], 1),
    ("a third of a second of the song", song[:RATE // 3], 1),
    ("the song beside noise", (played.astype(np.int32) + rand.integers(-300, 300, played.shape)).clip(-32768, 32767), 1),
    ("silence", np.zeros((RATE * 4, 2), "<i2"), 1),
]

failures = 0
with tempfile.TemporaryDirectory() as folder:
    song_file = os.path.join(folder, "song.pcm")
    song.tofile(song_file)
    for name, recording, want in cases:
        rec_file = os.path.join(folder, "rec.pcm")
        recording.astype("<i2").tofile(rec_file)
        run = subprocess.run([sys.executable, checker, song_file, rec_file, "4"], stdout=subprocess.PIPE, text=True)
        verdict = "ok" if run.returncode == want else "FAIL"
        failures += verdict == "FAIL"
        print(f"{verdict}: {name}: status {run.returncode} (want {want}): {run.stdout.strip()}")
sys.exit(1 if failures else 0)
