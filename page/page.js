// The page around the demo: the media files fetched before it starts (with
// their progress on the status line), the canvas its window is drawn on,
// the page's events as the window's, the "click to start" ("tap to start"
// on a touch screen) that sound and clock wait for, the on-screen controls
// that do what F1 and Escape do, the end with "play again", the service
// worker that keeps it all for playing offline, and the fixed-rate mode (index.html?fixed=FPS), drawn on a
// virtual clock without sound, frame by frame as a test asks for them
// (index.html?fixed=FPS&every draws the frames in between in full too).
// index.html?sharp, or the "sharp" toggle, draws the scenes at the
// canvas's device pixels instead of 800 x 600 scaled up. The player: pause,
// jumps, restart and a timeline of the scenes, on the keys video players
// use and in the controls; index.html?t=SECONDS starts there.
// What the demo shows and hears is its own; this only hosts it.
'use strict';

(function () {
  const media = ['load.bmp', 'tunnel.bmp', 'star.bmp', 'font.ttf', 'song.mp3'];
  const fixedParam = new URLSearchParams(location.search).get('fixed');
  const fixedRate = /^[1-9][0-9]{0,2}$/.test(fixedParam || '') ? Number(fixedParam) : 0;
  // In the fixed-rate mode the frames no one asks for are drawn where no
  // pixel is kept, unless every frame is to be drawn in full (&every, for
  // timing them).
  const everyFrameDrawn = new URLSearchParams(location.search).has('every');
  const sharpAsked = new URLSearchParams(location.search).has('sharp');
  // ?t=SECONDS: the demo's --start, which takes plain decimal seconds
  // before the end; anything else starts at 0, and the status line says why.
  const endSeconds = 151.02;
  const timeParam = new URLSearchParams(location.search).get('t');
  const timeGood = timeParam !== null && /^[0-9]+(\.[0-9]+)?$/.test(timeParam) && Number(timeParam) < endSeconds;
  const startSeconds = timeGood && !fixedRate ? Number(timeParam) : 0;
  const timeNote = timeParam === null || timeGood ? '' :
    `?t=${timeParam.slice(0, 20)}: expected seconds from 0 to less than ${endSeconds} (such as 79); starting at 0.`;

  // What the page tells about itself (tests read it too).
  const elka = (globalThis.elka = globalThis.elka || {});
  Object.assign(elka, {
    state: 'loading', // then 'waiting' (for the click), 'running', 'ended'
    exitStatus: null,
    fixedRate: fixedRate,
    status: '',
    frames: 0, // frames shown so far
    frameTimes: [], // fixed-rate mode: ms each frame took to draw
    firstFrameMs: null,
    sharp: sharpAsked,
    soundSilent: false, // the song was asked for and cannot be heard
    offline: 'none', // the service worker: 'none', 'registering', 'controlled', 'unavailable'
    loaded: { bytes: 0, total: 0 }, // the media's download so far
    // Where the sequence stands; how often and where it was last placed.
    player: { seconds: startSeconds, paused: false, placed: 0, placedAt: startSeconds },
  });
  elka.dialogs = elka.dialogs || [];
  elka.sound = elka.sound || { context: 'none', playing: false, error: 0 };

  const stage = document.getElementById('stage');
  const startCover = document.getElementById('start');
  const endCover = document.getElementById('end');
  const statusLine = document.getElementById('status');
  const controls = document.getElementById('controls');
  const fullscreenButton = document.getElementById('fullscreen');
  const stopButton = document.getElementById('stop');
  // A screen touched rather than pointed at: its words say "tap".
  const touchFirst = matchMedia('(pointer: coarse)').matches ||
    (navigator.maxTouchPoints > 0 && !matchMedia('(any-pointer: fine)').matches);
  const startButton = startCover.querySelector('button');
  startButton.textContent = touchFirst ? 'tap to start' : 'click to start';
  if (fixedRate) startCover.hidden = true; // drawn on its own clock, without a click

  function say(text) {
    elka.status = text;
    statusLine.textContent = text;
  }

  const silenceText = 'No sound: the browser did not start the audio output. Tap or click the picture to try again.';

  // --- The window: one canvas at a time -------------------------------
  let canvas = null;
  let windowed = { fullscreen: true, width: 0, height: 0 };

  // The canvas's device pixels for its size on the page.
  function wantedPixels() {
    const ratio = window.devicePixelRatio || 1;
    return [Math.max(1, Math.round(canvas.clientWidth * ratio)), Math.max(1, Math.round(canvas.clientHeight * ratio))];
  }

  // Sizing a canvas clears it, so a resize only tells the demo the new
  // size; the canvas takes it just before the next frame fills it. A run
  // that ends first leaves its last frame, scaled, not a blank canvas.
  let reportedPixels = [0, 0];
  function fitPixels() {
    if (!canvas) return;
    const [width, height] = reportedPixels;
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
  }

  function sizeChanged() {
    if (!canvas) return false;
    const wanted = wantedPixels();
    if (wanted[0] === reportedPixels[0] && wanted[1] === reportedPixels[1]) return false;
    reportedPixels = wanted;
    return true;
  }

  function loseContext(old) {
    const gl = old.getContext('webgl2');
    const lose = gl && gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
  }

  // --- Events, as the window system queues them ----------------------
  const kinds = { keyDown: 1, keyUp: 2, activate: 3, resized: 4, sharp: 5, seek: 6 };
  const events = [];
  let wakeIdle = null;
  // Before the click the picture stands (its clock does): the frame loop
  // waits for the click or for an event rather than draw it again and again,
  // which would keep a phone's processor busy while the page loads.
  let waitingForClick = null;
  function wakeWaiting() {
    if (!waitingForClick) return;
    waitingForClick();
    waitingForClick = null;
  }

  function queue(kind, a, b) {
    events.push([kind, a, b]);
    if (wakeIdle) wakeIdle();
    wakeWaiting();
    if (wakeDrawing) wakeDrawing(); // the fixed-rate mode draws on to take it
  }

  // The sharp mode, as the toggle shows it; the demo takes it as an event.
  const sharpToggle = document.getElementById('sharp');
  function setSharp(on) {
    elka.sharp = on;
    sharpToggle.setAttribute('aria-pressed', on ? 'true' : 'false');
    queue(kinds.sharp, on ? 1 : 0, 0);
  }
  sharpToggle.addEventListener('click', (event) => {
    event.stopPropagation(); // not the start cover's click
    if (!shownAtPress && event.detail > 0) return; // a faded control only shows the controls
    setSharp(!elka.sharp);
    if (canvas) canvas.focus(); // the keys stay the demo's
  });
  const keys = {
    Escape: 0x1b, Enter: 0x0d, NumpadEnter: 0x0d, Space: 0x20, Backspace: 0x08, Tab: 0x09, Pause: 0x13,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28, PageUp: 0x21, PageDown: 0x22,
    Home: 0x24, End: 0x23, Insert: 0x2d, Delete: 0x2e, ShiftLeft: 0x10, ShiftRight: 0x10,
    ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12,
  };
  const VK_F1 = 0x70, VK_F10 = 0x79, VK_MENU = 0x12;

  function virtualKey(code) {
    let m;
    if ((m = /^Key([A-Z])$/.exec(code))) return m[1].charCodeAt(0);
    if ((m = /^Digit([0-9])$/.exec(code))) return m[1].charCodeAt(0);
    if ((m = /^Numpad([0-9])$/.exec(code))) return 0x60 + Number(m[1]);
    if ((m = /^F([0-9]{1,2})$/.exec(code)) && Number(m[1]) >= 1 && Number(m[1]) <= 24) return VK_F1 + Number(m[1]) - 1;
    return keys[code] || 0;
  }

  // A video player's other keys for the demo's player keys: K pauses, J
  // and L jump, 0 starts again.
  const VK_SPACE = 0x20, VK_LEFT = 0x25, VK_RIGHT = 0x27, VK_HOME = 0x24;
  const playerAliases = { KeyK: VK_SPACE, KeyJ: VK_LEFT, KeyL: VK_RIGHT, Digit0: VK_HOME, Numpad0: VK_HOME };

  function onKey(event) {
    if (document.querySelector('dialog[open]')) return; // the box has the keys
    if (event.target && event.target.id === 'timeline') return; // its own arrows
    const vk = playerAliases[event.code] || virtualKey(event.code);
    if (!vk || elka.state !== 'running') return;
    if (event.ctrlKey || event.metaKey) return; // the browser's own shortcuts
    event.preventDefault();
    const down = event.type === 'keydown';
    if (down && vk === VK_F1 && !event.repeat) followToggle();
    const system = event.altKey || vk === VK_F10 || vk === VK_MENU;
    queue(down ? kinds.keyDown : kinds.keyUp, vk, system ? 1 : 0);
  }

  // The browser grants fullscreen only while it handles a gesture: the F1
  // toggle's next window is fullscreen when this one is not.
  function followToggle() {
    if (fixedRate) return;
    if (windowed.fullscreen) {
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    } else {
      enterFullscreen();
    }
  }

  function enterFullscreen() {
    if (document.fullscreenElement || !document.documentElement.requestFullscreen) return;
    document.documentElement.requestFullscreen().catch(() => {}); // refused: the page is the screen
  }

  window.addEventListener('keydown', onKey);
  window.addEventListener('keyup', onKey);
  window.addEventListener('resize', () => {
    if (sizeChanged()) queue(kinds.resized, 0, 0);
  });
  // On the virtual clock nothing of the page's focus or visibility counts.
  if (!fixedRate) {
    window.addEventListener('focus', () => queue(kinds.activate, 1, 0));
    window.addEventListener('blur', () => queue(kinds.activate, 0, document.hidden ? 1 : 0));
    document.addEventListener('visibilitychange', () => {
      // A hidden tab is a minimised window: no frames until it is back.
      queue(kinds.activate, document.hidden ? 0 : 1, document.hidden ? 1 : 0);
      queue(kinds.resized, document.hidden ? 1 : 0, 0);
    });
  }

  // --- The on-screen controls: F1 and Escape for a screen without keys --
  // They show on a tap or a mouse move and fade while the demo is watched.
  let fadeTimer = null;
  const playerBar = document.getElementById('player');
  let shownAtPress = true;
  let lastPointer = 'mouse';
  const VK_ESCAPE = 0x1b;
  const pendingUps = []; // [virtual key, frames still to show before its release]

  function showControls() {
    controls.classList.add('shown');
    playerBar.classList.add('shown');
    clearTimeout(fadeTimer);
    fadeTimer = setTimeout(() => {
      // A finger leaves :hover on what it tapped: only a mouse's hover holds them.
      const hovered = lastPointer !== 'touch' && (controls.matches(':hover') || playerBar.matches(':hover'));
      if (hovered || playerBar.contains(document.activeElement)) {
        showControls();
      } else {
        controls.classList.remove('shown');
        playerBar.classList.remove('shown');
      }
    }, 3000);
  }
  showControls();
  window.addEventListener('pointermove', showControls);
  // A finger cannot see what it taps on: its tap on faded controls only
  // shows them. A mouse's pointer stands where it clicks.
  window.addEventListener('pointerdown', (event) => {
    lastPointer = event.pointerType;
    shownAtPress = controls.classList.contains('shown') || event.pointerType !== 'touch';
    showControls();
  }, true);

  // A key pressed by a control: the frame loop looks at the keys only when
  // no message waits, so the release follows once two frames have been
  // shown, as a held key's would.
  function pressKey(vk) {
    if (elka.state !== 'running') return;
    queue(kinds.keyDown, vk, 0);
    pendingUps.push([vk, 2]);
  }

  function control(button, vk) {
    button.addEventListener('click', (event) => {
      event.stopPropagation(); // not the stage's click
      if (!shownAtPress && event.detail > 0) return; // a faded control only shows the controls
      if (vk === VK_F1) followToggle();
      pressKey(vk);
      if (canvas) canvas.focus(); // the keys stay the demo's
    });
  }
  control(fullscreenButton, VK_F1);
  control(stopButton, VK_ESCAPE);

  // --- The player: its buttons, the time and the timeline of the scenes --
  // A player's key pressed by a button goes down and up at once: while
  // paused no frame comes to let it go, and a key still down would be a
  // held key's repeat the next time.
  const timeline = document.getElementById('timeline');
  const timeText = document.getElementById('time');
  const playButton = document.getElementById('play');
  function pressPlayerKey(vk) {
    if (elka.state !== 'running') return;
    queue(kinds.keyDown, vk, 0);
    queue(kinds.keyUp, vk, 0);
  }
  function playerControl(button, vk) {
    button.addEventListener('click', (event) => {
      event.stopPropagation(); // not the stage's click
      if (!shownAtPress && event.detail > 0) return; // a faded control only shows the controls
      pressPlayerKey(vk);
      if (canvas) canvas.focus(); // the keys stay the demo's
    });
  }
  playerControl(playButton, VK_SPACE);
  playerControl(document.getElementById('back'), VK_LEFT);
  playerControl(document.getElementById('forth'), VK_RIGHT);
  playerControl(document.getElementById('restart'), VK_HOME);
  function minutes(seconds) {
    const s = Math.max(0, Math.floor(seconds));
    return Math.floor(s / 60) + ':' + String(s % 60).padStart(2, '0');
  }
  let dragging = false;
  function showPlayer() {
    // Between frames the time runs on from the last read, unless the clock
    // stands (paused, or waiting for the song to be heard after a seek).
    const stands = clock.paused || clockStart === null || elka.clock.waits;
    const seconds = Math.min(endSeconds, stands ? clock.ms / 1000 : (clock.ms + performance.now() - clock.at) / 1000);
    elka.player.seconds = seconds;
    if (!dragging) timeline.value = String(Math.round(seconds * 1000));
    timeText.textContent = minutes(dragging ? Number(timeline.value) / 1000 : seconds) + ' / ' + minutes(endSeconds);
    playButton.textContent = clock.paused ? 'play' : 'pause';
    playButton.setAttribute('aria-label', clock.paused ? 'play (Space, K)' : 'pause (Space, K)');
  }
  timeline.max = String(Math.round(endSeconds * 1000));
  timeline.addEventListener('input', () => {
    dragging = true;
    showPlayer();
  });
  timeline.addEventListener('change', () => {
    dragging = false;
    if (elka.state === 'running') queue(kinds.seek, Number(timeline.value), 0);
    if (canvas) canvas.focus();
  });
  timeline.addEventListener('click', (event) => event.stopPropagation());

  function releaseKeys() {
    for (let i = pendingUps.length - 1; i >= 0; --i) {
      if (--pendingUps[i][1] > 0) continue;
      queue(kinds.keyUp, pendingUps[i][0], 0);
      pendingUps.splice(i, 1);
    }
  }

  // --- The clock ------------------------------------------------------
  // The scenes are timed to the song as it is heard: while the sound
  // library can tell when the song's start is heard (its epoch), the clock
  // is the time since then; otherwise (before the song is heard, after it,
  // no sound) it runs on with performance.now(). It never goes back: where
  // the song falls behind (its output was late, the browser was stopped)
  // the clock stands until the song is there, and it runs on from what the
  // browser last told of the song only for a while (a stopped browser tells
  // of the stall only once its sound runs again). A small change of the
  // epoch (the output clock's own pace, the browser's rounding) is followed
  // gradually, a larger one at once. An output timestamp says when a sample
  // is heard, without the context's blocks in it; on a busy machine
  // Chromium's have been seen to creep later by 5 to 16 % of the time for
  // seconds and drop back, while the song played on without a gap,
  // and to jump where it did fall behind. So with timestamps a jump (the
  // song lost over a quarter of the time since the last read: at least
  // 10 ms, the stamps' own wobble, and after a long frame 40 ms is enough)
  // and a drop are taken at once, and a creep only at the pace an output's
  // clock may stray from the wall clock.
  let clockStart = null; // performance.now() of the click
  // A player's seek or pause places the clock where the sequence then
  // stands (paused: it stands there); the song, started again from that
  // place, is followed from there on.
  const clock = { ms: startSeconds * 1000, at: 0, epoch: null, told: null, paused: false };
  const epochStepMs = 50;
  const epochFollowMs = 300;
  const stampJumpMs = 10;
  const stampJumpMaxMs = 40;
  const stampCreep = 0.005;
  const toldAgeMs = 50;
  // A frame is drawn for the moment it is shown. Where the browser tells
  // when a frame was shown (Chromium, of its long frames: Long Animation
  // Frames' presentationTime) the clock runs that far ahead of the song:
  // in software, with no GPU, a frame shows 60 to 330 ms after it is
  // asked for, by the scene's weight. The lead follows the median of the
  // last three told (one odd frame, such as a scene's first, is not
  // taken), at most a tenth of the time (no visible jump); a frame shown a
  // second late or more was a stall, not the browser's pace. On a GPU
  // frames are rarely long enough to be told of, and the lead is what the
  // last long ones said (0 before any).
  const shown = { told: [], wanted: 0, lead: 0 };
  const shownKept = 3;
  const shownLateMaxMs = 1000;
  const leadPace = 0.1;
  // follows: 'song' or 'page'; waits: the clock stands for the song; reads:
  // the last [performance.now(), ms, waits, on the song, how old the song's
  // last word on where it is heard was (ms), the song's epoch, whether an
  // output timestamp told it, the lead for the frame to be shown (ms)] of
  // the frame loop's reads (the song's age and epoch null off the song).
  elka.clock = { follows: 'page', waits: false, epochSteps: 0, reads: [] };
  showPlayer();
  const clockReadsKept = 600;

  function readClock() {
    const now = performance.now();
    if (clock.paused) {
      clock.at = now;
      return clock.ms;
    }
    let ms = clock.ms + (now - clock.at);
    const song = Module.elkaSongEpoch ? Module.elkaSongEpoch(now) : null;
    if (song === null) {
      clock.epoch = null;
    } else {
      const since = Math.max(0, now - clock.at);
      if (clock.epoch === null) {
        clock.epoch = song.epoch;
        elka.clock.epochSteps += 1;
      } else if (song.stamped) {
        const jumped = song.epoch - clock.told > Math.min(stampJumpMaxMs, Math.max(stampJumpMs, since / 4));
        if (jumped || song.epoch <= clock.epoch) {
          elka.clock.epochSteps += jumped ? 1 : 0;
          clock.epoch = song.epoch;
        } else {
          clock.epoch = Math.min(song.epoch, clock.epoch + stampCreep * since);
        }
      } else if (Math.abs(song.epoch - clock.epoch) > epochStepMs) {
        clock.epoch = song.epoch;
        elka.clock.epochSteps += 1;
      } else {
        clock.epoch += (song.epoch - clock.epoch) * (1 - Math.exp(-since / epochFollowMs));
      }
      clock.told = song.epoch;
      shown.lead += Math.max(-leadPace * since, Math.min(leadPace * since, shown.wanted - shown.lead));
      ms = Math.min(now, song.toldAt + toldAgeMs) - clock.epoch + shown.lead;
    }
    elka.clock.waits = ms < clock.ms;
    clock.ms = Math.max(clock.ms, ms);
    clock.at = now;
    elka.clock.follows = song === null ? 'page' : 'song';
    const reads = elka.clock.reads;
    reads.push([now, clock.ms, elka.clock.waits, song !== null, song === null ? null : now - song.toldAt, song === null ? null : song.epoch, song !== null && !!song.stamped, shown.lead]);
    if (reads.length > clockReadsKept) reads.splice(0, reads.length - clockReadsKept);
    return clock.ms;
  }

  // From the click on (clockStart is set).
  function watchShownFrames() {
    const types = (typeof PerformanceObserver !== 'undefined' && PerformanceObserver.supportedEntryTypes) || [];
    if (!types.includes('long-animation-frame')) return;
    new PerformanceObserver((list) => {
      for (const frame of list.getEntries()) {
        const late = frame.presentationTime - frame.renderStart;
        if (frame.renderStart < clockStart || !(late > 0 && late < shownLateMaxMs)) continue;
        shown.told.push(late);
        if (shown.told.length > shownKept) shown.told.shift();
        const sorted = shown.told.slice().sort((a, b) => a - b);
        shown.wanted = sorted[sorted.length >> 1];
      }
    }).observe({ type: 'long-animation-frame' });
  }

  // --- The fixed-rate mode's frames -----------------------------------
  const asked = []; // {frame, resolve, reject}, in frame order
  let framesShown = 0;
  let frameStart = 0;
  let wakeDrawing = null;

  function toBase64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }

  elka.frameAt = function (seconds) {
    return new Promise((resolve, reject) => {
      if (!fixedRate) return reject(new Error('frameAt needs the fixed-rate mode (?fixed=FPS)'));
      if (elka.state === 'ended') return reject(new Error('the demo has ended'));
      const frame = Math.floor(seconds * fixedRate + 1e-9);
      const last = asked.length ? asked[asked.length - 1].frame : framesShown;
      if (frame < last) return reject(new Error('frame ' + frame + ' is already drawn'));
      asked.push({ frame, resolve, reject });
      if (wakeDrawing) wakeDrawing();
    });
  };

  function nextTurn() {
    // A message to itself: a turn of the event loop without a timer's delay.
    return new Promise((resolve) => {
      const channel = new MessageChannel();
      channel.port1.onmessage = () => resolve();
      channel.port2.postMessage(0);
    });
  }

  // --- What the window system calls (page_library.js) -----------------
  const page = {
    fixedRate: fixedRate,
    everyFrameDrawn: everyFrameDrawn,

    createCanvas(title, width, height, fullscreen) {
      for (const old of stage.querySelectorAll('canvas')) {
        loseContext(old);
        old.remove();
      }
      canvas = document.createElement('canvas');
      canvas.id = 'elka-canvas';
      canvas.className = fullscreen ? 'fullscreen' : 'windowed';
      if (!fullscreen) {
        canvas.style.width = width + 'px';
        canvas.style.height = height + 'px';
      }
      canvas.tabIndex = 0;
      stage.appendChild(canvas);
      sizeChanged();
      fitPixels();
      windowed = { fullscreen, width, height };
      fullscreenButton.textContent = fullscreen ? 'window' : 'fullscreen'; // what F1 turns it into
      document.title = title;
      return true;
    },

    destroyCanvas() {
      // It stays, with its last frame, until the next window takes its place.
      if (canvas) canvas.id = 'elka-last-frame';
      canvas = null;
      events.length = 0;
    },

    canvasPixels() {
      return canvas ? reportedPixels : [0, 0];
    },

    fitCanvas: fitPixels,

    showCursor(shown) {
      stage.classList.toggle('no-cursor', !shown);
    },

    takeEvent() {
      return events.shift() || null;
    },

    // Microseconds of the sequence (the song as heard), standing where it
    // was placed (0, or ?t=) until the click.
    counter() {
      return clockStart === null ? clock.ms * 1000 : readClock() * 1000;
    },

    placeCounter(ms, paused) {
      Object.assign(clock, { ms: ms, at: performance.now(), epoch: null, paused: paused });
      Object.assign(elka.player, { seconds: ms / 1000, paused: paused, placed: elka.player.placed + 1, placedAt: ms / 1000 });
      showPlayer();
    },

    frameBegin() {
      frameStart = performance.now();
    },

    async presented() {
      if (elka.firstFrameMs === null) {
        elka.firstFrameMs = performance.now();
        if (!fixedRate) {
          elka.state = 'waiting';
          startButton.disabled = false; // over the start picture, now drawn
          say(timeNote || 'Ready.');
        }
      }
      framesShown += 1;
      elka.frames = framesShown;
      releaseKeys();
      if (!fixedRate) {
        showPlayer();
        if (elka.state === 'waiting' && !events.length) await new Promise((resolve) => (waitingForClick = resolve));
        return new Promise((resolve) => requestAnimationFrame(() => resolve()));
      }
      elka.frameTimes.push(performance.now() - frameStart);
      // Drawn ahead only as far as a test has asked (frameAt never asks
      // for a frame already drawn), or to take an event.
      while (!asked.length && !events.length) {
        await new Promise((resolve) => (wakeDrawing = resolve));
        wakeDrawing = null;
      }
      await nextTurn();
    },

    // A turn of the browser's event loop in the middle of the demo's work.
    takeTurn: nextTurn,

    async idle() {
      await new Promise((resolve) => {
        const timer = setTimeout(done, 100);
        function done() {
          clearTimeout(timer);
          wakeIdle = null;
          resolve();
        }
        wakeIdle = done;
      });
    },

    // The sound library: whether the song, asked for, cannot be heard. The
    // picture goes on either way.
    soundSilent(silent) {
      if (silent) say(silenceText);
      else if (elka.status === silenceText) say('');
      elka.soundSilent = silent;
    },

    frameWanted(frame) {
      return asked.length > 0 && asked[0].frame === frame;
    },

    frameRead(frame, bytes, width, height) {
      const request = asked.shift();
      // GL's rows run from the bottom; a picture's from the top.
      const rows = new Uint8Array(bytes.length);
      const row = width * 4;
      for (let y = 0; y < height; y++) rows.set(bytes.subarray((height - 1 - y) * row, (height - y) * row), y * row);
      const picture = { frame, width, height, rgba: toBase64(rows) };
      request.resolve(picture);
      // Several asks for the same frame get the same frame.
      while (asked.length && asked[0].frame === frame) asked.shift().resolve(picture);
    },
  };

  // --- Start, end -----------------------------------------------------
  function start() {
    if (elka.state !== 'waiting') return;
    startCover.hidden = true;
    say(timeNote); // the song has loaded: the line is for what goes wrong from now on
    for (const hook of Module.elkaStartHooks) hook(); // the song, in this same gesture
    if (windowed.fullscreen) enterFullscreen();
    clockStart = performance.now();
    Object.assign(clock, { at: clockStart, epoch: null });
    watchShownFrames();
    elka.state = 'running';
    wakeWaiting();
    fullscreenButton.hidden = stopButton.hidden = false;
    playerBar.hidden = false;
    if (canvas) canvas.focus();
  }
  startCover.addEventListener('click', start);
  // A tap or click while the song cannot be heard tries the sound again;
  // otherwise it pauses or plays on, as on a video (a tap on faded
  // controls only shows them).
  stage.addEventListener('click', (event) => {
    if (elka.soundSilent && Module.elkaSoundRetry) return Module.elkaSoundRetry();
    if (shownAtPress || event.detail === 0) pressPlayerKey(VK_SPACE);
  });
  document.getElementById('again').addEventListener('click', () => location.reload());

  function ended(status) {
    if (elka.state === 'ended') return; // std::exit is seen twice: as the exit and as the call's end
    elka.state = 'ended';
    elka.exitStatus = status;
    startCover.hidden = true;
    endCover.hidden = false;
    fullscreenButton.hidden = stopButton.hidden = true;
    playerBar.hidden = true;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    for (const request of asked.splice(0)) request.reject(new Error('the demo ended at frame ' + framesShown));
  }

  // The download's progress on the status line: the bytes so far, of the
  // sizes the server has told.
  const progress = {};
  function showProgress() {
    let bytes = 0, total = 0, told = 0;
    for (const name of media) {
      if (!progress[name]) continue;
      bytes += progress[name].bytes;
      if (progress[name].total) { total += progress[name].total; told += 1; }
    }
    elka.loaded = { bytes, total: told === media.length ? total : 0 };
    const mb = (n) => (n / 1e6).toFixed(1);
    say(elka.loaded.total ? `Loading: ${mb(bytes)} of ${mb(total)} MB` : `Loading: ${mb(bytes)} MB`);
  }

  async function readBody(name, response) {
    const total = Number(response.headers.get('Content-Length')) || 0;
    progress[name] = { bytes: 0, total };
    if (!response.body || !response.body.getReader) {
      const whole = await response.arrayBuffer();
      progress[name].bytes = whole.byteLength;
      showProgress();
      return whole;
    }
    const reader = response.body.getReader();
    const parts = [];
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      progress[name].bytes += value.length;
      showProgress();
    }
    const whole = new Uint8Array(progress[name].bytes);
    let at = 0;
    for (const part of parts) { whole.set(part, at); at += part.length; }
    return whole.buffer;
  }

  // The page that is one file carries its media and its WebAssembly
  // (base64) in itself.
  const embeddedMedia = globalThis.elkaEmbeddedMedia;
  const fromBase64 = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));

  function fetchMedia(name) {
    const embedded = embeddedMedia && embeddedMedia[name];
    if (embedded !== undefined)
      return Promise.resolve([name, fromBase64(embedded).buffer]);
    // A file that cannot be fetched is a file that is not there.
    return fetch('files/' + name)
      .then((response) => (response.ok ? readBody(name, response) : null))
      .catch(() => null)
      .then((bytes) => [name, bytes]);
  }

  // A served page keeps its files for playing offline: the service worker
  // keeps the page's own at its install and the media as they pass, so the
  // media wait until it controls the page (or it cannot: a few seconds at
  // most, then they come straight from the server and are not kept).
  function keepForOffline() {
    if (embeddedMedia || !/^https?:$/.test(location.protocol) || !navigator.serviceWorker)
      return Promise.resolve();
    elka.offline = 'registering';
    const controlled = () => (elka.offline = 'controlled');
    return navigator.serviceWorker.register('sw.js').then(() => {
      if (navigator.serviceWorker.controller) return controlled();
      return new Promise((resolve) => {
        const timer = setTimeout(resolve, 5000);
        navigator.serviceWorker.addEventListener('controllerchange', () => {
          clearTimeout(timer);
          controlled();
          resolve();
        }, { once: true });
      });
    }).catch((error) => {
      console.warn('The page cannot be kept for playing offline: ' + error);
    }).then(() => {
      if (elka.offline !== 'controlled') elka.offline = 'unavailable';
    });
  }

  say(embeddedMedia ? '' : 'Loading...'); // what the page says before its scripts run, too
  const fetched = keepForOffline().then(() => Promise.all(media.map(fetchMedia)));
  if (sharpAsked) setSharp(true); // taken by the frame loop's first look

  // main's argc and argv: the page's ?t= as the demo's --start.
  function mainArguments() {
    const args = ['elka'];
    if (startSeconds > 0) args.push('--start', String(startSeconds));
    const argv = Module._malloc(4 * (args.length + 1));
    args.forEach((arg, i) => {
      const size = arg.length * 4 + 1;
      const text = Module._malloc(size);
      Module.stringToUTF8(arg, text, size);
      Module.setValue(argv + 4 * i, text, 'i32');
    });
    Module.setValue(argv + 4 * args.length, 0, 'i32');
    return [args.length, argv];
  }

  globalThis.Module = {
    elkaPage: page,
    // elka.js takes the WebAssembly given here rather than fetch it.
    wasmBinary: embeddedMedia && embeddedMedia['elka.wasm'] ? fromBase64(embeddedMedia['elka.wasm']) : undefined,
    elkaStartHooks: (globalThis.Module && globalThis.Module.elkaStartHooks) || [],
    print(text) {
      console.log(text);
      if (text.trim()) say(text);
    },
    printErr(text) {
      console.warn(text);
    },
    onExit: ended,
    onAbort(what) {
      console.error('The demo stopped: ' + what);
      say('The demo stopped: ' + what);
      ended(1);
    },
    onRuntimeInitialized() {
      fetched.then((files) => {
        Module.FS.mkdir('/files');
        for (const [name, bytes] of files) if (bytes) Module.FS.writeFile('/files/' + name, new Uint8Array(bytes));
        if (fixedRate) elka.state = 'running';
        // Called as an asynchronous export: the frame loop waits on the
        // browser, and main's status comes when it has returned. An exit
        // before its first wait (a song that is not there) comes as a throw.
        const stopped = (error) => {
          if (error && error.name === 'ExitStatus') return ended(error.status);
          console.error('The demo stopped: ' + error);
          say('The demo stopped: ' + error);
          ended(1);
        };
        try {
          Module.ccall('main', 'number', ['number', 'number'], mainArguments(), { async: true }).then(ended, stopped);
        } catch (error) {
          stopped(error);
        }
      });
    },
  };
})();
