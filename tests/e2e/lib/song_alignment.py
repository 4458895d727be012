# A song whose every piece is found in one place only, and where the
# pieces of a recording of it lie, for the tests that stop a player
# mid-song (tests/e2e/song_wall_clock.sh, tests/windows/sound_stall.sh).
#   song_alignment.py make SONG.wav     20 s of noise, 16-bit stereo at 44100 Hz
#   song_alignment.py check SONG.wav RECORDED.raw [--stall-only [--hidden-ms MS]]
# check finds each piece of the recording (16-bit stereo at 44100 Hz) in
# the song by cross-correlation, sample for sample; finds the stall as the
# longest silence after the song began; and passes when, from one second
# after the stall on, every piece lies where the pieces lay before it (the
# song's time against the recorder's) within the window EBU R37 gives
# sound against picture (40 ms early, 60 ms late), and the pieces before
# the stall keep to that window too. With --stall-only, for a player that
# cannot see everything below it (Wine's waveOut says nothing of what its
# sound server holds), the pieces before the stall may drift, and those
# after it must lie within R37's window of the range they lay in before:
# the stall itself cost nothing.
import sys
import wave

import numpy as np

rate = 44100


def fail(text):
    print(f"FAIL: {text}")
    sys.exit(1)


def make(path):
    noise = np.random.default_rng(20261209).integers(-8000, 8000, size=(rate * 20, 2), dtype=np.int16)
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(noise.astype("<i2").tobytes())


def check(song_path, recorded_path, stall_only, hidden_ms=0.0):
    with wave.open(song_path) as w:
        song = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").reshape(-1, 2).astype(np.float64)
    rec = np.fromfile(recorded_path, dtype="<i2")
    rec = rec[:len(rec) // 2 * 2].reshape(-1, 2).astype(np.float64)
    # Each piece of the recording, found in the song by cross-correlation and
    # then checked sample for sample: (where recorded, where in the song).
    w = 2048
    x = song.sum(1)
    size = 1 << int(np.ceil(np.log2(len(x) + w)))
    fx = np.fft.rfft(x, size)
    pieces = []
    for i in range(0, len(rec) - w, w):
        piece = rec[i:i + w]
        if np.abs(piece).max(1).min() == 0:
            continue  # silence, or the song's edge
        c = np.fft.irfft(fx * np.conj(np.fft.rfft(piece.sum(1), size)), size)[:len(x) - w]
        at = int(np.argmax(c))
        if np.abs(song[at:at + w] - piece).max() <= 1:
            pieces.append((i, at))
    if not pieces:
        fail("nothing of the song was recorded")
    # The stall as the sink heard it: the longest silence after the song began.
    quiet = np.abs(rec).max(1) == 0
    first = pieces[0][0]
    runs, start = [], None
    for k in range(first, len(rec)):
        if quiet[k] and start is None:
            start = k
        elif not quiet[k] and start is not None:
            runs.append((start, k))
            start = None
    gap = max(runs, key=lambda r: r[1] - r[0]) if runs else (0, 0)
    gap_seconds = (gap[1] - gap[0]) / rate
    if gap_seconds < 1.5:
        fail(f"the sink heard no stall (longest silence {gap_seconds:.3f} s)")
    before = [(i, s) for i, s in pieces if i + w <= gap[0]]
    after = [(i, s) for i, s in pieces if i >= gap[1] + rate]
    if len(before) < 10 or len(after) < 10:
        fail(f"{len(before)} pieces before the stall and {len(after)} from a second after it: too few")
    # Where the song lies against the sink: recorded frame minus song frame.
    base = np.median([i - s for i, s in before])
    def late_ms(pieces):
        return [((i - s) - base) / rate * 1000 for i, s in pieces]

    b, a = late_ms(before), late_ms(after)
    print(f"{len(pieces)} pieces of {w} frames found; stall heard {gap_seconds:.3f} s at {gap[0] / rate:.3f} s; "
          f"before it the song lies {min(b):+.1f}...{max(b):+.1f} ms from its median, "
          f"from a second after it {min(a):+.1f}...{max(a):+.1f} ms (positive: late)")
    if stall_only:
        if min(a) < min(b) - 40 - hidden_ms or max(a) > max(b) + 60:
            fail("after the stall the song is not back where it was before it")
        return
    if min(b) < -40 or max(b) > 60:
        fail("the song moved against the sink before the stall")
    if min(a) < -40 or max(a) > 60:
        fail("after the stall the song is not back on the wall clock")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
    elif len(sys.argv) in (4, 5) and sys.argv[1] == "check" and sys.argv[4:] in ([], ["--stall-only"]):
        check(sys.argv[2], sys.argv[3], len(sys.argv) == 5)
    elif len(sys.argv) == 7 and sys.argv[1] == "check" and sys.argv[4:6] == ["--stall-only", "--hidden-ms"]:
        check(sys.argv[2], sys.argv[3], True, float(sys.argv[6]))
    else:
        sys.exit("usage: song_alignment.py make SONG.wav | check SONG.wav RECORDED.raw [--stall-only [--hidden-ms MS]]")
