// The sound layer's browser side: songs decoded by the browser's own
// decoders, played through one AudioContext that exists only from the
// viewer's first gesture on (browsers refuse sound before it). What the
// layer does is reported in globalThis.elka.sound for the page's tests.
// The song's clock as heard (Module.elkaSongEpoch) is what the page's
// clock follows: Web Audio's clock stands still while its output is late
// (a busy machine, a stopped browser) and runs at the device's rate, so
// the song falls behind the page's own clock.
mergeInto(LibraryManager.library, {
  $elkaSound: {
    started: false,
    fixed: false, // the page's fixed-rate mode: checks and decodes, plays nothing
    rate: 44100,
    gesture: false, // the viewer has clicked the page's start overlay
    ctx: null,
    // Made at load (a library object is written out as a literal, which
    // cannot hold a Map): sample id -> AudioBuffer, and channel ->
    // {buffer, source}, source null while the song waits for the gesture.
    buffers: null,
    channels: null,
    song: null, // the entry last started: the one whose clock is heard
    nextId: 1,
    error: 0,

    report: function() {
      var s = elkaSound;
      var playing = false;
      s.channels.forEach(function(entry) {
        if (entry.source)
          playing = true;
      });
      var page = globalThis.elka = globalThis.elka || {};
      page.sound = {context: s.ctx ? s.ctx.state : 'none', playing: playing, error: s.error};
    },

    // The context is made at the gesture, or later once the gesture has
    // been (the page keeps its user activation).
    ensureContext: function() {
      var s = elkaSound;
      if (s.ctx && s.ctx.state !== 'closed')
        return s.ctx;
      var Context = globalThis.AudioContext || globalThis.webkitAudioContext;
      try {
        s.ctx = new Context({sampleRate: s.rate});
      } catch (e) {
        // A rate the output cannot run at: the device's own; buffers are
        // resampled as they play.
        s.ctx = new Context();
      }
      s.ctx.onstatechange = s.report;
      return s.ctx;
    },

    start: function(channel, entry) {
      var s = elkaSound;
      var source = s.ctx.createBufferSource();
      source.buffer = entry.buffer;
      source.connect(s.ctx.destination);
      source.onended = function() {
        if (s.channels.get(channel) === entry) {
          s.channels.delete(channel);
          s.report();
        }
      };
      entry.source = source;
      // At a known time a little ahead, so that the song's first sample is
      // at that time however late the audio thread takes the start.
      entry.startAt = s.ctx.currentTime + s.startLead;
      source.start(entry.startAt, entry.from);
      s.song = entry;
    },

    startLead: 0.1,

    // When the song's first sample is heard (epoch, as performance.now()),
    // as the browser tells it now, the time it told that of (toldAt) and
    // whether an output timestamp told it (stamped);
    // null while the song is not heard: no song, a context not running,
    // before its start and after its end. What is heard now is the
    // context's time less the output's latency (to within the audio
    // thread's last block); the output's timestamp says it more closely,
    // and is taken where it agrees with that: a stamp from before a stall
    // (told again only once the sound runs), or one on a clock other than
    // performance.now() (WebKitGTK's runs ahead), is not.
    songEpoch: function(nowMs) {
      var s = elkaSound;
      var ctx = s.ctx;
      var entry = s.song;
      if (s.fixed || !ctx || ctx.state !== 'running' || !entry || !entry.source || s.channels.get(entry.channel) !== entry)
        return null;
      var latency = s.outputLatency(ctx);
      var heard = ctx.currentTime - (latency || ctx.baseLatency || 0);
      var atMs = nowMs;
      var stamped = false;
      if (!s.latencyHangs && typeof ctx.getOutputTimestamp === 'function') {
        var stamp = ctx.getOutputTimestamp();
        var told = stamp.performanceTime;
        if (told > 0 && told <= nowMs + 5 &&
            Math.abs((told - stamp.contextTime * 1000) - (nowMs - heard * 1000)) < s.stampAgreesMs) {
          heard = stamp.contextTime;
          atMs = told;
          stamped = true;
        }
      }
      var played = heard - entry.startAt;
      var position = played + (entry.from || 0);
      if (!(played > 0) || position >= entry.buffer.duration)
        return null;
      return {epoch: atMs - position * 1000, toldAt: atMs, stamped: stamped};
    },

    stampAgreesMs: 250,

    // The output's latency, where the browser can be asked without harm.
    // Firefox answers outputLatency and getOutputTimestamp by asking its
    // sound server while it holds its audio graph's lock; when that ask
    // meets the output's own call for samples (likely on a busy machine,
    // and once is enough) the page hangs for good. There the song is taken
    // as heard at the context's time less its base latency, and its output
    // latency is not made up for (the sync rig measures what that costs).
    outputLatency: function(ctx) {
      if (elkaSound.latencyHangs === null)
        elkaSound.latencyHangs = /\bFirefox\//.test(globalThis.navigator ? navigator.userAgent : '');
      return elkaSound.latencyHangs ? 0 : ctx.outputLatency || 0;
    },

    latencyHangs: null, // whether asking for the latency can hang the page

    // Silence is never silent: once the viewer has asked for sound, a
    // context that is not running (no output device, a browser that keeps
    // it suspended) is said on the page's status line, and the page's next
    // tap or click tries again (Module.elkaSoundRetry).
    watchRunning: function() {
      var s = elkaSound;
      var ctx = s.ctx;
      var look = function() {
        var silent = s.ctx === ctx && ctx.state !== 'running' && ctx.state !== 'closed';
        if (Module.elkaPage && Module.elkaPage.soundSilent)
          Module.elkaPage.soundSilent(silent);
        s.report();
      };
      var settled = function() { setTimeout(look, 500); };
      if (ctx.state === 'running')
        return look();
      ctx.resume().then(settled, settled);
    },

    // The page calls this inside the click handler of its start overlay.
    onGesture: function() {
      var s = elkaSound;
      s.gesture = true;
      if (!s.started || s.fixed)
        return;
      var ctx = s.ensureContext();
      Module.elkaSoundRetry = s.watchRunning;
      s.watchRunning();
      s.channels.forEach(function(entry, channel) {
        if (!entry.source)
          s.start(channel, entry);
      });
      s.report();
    },

    stopEntry: function(entry) {
      if (!entry.source)
        return;
      entry.source.onended = null;
      try {
        entry.source.stop();
      } catch (e) {
        // never started: nothing to stop
      }
      entry.source.disconnect();
    },

    // A promise of the new sample's id, or 0 when the browser cannot decode
    // the bytes; the bytes are copied out first, the heap may move.
    decode: function(bytes, size) {
      var s = elkaSound;
      var data = HEAPU8.slice(bytes, bytes + size).buffer;
      var decoder;
      try {
        decoder = new OfflineAudioContext(2, 1, s.rate);
      } catch (e) {
        return Promise.resolve(-1);
      }
      return decoder.decodeAudioData(data).then(function(buffer) {
        // Nothing to play (a stream of metadata frames only) counts as a
        // file that does not load, as on the desktop.
        if (!buffer || buffer.length === 0 || !s.started)
          return 0;
        var id = s.nextId++;
        s.buffers.set(id, buffer);
        return id;
      }, function(error) {
        return error && error.name === 'RangeError' ? -1 : 0;
      });
    },
  },

  $elkaSound__postset: 'elkaSound.buffers = new Map(); elkaSound.channels = new Map();' +
                       'Module["elkaStartHooks"] = Module["elkaStartHooks"] || [];' +
                       'Module["elkaStartHooks"].push(function() { elkaSound.onGesture(); });' +
                       'Module["elkaSongEpoch"] = elkaSound.songEpoch;' +
                       'elkaSound.report();',

  elka_sound_report_error__deps: ['$elkaSound'],
  elka_sound_report_error: function(code) {
    if (elkaSound.error === code)
      return;
    elkaSound.error = code;
    elkaSound.report();
  },

  // Whether the browser can decode (and, outside the fixed-rate mode,
  // play) sound at all.
  elka_sound_open__deps: ['$elkaSound'],
  elka_sound_open: function(rate) {
    var s = elkaSound;
    var page = globalThis.elka || {};
    var fixed = typeof page.fixedRate === 'number' && page.fixedRate > 0;
    if (typeof OfflineAudioContext !== 'function')
      return 0;
    if (!fixed && !(globalThis.AudioContext || globalThis.webkitAudioContext))
      return 0;
    s.fixed = fixed;
    s.rate = rate;
    s.started = true;
    if (s.ctx && s.ctx.state === 'closed')
      s.ctx = null;
    s.report();
    return 1;
  },

  // The channel it plays (or will play at the gesture) on, or -1 when every
  // one is taken.
  elka_sound_play__deps: ['$elkaSound'],
  // `from`: seconds into the song it starts at.
  elka_sound_play: function(channel, id, channelCount, from) {
    var s = elkaSound;
    var buffer = s.buffers.get(id);
    if (channel < 0) {
      channel = -1;
      for (var c = 0; c < channelCount; c++) {
        if (!s.channels.has(c)) {
          channel = c;
          break;
        }
      }
      if (channel < 0)
        return -1;
    }
    if (s.fixed)
      return channel;
    var old = s.channels.get(channel);
    if (old)
      s.stopEntry(old);
    var entry = {buffer: buffer, source: null, channel: channel, startAt: 0, from: from};
    s.channels.set(channel, entry);
    if (s.gesture) {
      var ctx = s.ensureContext();
      if (ctx.state !== 'running')
        ctx.resume().catch(function() {});
      s.start(channel, entry);
    }
    s.report();
    return channel;
  },

  elka_sound_stop__deps: ['$elkaSound'],
  elka_sound_stop: function(channel) {
    var s = elkaSound;
    var entry = s.channels.get(channel);
    if (!entry)
      return;
    s.stopEntry(entry);
    s.channels.delete(channel);
    s.report();
  },

  elka_sound_close__deps: ['$elkaSound'],
  elka_sound_close: function() {
    var s = elkaSound;
    s.channels.forEach(s.stopEntry);
    s.channels.clear();
    s.buffers.clear();
    s.started = false;
    if (s.ctx && s.ctx.state !== 'closed')
      s.ctx.close().catch(function() {});
    s.report();
  },
});
