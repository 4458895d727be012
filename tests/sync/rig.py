# The sync rig: a screen (Xvfb) and a sound server (a PulseAudio null
# sink) of its own, one ffmpeg process recording both on one clock, and a
# program playing the click track beside it. The recording is then read:
# each hard cut's first frame in the picture, each click's onset in the
# sound, and their difference per scene (positive: the sound is late).
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

import numpy as np

import click_song

FPS = 100
GRAB = (160, 120)  # the recorded picture, scaled down: a cut changes it unmistakably


def wait_for(what, test, limit):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        got = test()
        if got:
            return got
        time.sleep(0.05)
    raise RuntimeError(f'{what}: not within {limit} s')


class Rig:
    """Xvfb, PulseAudio and ffmpeg of the rig's own, in a scratch folder."""

    def __init__(self, scratch, size=(800, 600), rate=44100):
        self.scratch = scratch
        self.size = size
        self.rate = rate
        self.children = []
        self.xvfb = None
        self.pulse = None
        self.ffmpeg = None

    def start(self):
        rfd, wfd = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(wfd), '-screen', '0', f'{self.size[0]}x{self.size[1]}x24',
                                      '-nolisten', 'tcp', '-noreset'], pass_fds=[wfd],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(wfd)
        with os.fdopen(rfd) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError('Xvfb did not say its display')
        self.display = f':{number}'
        run = os.path.join(self.scratch, 'run')
        os.makedirs(run, mode=0o700, exist_ok=True)
        socket = os.path.join(run, 'native')
        self.pulse_server = f'unix:{socket}'
        self.env = dict(os.environ, DISPLAY=self.display, PULSE_SERVER=self.pulse_server, XDG_RUNTIME_DIR=run,
                        PULSE_RUNTIME_PATH=os.path.join(run, 'pulse'), HOME=run)
        self.env.pop('WAYLAND_DISPLAY', None)
        self.pulse = subprocess.Popen(['pulseaudio', '--daemonize=no', '--exit-idle-time=-1', '-n', '--disallow-exit',
                                       '--use-pid-file=no', '--disable-shm',
                                       f'--load=module-null-sink sink_name=rig rate={self.rate} channels=2',
                                       f'--load=module-native-protocol-unix socket={socket}'],
                                      env=self.env, stdout=subprocess.DEVNULL,
                                      stderr=open(os.path.join(self.scratch, 'pulse.log'), 'w'))
        wait_for('the PulseAudio server', lambda: self.pulse.poll() is None and subprocess.run(
            ['pactl', '--server', self.pulse_server, 'info'], env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL).returncode == 0, 30)
        wait_for('Xvfb', lambda: subprocess.run(['xprop', '-root', '-display', self.display], stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL).returncode == 0, 30)

    def record(self):
        """Starts recording; screen and sound get seconds since t0 of the
        wall clock, which is also the clock the rig notes its events on."""
        self.t0 = time.time()
        self.recording = os.path.join(self.scratch, 'rec.nut')
        w, h = GRAB
        self.ffmpeg = subprocess.Popen(
            ['ffmpeg', '-nostdin', '-loglevel', 'error', '-y', '-copyts',
             '-thread_queue_size', '1024', '-itsoffset', f'-{self.t0:.6f}',
             '-f', 'x11grab', '-framerate', str(FPS), '-draw_mouse', '0', '-i', self.display,
             '-thread_queue_size', '1024', '-itsoffset', f'-{self.t0:.6f}',
             '-f', 'pulse', '-sample_rate', str(self.rate), '-channels', '1', '-fragment_size', '1764',
             '-i', 'rig.monitor',
             '-map', '0:v', '-vf', f'scale={w}:{h}:flags=area,format=gray', '-c:v', 'ffv1', '-fps_mode', 'passthrough',
             '-enc_time_base:v', '1:100000',
             '-map', '1:a', '-c:a', 'pcm_s16le', '-f', 'nut', self.recording],
            env=self.env, stderr=open(os.path.join(self.scratch, 'ffmpeg.log'), 'w'))
        wait_for('the recording', lambda: self.ffmpeg.poll() is not None or (
            os.path.exists(self.recording) and os.path.getsize(self.recording) > 20000), 60)
        if self.ffmpeg.poll() is not None:
            raise RuntimeError('ffmpeg ended: ' + open(os.path.join(self.scratch, 'ffmpeg.log')).read())

    def now(self):
        return time.time() - self.t0

    def stop_recording(self):
        if self.ffmpeg and self.ffmpeg.poll() is None:
            self.ffmpeg.send_signal(signal.SIGINT)
            try:
                self.ffmpeg.wait(60)
            except subprocess.TimeoutExpired:
                self.ffmpeg.kill()
                self.ffmpeg.wait()

    def close(self):
        self.stop_recording()
        for p in (self.pulse, self.xvfb):
            if p and p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()


