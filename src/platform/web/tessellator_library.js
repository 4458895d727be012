// The tessellator's browser side: one polygon at a time through libtess.js
// (SGI's tessellator in JavaScript; the page loads it as globalThis.libtess).
// Its callbacks cannot call the C ones as they come, so what it reports is
// recorded as a list of events, in its order, which the C++ side replays.
mergeInto(LibraryManager.library, {
  $elkaTess: {
    events: null, // of the polygon run last

    // Event codes shared with glu_tessellator_web.cpp.
    begin: 1,
    vertex: 2,
    end: 3,
    edgeFlag: 4,
    error: 5,
    combine: 6,

    // Settings: int32 winding rule, boundary only, the callbacks wanted (1
    // begin, 2 vertex, 4 end, 8 edge flag, 16 error, 32 combine), the
    // command count, then the normal as three doubles.
    // Vertex data on the libtess side are 1-based numbers (it takes a
    // falsy combine result for none): the polygon's vertices in the order
    // given, then each combined vertex in the order made.
    run: function (settings, coords, commands, count) {
      var t = elkaTess;
      var events = [];
      var lib = globalThis.libtess;
      if (!lib) {
        t.events = events;
        return 0;
      }
      var s = settings >> 2;
      var wanted = HEAP32[s + 2];
      var tess = new lib.GluTesselator();
      var next = 1;
      if (wanted & 1)
        tess.gluTessCallback(lib.gluEnum.GLU_TESS_BEGIN, function (type) { events.push(t.begin, type); });
      if (wanted & 2)
        tess.gluTessCallback(lib.gluEnum.GLU_TESS_VERTEX, function (data) { events.push(t.vertex, data); });
      if (wanted & 4)
        tess.gluTessCallback(lib.gluEnum.GLU_TESS_END, function () { events.push(t.end); });
      if (wanted & 8)
        tess.gluTessCallback(lib.gluEnum.GLU_TESS_EDGE_FLAG, function (flag) { events.push(t.edgeFlag, flag ? 1 : 0); });
      if (wanted & 16)
        tess.gluTessCallback(lib.gluEnum.GLU_TESS_ERROR, function (errno) { events.push(t.error, errno); });
      if (wanted & 32) {
        tess.gluTessCallback(lib.gluEnum.GLU_TESS_COMBINE, function (xyz, data, weight) {
          events.push(t.combine, xyz[0], xyz[1], xyz[2]);
          for (var i = 0; i < 4; ++i)
            events.push(data[i] || 0);
          for (var i = 0; i < 4; ++i)
            events.push(weight[i] || 0);
          return count + next++;
        });
      }
      tess.gluTessProperty(lib.gluEnum.GLU_TESS_WINDING_RULE, HEAP32[s]);
      tess.gluTessProperty(lib.gluEnum.GLU_TESS_BOUNDARY_ONLY, HEAP32[s + 1] !== 0);
      var normal = settings + 16;
      tess.gluTessNormal(HEAPF64[normal >> 3], HEAPF64[(normal >> 3) + 1], HEAPF64[(normal >> 3) + 2]);

      // Commands: 0 begin polygon, 1 begin contour, 2 vertex (the next
      // coordinates), 3 end contour; the polygon ends after the last.
      var commandCount = HEAP32[s + 3];
      var vertex = 0;
      try {
        for (var i = 0; i < commandCount; ++i) {
          var command = HEAP32[(commands >> 2) + i];
          if (command === 0) {
            tess.gluTessBeginPolygon(null);
          } else if (command === 1) {
            tess.gluTessBeginContour();
          } else if (command === 2) {
            var c = (coords >> 3) + vertex * 3;
            tess.gluTessVertex([HEAPF64[c], HEAPF64[c + 1], HEAPF64[c + 2]], ++vertex);
          } else if (command === 3) {
            tess.gluTessEndContour();
          }
        }
        tess.gluTessEndPolygon();
      } catch (e) {
        // libtess throws where SGI's gives up on a polygon (out of memory
        // there): nothing of it is drawn, and the error callback hears of it.
        events = (wanted & 16) ? [t.error, 100902] : [];
      }
      t.events = events;
      return events.length;
    },
  },

  // Runs the recorded polygon; the number of event values to take.
  elka_tess_run__deps: ['$elkaTess'],
  elka_tess_run: function (settings, coords, commands, count) {
    return elkaTess.run(settings, coords, commands, count);
  },

  elka_tess_take_events__deps: ['$elkaTess'],
  elka_tess_take_events: function (out) {
    HEAPF64.set(elkaTess.events, out >> 3);
    elkaTess.events = null;
  },
});
