# The rig's reading, checked where the truth is known: the click track
# decoded by ffmpeg and by the demo's own sound layer has each burst at
# its scene's nominal start to the sample; a fixed-rate capture of the
# sequence muxed with the click track is read back with every cut on the
# first frame of its scene, as the capture's own chapters table says, and
# every offset is the nominal start less that chapter's start.
# usage: python3 analysis_test.py BUILD-DIR
import os
import subprocess
import sys
import tempfile

import numpy as np

import click_song
import rig

build = os.path.abspath(sys.argv[1])
root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
failures = []


def check(what, ok, detail=''):
    print(('ok   ' if ok else 'FAIL ') + what + (f': {detail}' if detail else ''))
    if not ok:
        failures.append(what)


with tempfile.TemporaryDirectory(prefix='elka-sync-test-') as scratch:
    song = os.path.join(scratch, 'song.mp3')
    worst, shift = click_song.make(song, scratch)
    starts = [int(round(click_song.scene_start(s) * click_song.RATE)) for s in click_song.CLICKED]
    check('the click track has its bursts at the nominal starts when ffmpeg decodes it', worst <= 1,
          f'{worst} samples off at worst (padding shift {shift})')

    # The sound layer's own decoding, as the demo plays it.
    raw = os.path.join(scratch, 'decoded.raw')
    subprocess.run([os.path.join(build, 'elka-decoded-song'), song, raw], check=True,
                   env=dict(os.environ, SDL_AUDIODRIVER='dummy'))
    left = np.frombuffer(open(raw, 'rb').read(), dtype='<i2')[0::2].astype(np.float64) / 32768.0
    heard = click_song.onsets(left, click_song.RATE)
    reference = click_song.onsets(click_song.decode(song), click_song.RATE)
    check('the sound layer hears every burst', len(heard) == len(starts), f'{len(heard)} of {len(starts)}')
    if len(heard) == len(reference):
        diff = max(abs(a - b) for a, b in zip(heard, reference))
        check('the sound layer decodes each burst at the sample ffmpeg does', diff <= 1, f'{diff} samples apart')

    # The whole sequence at a fixed 60 fps, small, with the click track.
    video = os.path.join(scratch, 'capture.mkv')
    chapters = os.path.join(scratch, 'chapters.tsv')
    subprocess.run([os.path.join(build, 'elka-capture'), '--size', '160x120', '-q', '-o', video,
                    '--chapters', chapters], check=True, cwd=root)
    recording = os.path.join(scratch, 'rec.nut')
    subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-y', '-i', video, '-i', song, '-map', '0:v',
                    '-map', '1:a', '-vf', 'format=gray', '-c:v', 'ffv1', '-ac', '1', '-ar', '44100',
                    '-c:a', 'pcm_s16le', '-f', 'nut', recording], check=True)
    table = {}
    for line in open(chapters).read().splitlines()[1:]:
        scene, first, seconds = line.split('\t')[:3]
        if scene.lstrip('-').isdigit():
            table[int(scene)] = int(first)
    result = rig.analyse(recording)
    first_pts = result['recorded'][0]
    for row in result['cuts']:
        scene = row['scene']
        if 'cut' not in row:
            check(f'scene {scene}: its cut is found', False)
            continue
        frame = round((row['cut'] - first_pts) * 60)
        check(f'scene {scene}: the cut is read on the scene\'s first frame', frame == table[scene],
              f'frame {frame}, chapters say {table[scene]}')
        want = click_song.scene_start(scene) - table[scene] / 60.0
        check(f'scene {scene}: the offset is the nominal start less the first frame\'s time',
              abs(row.get('offset', 99) - (want - first_pts)) < 0.0015,
              f"{row.get('offset', 99) * 1000:+.1f} ms, want {(want - first_pts) * 1000:+.1f} ms")
        check(f'scene {scene}: the frame after the cut is of the capture\'s rate or still',
              row['frame'] >= 1 / 60.0 - 0.001, f"{row['frame'] * 1000:.0f} ms")

    # A busy screen recording can miss scene 10's one black first frame:
    # the cut is then read on the frame after it, not wherever the bars'
    # closing in darkens most.
    black = table[10]
    missed = os.path.join(scratch, 'missed.nut')
    subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-y', '-i', recording, '-map', '0:v', '-map',
                    '0:a', '-vf', f'select=not(eq(n\\,{black}))', '-fps_mode', 'passthrough', '-c:v', 'ffv1',
                    '-c:a', 'copy', '-f', 'nut', missed], check=True)
    row = next(r for r in rig.analyse(missed)['cuts'] if r['scene'] == 10)
    frame = round((row.get('cut', -1) - first_pts) * 60)
    check('scene 10 without its black first frame: the cut is read on the frame after it', frame == black + 1,
          f'frame {frame}, the black one was {black}')

sys.exit(1 if failures else 0)