def read_recording(path):
    """The recorded frames (N x h x w, gray), their times, the sound (mono,
    -1..1) and a function giving a sample's time."""
    probe = subprocess.run(['ffprobe', '-v', 'error', '-select_streams', 'v', '-show_entries', 'frame=pts_time',
                            '-of', 'csv=p=0', path], check=True, stdout=subprocess.PIPE, text=True).stdout
    times = np.array([float(x) for x in probe.split()])
    # Every recorded frame, none dropped or repeated: timestamps are not
    # written (frame-by-frame output).
    raw = subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'fatal', '-i', path, '-map', '0:v', '-c:v', 'rawvideo',
                          '-pix_fmt', 'gray', '-fps_mode', 'passthrough', '-f', 'image2pipe', '-'], check=True,
                         stdout=subprocess.PIPE).stdout
    w, h = GRAB
    frames = np.frombuffer(raw, dtype=np.uint8).reshape(-1, h, w)
    if len(frames) != len(times):
        raise RuntimeError(f'{len(frames)} frames decoded, {len(times)} recorded')
    n = len(frames)
    packets = subprocess.run(['ffprobe', '-v', 'error', '-select_streams', 'a', '-show_entries',
                              'packet=pts_time,duration_time', '-of', 'csv=p=0', path], check=True,
                             stdout=subprocess.PIPE, text=True).stdout.split()
    pts = np.array([float(p.split(',')[0]) for p in packets])
    dur = np.array([float(p.split(',')[1]) for p in packets])
    audio = subprocess.run(['ffmpeg', '-nostdin', '-loglevel', 'error', '-i', path, '-map', '0:a', '-f', 's16le',
                            '-'], check=True, stdout=subprocess.PIPE).stdout
    sound = np.frombuffer(audio, dtype='<i2').astype(np.float64) / 32768.0
    # The sound server's first packets come in a burst before its reading
    # settles; after that a packet's time less the samples before it holds
    # steady. A sample's time is taken from the packets around it.
    first = np.concatenate(([0.0], np.cumsum(dur)[:-1]))
    lead = pts - first

    def sound_time(sample):
        k = int(np.searchsorted(first, sample / 44100.0, side='right')) - 1
        lo, hi = max(0, k - 50), min(len(lead), k + 51)
        return sample / 44100.0 + float(np.median(lead[lo:hi]))
    return frames[:n], times[:n], sound, sound_time


def frame_changes(frames, step=80):
    """Per frame: how many pixels changed by more than step from the frame
    before (any), how many rose by more than step (rise: something bright
    appearing), how many fell (fall) and in how many rows nearly every
    bright pixel fell, the row at least half bright (fall_rows: something
    dark across the picture, which may not fill the screen: a browser's
    canvas can stand between dark margins), and whether anything changed
    at all (distinct)."""
    n = len(frames)
    any_ = np.zeros(n, dtype=np.int64)
    rise = np.zeros(n, dtype=np.int64)
    fall = np.zeros(n, dtype=np.int64)
    distinct = np.zeros(n, dtype=bool)
    fall_rows = np.zeros(n, dtype=np.int64)
    for i in range(1, n, 2000):
        j = min(n, i + 2000)
        d = frames[i:j].astype(np.int16) - frames[i - 1:j - 1].astype(np.int16)
        any_[i:j] = (np.abs(d) > step).sum(axis=(1, 2))
        rise[i:j] = (d > step).sum(axis=(1, 2))
        fall[i:j] = (d < -step).sum(axis=(1, 2))
        bright = (frames[i - 1:j - 1] > step).sum(axis=2)
        fell = (d < -step).sum(axis=2)
        fall_rows[i:j] = ((fell >= 0.9 * bright) & (bright * 2 >= frames.shape[2])).sum(axis=1)
        distinct[i:j] = (np.abs(d) > 4).any(axis=(1, 2))
    return {'any': any_, 'rise': rise, 'fall': fall, 'fall_rows': fall_rows, 'distinct': distinct}


# A cut changes at least this many pixels of the recorded picture at once.
CUT_PIXELS = 40
# What shows each cut unmistakably: the intro's words and the title blocks
# change many pixels in one frame; the star field lights stars on black
# (and twinkles as much afterwards: its cut is the first such frame);
# scene 10 brings black bars in at the edges of the white wash, which only
# ever brightens; scene 11 brings the title in white over the moving bars,
# whose own motion is all light to dark.
CUT_MEASURE = {8: 'rise', 10: 'fall', 11: 'rise'}
FIRST_OF_ITS_SIZE = {8}
# Scene 10's first frame is all black for one frame, which a busy screen
# recording may miss; the bars' closing in after it darkens a little every
# frame, so the largest darkening can fall anywhere in the scene, and the
# wash's twinkling stars darken a few pixels before it. Its cut is the
# first frame that darkens whole rows of the picture.
FIRST_OF_ROWS = {10: 2}


