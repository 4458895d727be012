# One run of the sync rig: the reference player, then the program under
# test (the desktop build, the page in a browser, or the Windows build
# under Wine) playing the click track, recorded and read; optionally a busy
# machine beside it or the program stopped for 2 s mid-run. Writes the
# result as JSON, prints the table, and with --check asserts EBU R37 on
# every cut (before the stall, and from one second after it on). With
# --player-keys (any backend) the run also seeks and
# pauses: Right at 58 s (the tunnel, whose 20 s hold no click), then Space
# at 66 s and again 2 s later; the cuts after each are held to R37 from a
# second after it on.
# The rig's reference on a page (chromium-reference, firefox-reference) tells
# what of a browser's offset is its own: a page that only turns white and
# black on its clicks, drawn as eLka's page draws.
# With --until S the run ends once the sequence is S seconds in (Escape in
# the demo's window; the page is closed), for a test that holds only the
# cuts before it.
# usage: python3 sync_run.py --backend desktop|chromium|firefox|wine|reference|chromium-reference|firefox-reference
#            [--condition idle|stop|busy] [--stop-at S] [--player-keys] [--until S] --build DIR
#            [--web DIR] [--windows DIR] --out DIR [--check]
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import numpy as np

import click_song
import rig

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SCREEN = (800, 600)
EARLY_MS, LATE_MS = 40.0, 60.0  # EBU R37: sound at most 40 ms early, 60 ms late
STALL_SECONDS = 2.0


def descendants(pid):
    """pid's processes below it, read from /proc (children before theirs)."""
    kids = {}
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open(f'/proc/{entry}/stat') as f:
                    parent = int(f.read().rsplit(')', 1)[1].split()[1])
                kids.setdefault(parent, []).append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
    found, todo = [], [pid]
    while todo:
        for child in kids.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def wine_process(prefix):
    """The Windows program's own process under Wine: the one whose command
    line names elka.exe and whose environment is this run's prefix."""
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open(f'/proc/{entry}/cmdline', 'rb') as f:
                cmd = f.read().decode(errors='replace')
            with open(f'/proc/{entry}/environ', 'rb') as f:
                env = f.read().decode(errors='replace').split('\0')
        except OSError:
            continue
        if 'elka.exe' in cmd and f'WINEPREFIX={prefix}' in env and 'start.exe' not in cmd:
            return [int(entry)]
    return []


def make_reference(path, scratch):
    """A video that turns white (from black) or back exactly on a click,
    every 2 s from 2 s on, with its clicks in lossless sound."""
    n = 10
    rate = click_song.RATE
    sound = np.zeros(int((2 * n + 3) * rate))
    b = click_song.burst()
    for k in range(n):
        at = int((2 + 2 * k) * rate)
        sound[at:at + len(b)] = b
    click_song.write_wav(f'{scratch}/ref.wav', sound)
    # Black, then white from 2 s, black from 4 s, and so on.
    expr = "if(lt(T,2),0,if(eq(mod(floor(T/2),2),1),255,0))"
    subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-y', '-f', 'lavfi',
                    '-i', f'color=black:s=320x240:r=100:d={2 * n + 3}', '-i', f'{scratch}/ref.wav',
                    '-vf', f"geq=lum='{expr}':cb=128:cr=128", '-c:v', 'ffv1', '-c:a', 'pcm_s16le', path],
                   check=True)
    return [2.0 + 2 * k for k in range(n)]


def prepare_play_folder(scratch, song):
    play = os.path.join(scratch, 'play')
    shutil.copytree(os.path.join(ROOT, 'files'), os.path.join(play, 'files'))
    shutil.copy(song, os.path.join(play, 'files', 'song.mp3'))
    return play


