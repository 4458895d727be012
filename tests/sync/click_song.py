# The click track: silence with a 5 ms 1 kHz burst at the nominal start of
# each scene 0..22, as an MP3 the demo plays in place of its song. The
# starts are written here from the scene lengths, not read from the code
# under test. An MP3 encoder delays its output by a fixed padding; the
# song is decoded back and the bursts are placed so that a decoder that
# skips the padding (as the encoder's header asks) hears each at its
# start to the sample.
import subprocess
import wave

import numpy as np

RATE = 44100

# Nominal lengths of scenes -1..22 in milliseconds: the intro words run
# 3 s of their clock at rate 0.5, scene 6 runs scene_clock from 5 to 9,
# scene 9 ends when anim_clock at rate 0.5 reaches 2.01.
LENGTHS_MS = [6000, 6000, 6000, 6000, 6000, 6000, 5000, 4000, 20000, 10000, 4020, 4000, 8000] + [6000] * 8 + \
             [4000, 4000, 4000]
FIRST_SCENE = -1
LAST_SCENE = 22


def scene_start(scene):
    return sum(LENGTHS_MS[:scene - FIRST_SCENE]) / 1000.0


# The scenes that begin with a hard cut: every pixel that changes does so
# from one frame to the next.
HARD_CUTS = [0, 1, 2, 3, 4, 5, 8, 10, 11]
CLICKED = list(range(0, LAST_SCENE + 1))
SONG_SECONDS = scene_start(LAST_SCENE + 1) + 4.0
BURST_SECONDS = 0.005
BURST_AMPLITUDE = 0.5


def burst():
    t = np.arange(int(RATE * BURST_SECONDS)) / RATE
    return BURST_AMPLITUDE * np.sin(2 * np.pi * 1000.0 * t)


def write_wav(path, samples):
    pcm = np.clip(np.round(samples * 32767), -32768, 32767).astype('<i2')
    with wave.open(path, 'wb') as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(np.repeat(pcm, 2).tobytes())


def onsets(samples, rate, threshold=0.1, refractory=0.3):
    """Sample indices where a burst begins: the first sample over threshold
    (of full scale) after at least refractory seconds under it."""
    loud = np.flatnonzero(np.abs(samples) > threshold)
    found = []
    last = -10 ** 12
    gap = int(refractory * rate)
    for i in loud:
        if i - last > gap:
            found.append(int(i))
        last = i
    return found


def decode(path, rate=RATE):
    raw = subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-i', path, '-ac', '1', '-ar', str(rate),
                          '-f', 's16le', '-'], check=True, stdout=subprocess.PIPE).stdout
    return np.frombuffer(raw, dtype='<i2').astype(np.float64) / 32768.0


def first_over(samples, at, threshold=0.1):
    """The first sample over threshold in a burst laid at sample at."""
    return at + int(np.flatnonzero(np.abs(samples[at:at + RATE // 100]) > threshold)[0])


def make(path, scratch):
    """Writes the click track to path (MP3); returns how many samples the
    ffmpeg decoder's bursts lie from their nominal starts (0 when placed
    right) and the padding that was taken off."""
    clean = np.zeros(int(SONG_SECONDS * RATE))
    b = burst()
    starts = [int(round(scene_start(s) * RATE)) for s in CLICKED]
    for at in starts:
        clean[at:at + len(b)] = b
    # Where the first sample over the threshold lies in the clean burst.
    lead = first_over(clean, starts[0]) - starts[0]
    shift = 0
    for _ in range(3):
        song = np.zeros_like(clean)
        for at in starts:
            song[at - shift:at - shift + len(b)] = b
        write_wav(f'{scratch}/click.wav', song)
        subprocess.run(['lame', '--quiet', '-b', '192', f'{scratch}/click.wav', path], check=True)
        heard = onsets(decode(path), RATE)
        errors = [h - (at + lead) for h, at in zip(heard, starts)]
        if len(heard) != len(starts):
            raise RuntimeError(f'the decoded click track has {len(heard)} bursts, not {len(starts)}')
        late = int(round(np.median(errors)))
        if late == 0:
            return max(abs(e) for e in errors), shift
        shift += late
    raise RuntimeError(f'the decoded bursts stay {late} samples from their starts')