def find_cut(frames, times, changes, scene, around, reach):
    """The frame where the scene's cut is largest within reach seconds of
    around, then the first recorded frame past the cut's midpoint (nearer
    the picture after it than the one before it, where a frame was caught
    half drawn). None where the recording shows no such change there."""
    measure = changes[CUT_MEASURE.get(scene, 'any')]
    inside = np.flatnonzero((times >= around - reach) & (times <= around + reach))
    if len(inside) < 3:
        return None
    if scene in FIRST_OF_ROWS:
        rows = np.flatnonzero(changes['fall_rows'][inside] >= FIRST_OF_ROWS[scene])
        if not len(rows):
            return None
        i = int(inside[rows[0]])
    else:
        i = int(inside[np.argmax(measure[inside])])
        if measure[i] < CUT_PIXELS:
            return None
    if scene in FIRST_OF_ITS_SIZE:
        i = int(inside[np.flatnonzero(measure[inside] >= max(CUT_PIXELS, measure[i] // 2))[0]])
    before = frames[max(0, i - 3)].astype(np.int16)
    after = frames[min(len(frames) - 1, i + 2)].astype(np.int16)
    changed = np.abs(after - before) > 40
    if not changed.any():
        return i
    for j in range(max(1, i - 2), i + 1):
        f = frames[j].astype(np.int16)[changed]
        if np.abs(f - before[changed]).mean() >= np.abs(f - after[changed]).mean():
            return j
    return i


def longest_frame(times, distinct, at, span=0.2):
    """The longest time between distinct frames of the demo (recorded frames
    that differ from the one before) around the cut at: in the span seconds
    from it on, and the frame it ended. A picture that stands still reads
    as one long frame."""
    inside = np.flatnonzero((times >= at) & (times <= at + span) & distinct)
    edges = np.concatenate((times[inside], [at + span]))
    after = float(np.max(np.diff(edges))) if len(edges) > 1 else span
    # The frame the cut ended: from the demo's last new picture before it.
    # A slow scene before the cut holds its last frame up to that long.
    before = np.flatnonzero((times < at) & (times >= at - span) & distinct)
    ended = at - float(times[before[-1]]) if len(before) else span
    return max(after, ended)


def analyse(path, rig_offset=0.0, schedule=None, started=None, first_cut_limit=60.0):
    """Reads the recording: per cut, the cut's time in the picture, its
    click's onset in the sound, their difference less the rig's own
    offset (seconds), and the longest frame after the cut. schedule: the
    reference's starts (every one a cut and a click); the demo's
    otherwise. started: when the program started (the page: when it was
    clicked), where the search for the first cut begins."""
    frames, times, sound, sound_time = read_recording(path)
    changes = frame_changes(frames)
    clicks = [sound_time(i) for i in click_song.onsets(sound, 44100)]
    if schedule is None:
        start_of, cuts, clicked = click_song.scene_start, click_song.HARD_CUTS, click_song.CLICKED
    else:
        start_of, cuts, clicked = (lambda k: schedule[k]), list(range(len(schedule))), list(range(len(schedule)))
    # The first cut, from black (the start picture) to white, is the first
    # frame that turns a fifth of the screen bright at once.
    begin = times[0] if started is None else started
    lit = np.flatnonzero((changes['rise'] > frames[0].size // 5) & (times >= begin) &
                         (times < begin + first_cut_limit))
    if not len(lit):
        raise RuntimeError('the recording never turns white')
    anchor = times[lit[0]] - start_of(cuts[0])
    rows = []
    for n, scene in enumerate(cuts):
        k = clicked.index(scene)
        expected = anchor + start_of(scene)
        reach = 0.5 if n == 0 else 1.5
        if schedule is not None and k < len(clicks):
            # The reference's picture follows its sound: its cuts, alike
            # every 2 s, are looked for near their clicks.
            expected, reach = clicks[k], 0.9
        elif n > 0 and k < len(clicks):
            # After the first, a cut is looked for near its own click: a
            # program that was stopped, or whose picture waits for its
            # song, shows its later scenes later than the first cut gives.
            expected = clicks[k]
        j = find_cut(frames, times, changes, scene if schedule is None else None, expected, reach)
        row = {'scene': scene, 'nominal': start_of(scene)}
        if j is not None:
            row['cut'] = float(times[j])
            row['frame'] = longest_frame(times, changes['distinct'], times[j])
            # Each cut found moves the expectation for the next.
            anchor = times[j] - start_of(scene)
        if k < len(clicks):
            row['click'] = clicks[k]
        if 'cut' in row and 'click' in row:
            row['offset'] = row['click'] - row['cut'] - rig_offset
        rows.append(row)
    return {'cuts': rows, 'clicks': len(clicks), 'frames': len(frames),
            'recorded': [float(times[0]), float(times[-1])]}
