// The window system's calls into the page (page.js keeps the page's side
// as Module.elkaPage): the canvas, the cursor, the page's events, its clock
// and the fixed-rate mode's frames.
mergeInto(LibraryManager.library, {
  elka_page_create_canvas: function (title, width, height, fullscreen) {
    return Module.elkaPage.createCanvas(UTF8ToString(title), width, height, fullscreen !== 0) ? 1 : 0;
  },
  elka_page_destroy_canvas: function () {
    Module.elkaPage.destroyCanvas();
  },
  elka_page_canvas_pixels: function (width, height) {
    var size = Module.elkaPage.canvasPixels();
    HEAP32[width >> 2] = size[0];
    HEAP32[height >> 2] = size[1];
  },
  elka_page_fit_canvas: function () {
    Module.elkaPage.fitCanvas();
  },
  elka_page_show_cursor: function (shown) {
    Module.elkaPage.showCursor(shown !== 0);
  },
  // One event of the page's queue: kind, a, b; 0 when none waits.
  elka_page_take_event: function (kind, a, b) {
    var event = Module.elkaPage.takeEvent();
    if (!event) return 0;
    HEAP32[kind >> 2] = event[0];
    HEAP32[a >> 2] = event[1];
    HEAP32[b >> 2] = event[2];
    return 1;
  },
  elka_page_counter_place: function (ms, paused) {
    Module.elkaPage.placeCounter(ms, paused !== 0);
  },

  elka_page_counter: function () {
    return Module.elkaPage.counter();
  },
  elka_page_fixed_rate_asked: function () {
    return Module.elkaPage.fixedRate;
  },
  elka_page_frame_begin: function () {
    Module.elkaPage.frameBegin();
  },
  elka_page_frame_wanted: function (frame) {
    return Module.elkaPage.frameWanted(frame) ? 1 : 0;
  },
  elka_page_every_frame_drawn: function () {
    return Module.elkaPage.everyFrameDrawn ? 1 : 0;
  },
  elka_page_frame_read: function (frame, rgba, width, height) {
    Module.elkaPage.frameRead(frame, HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
  },
});