def start_program(args, r, scratch, song):
    """Starts the program under test on the rig; returns (process, a
    function giving the pids a stall stops, a function that cleans up)."""
    env = dict(r.env)
    if args.backend == 'desktop':
        play = prepare_play_folder(scratch, song)
        env['SDL_AUDIODRIVER'] = 'pulseaudio'
        p = subprocess.Popen([os.path.join(args.build, 'elka')], cwd=play, env=env,
                             stdout=open(f'{scratch}/program.log', 'w'), stderr=subprocess.STDOUT)
        return p, lambda: [p.pid], lambda: None
    if args.backend == 'wine':
        play = prepare_play_folder(scratch, song)
        prefix = os.path.join(scratch, 'prefix')
        env.update(WINEPREFIX=prefix, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
        p = subprocess.Popen(['wine', os.path.join(args.windows, 'elka.exe')], cwd=play, env=env,
                             stdout=open(f'{scratch}/program.log', 'w'), stderr=subprocess.STDOUT)

        def end_wine():
            subprocess.run(['wineserver', '-k'], env=env, stderr=subprocess.DEVNULL)
        return p, lambda: wine_process(prefix), end_wine
    if args.backend in ('chromium', 'firefox', 'chromium-reference', 'firefox-reference'):
        env['ELKA_ENGINE'] = args.backend.split('-')[0]
        if args.backend.endswith('-reference'):
            env['ELKA_SYNC_PAGE'] = 'reference'
        env['HOME'] = os.path.join(scratch, 'home')
        os.makedirs(env['HOME'], exist_ok=True)
        env['DBUS_SESSION_BUS_ADDRESS'] = 'disabled:'
        env['NO_AT_BRIDGE'] = '1'
        if args.backend == 'chromium':  # when the browser told it showed its long frames
            env['ELKA_SYNC_FRAMES'] = os.path.join(args.out, f'{args.backend}-{args.condition}-frames.json')
        p = subprocess.Popen(['node', os.path.join(HERE, 'page_player.mjs'), args.web, song, str(SCREEN[0]),
                              str(SCREEN[1]), str(args.until or 0)], env=env, stdout=subprocess.PIPE, stderr=open(f'{scratch}/program.log', 'w'),
                             text=True)
        return p, lambda: descendants(p.pid), lambda: None
    if args.backend == 'reference':
        p = subprocess.Popen(['ffplay', '-autoexit', '-left', '0', '-top', '0', '-x', str(SCREEN[0]), '-y',
                              str(SCREEN[1]), '-noborder', '-loglevel', 'error', f'{scratch}/ref.mkv'], env=env,
                             stdout=open(f'{scratch}/program.log', 'w'), stderr=subprocess.STDOUT)
        return p, lambda: [p.pid], lambda: None
    raise SystemExit(f'no backend {args.backend}')


def prepare_wine(args, r, scratch):
    env = dict(r.env, WINEPREFIX=os.path.join(scratch, 'prefix'), WINEDEBUG='-all',
               WINEDLLOVERRIDES='mscoree,mshtml=')
    subprocess.run(['wineboot', '-i'], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    subprocess.run(['wineserver', '-w'], env=env, check=True)


def press_key(r, key, window='^eLka$'):
    """One press of KEY in the demo's window on the rig's screen (the
    browser's is named after the page: "eLka", then the browser's name)."""
    subprocess.run(['xdotool', 'search', '--sync', '--onlyvisible', '--name', window, 'windowfocus', '--sync',
                    'key', key], env=r.env, check=True, timeout=60)


def use_player_keys(args, r, p, events):
    """Right at 58 s, Space at 66 s and again 2 s later (wall clock from
    the start; a stall at 50 s puts the sequence about where the wall clock
    is): the cuts after each are held to R37 from a second after it."""
    def at(seconds):
        while p.poll() is None and r.now() < events['started'] + seconds:
            time.sleep(0.02)
        if p.poll() is not None:
            raise RuntimeError(f'{args.backend} ended before {seconds} s')
    windows = events.setdefault('windows', [])
    window = '^eLka$' if args.backend in ('desktop', 'wine') else '^eLka'
    at(58.0)
    press_key(r, 'Right', window)
    windows.append([r.now(), r.now()])
    at(66.0)
    paused = r.now()
    press_key(r, 'space', window)
    time.sleep(STALL_SECONDS)  # the pause itself, not a wait for something
    press_key(r, 'space', window)
    windows.append([paused, r.now()])


def run(args, scratch):
    song = os.path.join(scratch, 'song.mp3')
    if args.backend.endswith('reference'):
        starts = make_reference(os.path.join(scratch, 'ref.mkv'), scratch)
    else:
        click_song.make(song, scratch)
        starts = None
    r = rig.Rig(scratch, SCREEN)
    stress = None
    # How busy the machine was anyway: the rig measures what a viewer
    # would see on it, and a shared machine is seldom idle.
    events = {'load_before': os.getloadavg()[0]}
    try:
        r.start()
        if args.backend == 'wine':
            prepare_wine(args, r, scratch)
        if args.condition == 'busy':
            stress = subprocess.Popen(['stress-ng', '--cpu', '2', '--quiet'], stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
        r.record()
        p, stopped_pids, cleanup = start_program(args, r, scratch, song)
        events['started'] = r.now()
        try:
            if p.stdout:  # the page says when the click started it
                line = p.stdout.readline()
                if not line.startswith('running'):
                    raise RuntimeError(f'the page did not start: {line!r} ' + open(f'{scratch}/program.log').read()[-3000:])
                events['started'] = float(line.split()[1]) - r.t0
            if args.condition == 'stop':
                while p.poll() is None and r.now() < events['started'] + args.stop_at:
                    time.sleep(0.02)
                if p.poll() is not None:
                    raise RuntimeError(f'{args.backend} ended before the stall')
                pids = rig.wait_for('the process to stop', stopped_pids, 30)
                events['stopped'] = r.now()
                for pid in pids:
                    os.kill(pid, signal.SIGSTOP)
                time.sleep(STALL_SECONDS)  # the stall itself, not a wait for something
                for pid in reversed(pids):
                    os.kill(pid, signal.SIGCONT)
                events['continued'] = r.now()
            if args.player_keys:
                use_player_keys(args, r, p, events)
            if args.until and not p.stdout:
                # The wall clock from the start, plus the stall and the pause
                # (the seek only brings the sequence on sooner).
                end = events['started'] + args.until + (STALL_SECONDS if args.condition == 'stop' else 0) + \
                    (STALL_SECONDS if args.player_keys else 0)
                while p.poll() is None and r.now() < end:
                    time.sleep(0.05)
                if p.poll() is None:
                    press_key(r, 'Escape')
            limit = args.limit
            try:
                if p.stdout:
                    rest = p.communicate(timeout=limit)[0]
                    if 'ended' not in rest:
                        raise RuntimeError('the page did not end: ' + open(f'{scratch}/program.log').read()[-3000:])
                else:
                    p.wait(limit)
            except subprocess.TimeoutExpired:
                p.kill()
                raise RuntimeError(f'{args.backend} did not end within {limit} s')
            events['ended'] = r.now()
            events['load_after'] = os.getloadavg()[0]
            time.sleep(0.5)  # the last frames and sound into the recording
        finally:
            if p.poll() is None:
                p.kill()
                p.wait()
            cleanup()
        r.stop_recording()
    finally:
        if stress:
            stress.terminate()
            stress.wait()
        r.close()
    if args.backend.endswith('reference'):
        result = rig.analyse(r.recording, args.rig_offset / 1000.0, schedule=starts, started=events['started'])
    else:
        result = rig.analyse(r.recording, args.rig_offset / 1000.0, started=events['started'])
    result.update(backend=args.backend, condition=args.condition, events=events,
                  rig_offset_ms=args.rig_offset)
    return result


def summary(result):
    offsets = [c['offset'] * 1000 for c in result['cuts'] if 'offset' in c]
    stall = result['events'].get('continued')
    lines = []
    ev = result['events']
    head = f"{result['backend']:9} {result['condition']:5} (load {ev.get('load_before', 0):.1f}..{ev.get('load_after', 0):.1f})"
    cells = []
    for c in result['cuts']:
        if 'offset' in c:
            mark = '*' if stall and c['cut'] < stall + 1.0 and c['cut'] > result['events']['stopped'] else ''
            cells.append(f"{c['scene']}:{c['offset'] * 1000:+.0f}{mark}")
        else:
            cells.append(f"{c['scene']}:--")
    if offsets:
        lines.append(f"{head} min {min(offsets):+.0f} max {max(offsets):+.0f} drift {offsets[-1] - offsets[0]:+.0f} ms "
                     f"(rig {result['rig_offset_ms']:+.0f} ms subtracted)")
    else:
        lines.append(f'{head} no cut measured')
    lines.append('          ' + ' '.join(cells))
    if stall:
        lines.append(f"          stopped {result['events']['stopped']:.1f}..{stall:.1f} s of the recording "
                     f"(* within 1 s after it)")
    for begin, end in ev.get('windows', []):
        lines.append(f"          a player's key {begin:.1f}..{end:.1f} s of the recording")
    return '\n'.join(lines)


def check(result):
    """EBU R37 on every cut, the early side widened by the longest frame
    recorded just after the cut (a cut can only show on a frame); with a
    stall, the cuts within one second after it are not held to it."""
    failures = []
    measured = 0
    ev = result['events']
    for c in result['cuts']:
        if 'cut' not in c:
            failures.append(f"scene {c['scene']}: no cut found in the picture")
            continue
        if 'click' not in c:
            failures.append(f"scene {c['scene']}: its click was never heard")
            continue
        if 'stopped' in ev and ev['stopped'] < c['cut'] < ev['continued'] + 1.0:
            continue
        if any(begin < c['cut'] < end + 1.0 for begin, end in ev.get('windows', [])):
            continue
        measured += 1
        off = c['offset'] * 1000
        early = EARLY_MS + c['frame'] * 1000
        if not -early <= off <= LATE_MS:
            failures.append(f"scene {c['scene']}: sound {off:+.0f} ms (allowed -{early:.0f}..+{LATE_MS:.0f})")
    if measured < 3:
        failures.append(f'only {measured} cuts measured')
    return failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--backend', required=True)
    ap.add_argument('--condition', default='idle', choices=['idle', 'stop', 'busy'])
    ap.add_argument('--player-keys', action='store_true', help='seek at 58 s, pause at 66 s for 2 s')
    ap.add_argument('--stop-at', type=float, default=50.0, help='seconds after the start')
    ap.add_argument('--build', default=os.path.join(ROOT, 'build'))
    ap.add_argument('--web', default=os.path.join(ROOT, 'out/web'))
    ap.add_argument('--windows', default=os.path.join(ROOT, 'build-windows'))
    ap.add_argument('--out', required=True)
    ap.add_argument('--rig-offset', type=float, default=None, help='ms; measured with the reference player if absent')
    ap.add_argument('--until', type=float, default=None, help='seconds of the sequence; end the run there')
    ap.add_argument('--limit', type=float, default=400.0)
    ap.add_argument('--check', action='store_true')
    ap.add_argument('--keep', action='store_true', help='keep the recording')
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.rig_offset is None and args.backend != 'reference':
        ref = argparse.Namespace(**vars(args))
        # The reference is not stopped: its offset is the rig's, idle or busy.
        ref.backend, ref.rig_offset, ref.player_keys = 'reference', 0.0, False
        ref.condition = 'busy' if args.condition == 'busy' else 'idle'
        with tempfile.TemporaryDirectory(prefix='elka-sync-') as scratch:
            reference = run(ref, scratch)
        offsets = [c['offset'] * 1000 for c in reference['cuts'] if 'offset' in c]
        if len(offsets) < 5:
            raise SystemExit(f'the reference player: only {len(offsets)} of its cuts measured')
        args.rig_offset = float(np.median(offsets))
        print(summary(reference))
        with open(os.path.join(args.out, f'reference-{ref.condition}.json'), 'w') as f:
            json.dump(reference, f, indent=1)
    if args.rig_offset is None:
        args.rig_offset = 0.0
    with tempfile.TemporaryDirectory(prefix='elka-sync-') as scratch:
        result = run(args, scratch)
        if args.keep:
            shutil.copy(os.path.join(scratch, 'rec.nut'), os.path.join(args.out, f'{args.backend}-{args.condition}.nut'))
    with open(os.path.join(args.out, f'{args.backend}-{args.condition}.json'), 'w') as f:
        json.dump(result, f, indent=1)
    print(summary(result))
    if args.check:
        failures = check(result)
        for line in failures:
            print('FAIL:', line)
        if failures:
            sys.exit(1)
        print('every cut within EBU R37')


if __name__ == '__main__':
    main()
