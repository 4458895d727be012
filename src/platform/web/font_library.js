// The font reader's browser side: font files parsed by opentype.js (the
// page loads it as globalThis.opentype), glyphs handed to the C++ side as
// the font's own points in font units, composites put together as
// FreeType puts them (component transforms in 16.16 fixed point, rounded).
mergeInto(LibraryManager.library, {
  $elkaFonts: {
    fonts: null, // id -> {font, symbol}, made at the first parse
    nextId: 1,
    glyph: null, // the glyph loaded last: {points: [x, y, tag, ...], ends: [...]}

    // FreeType's product of a 16.16 factor, rounded half away from zero.
    mulFix: function (a, b) {
      var p = a * b;
      return p < 0 ? -Math.floor((-p + 0x8000) / 0x10000) : Math.floor((p + 0x8000) / 0x10000);
    },

    // A symbol font: no Unicode character map but a Windows symbol one.
    symbolMap: function (bytes) {
      var view = new DataView(bytes);
      var count = view.getUint16(4);
      for (var i = 0; i < count; ++i) {
        var entry = 12 + i * 16;
        if (view.getUint32(entry) !== 0x636d6170) // 'cmap'
          continue;
        var cmap = view.getUint32(entry + 8);
        var tables = view.getUint16(cmap + 2);
        var unicode = false, symbol = false;
        for (var t = 0; t < tables; ++t) {
          var platform = view.getUint16(cmap + 4 + t * 8), encoding = view.getUint16(cmap + 6 + t * 8);
          if (platform === 0 || (platform === 3 && (encoding === 1 || encoding === 10)))
            unicode = true;
          if (platform === 3 && encoding === 0)
            symbol = true;
        }
        return symbol && !unicode;
      }
      return false;
    },

    // Appends the points of glyph `index` (x, y, tag per point: 1 on the
    // curve, 0 a quadratic control, 2 a cubic one) and its contour ends.
    collect: function (font, index, depth, out) {
      var glyph = font.glyphs.get(index);
      if (!glyph || depth > 16)
        return false;
      var path = glyph.path; // parses the glyph
      if (glyph.isComposite) {
        for (var c = 0; c < glyph.components.length; ++c) {
          var component = glyph.components[c];
          var part = {points: [], ends: []};
          if (!elkaFonts.collect(font, component.glyphIndex, depth + 1, part))
            return false;
          var xx = Math.round(component.xScale * 0x10000), xy = Math.round(component.scale01 * 0x10000);
          var yx = Math.round(component.scale10 * 0x10000), yy = Math.round(component.yScale * 0x10000);
          var p = part.points;
          for (var i = 0; i < p.length; i += 3) {
            var x = p[i], y = p[i + 1];
            p[i] = elkaFonts.mulFix(x, xx) + elkaFonts.mulFix(y, xy);
            p[i + 1] = elkaFonts.mulFix(x, yx) + elkaFonts.mulFix(y, yy);
          }
          var dx = component.dx, dy = component.dy;
          if (component.matchedPoints) {
            var ours = component.matchedPoints[0] * 3, theirs = component.matchedPoints[1] * 3;
            if (ours + 2 >= out.points.length || theirs + 2 >= p.length)
              return false;
            dx = out.points[ours] - p[theirs];
            dy = out.points[ours + 1] - p[theirs + 1];
          }
          var base = out.points.length / 3;
          for (var i = 0; i < p.length; i += 3)
            out.points.push(p[i] + dx, p[i + 1] + dy, p[i + 2]);
          for (var e = 0; e < part.ends.length; ++e)
            out.ends.push(part.ends[e] + base);
        }
        return true;
      }
      if (glyph.points) {
        for (var i = 0; i < glyph.points.length; ++i) {
          var point = glyph.points[i];
          out.points.push(point.x, point.y, point.onCurve ? 1 : 0);
          if (point.lastPointOfContour)
            out.ends.push(out.points.length / 3 - 1);
        }
        return true;
      }
      // An outline of cubic curves (CFF): its path, in font units.
      var commands = path ? path.commands : [];
      var open = false;
      for (var i = 0; i < commands.length; ++i) {
        var command = commands[i];
        if ((command.type === 'M' || command.type === 'Z') && open) {
          out.ends.push(out.points.length / 3 - 1);
          open = false;
        }
        if (command.type === 'M' || command.type === 'L') {
          out.points.push(command.x, command.y, 1);
          open = true;
        } else if (command.type === 'Q') {
          out.points.push(command.x1, command.y1, 0, command.x, command.y, 1);
        } else if (command.type === 'C') {
          out.points.push(command.x1, command.y1, 2, command.x2, command.y2, 2, command.x, command.y, 1);
        }
      }
      if (open)
        out.ends.push(out.points.length / 3 - 1);
      return true;
    },
  },

  // The id of the parsed font, or 0 when the bytes hold none opentype.js reads.
  elka_font_parse__deps: ['$elkaFonts'],
  elka_font_parse: function (bytes, size) {
    var reader = globalThis.opentype;
    if (!reader)
      return 0;
    var buffer = HEAPU8.slice(bytes, bytes + size).buffer;
    var font;
    try {
      font = reader.parse(buffer);
    } catch (e) {
      return 0;
    }
    if (!font || !font.glyphs || !(font.unitsPerEm > 0))
      return 0;
    if (!elkaFonts.fonts)
      elkaFonts.fonts = new Map();
    var id = elkaFonts.nextId++;
    elkaFonts.fonts.set(id, {font: font, symbol: elkaFonts.symbolMap(buffer)});
    return id;
  },

  elka_font_release__deps: ['$elkaFonts'],
  elka_font_release: function (id) {
    if (elkaFonts.fonts)
      elkaFonts.fonts.delete(id);
  },

  // The English name `which` (0 the family, 1 the typographic family, 2 the
  // full name) into buffer; its length in bytes, 0 when the font has none.
  elka_font_name__deps: ['$elkaFonts'],
  elka_font_name: function (id, which, buffer, size) {
    var entry = elkaFonts.fonts.get(id);
    var key = ['fontFamily', 'preferredFamily', 'fullName'][which];
    var name = entry && entry.font.names[key] ? entry.font.names[key].en : '';
    if (!name)
      return 0;
    return stringToUTF8(name, buffer, size);
  },

  // The weight class (100..900), the units to the em, whether ANSI codes
  // live at U+F000 + code.
  elka_font_info__deps: ['$elkaFonts'],
  elka_font_info: function (id, weight, units, symbol) {
    var entry = elkaFonts.fonts.get(id);
    var os2 = entry.font.tables.os2;
    HEAP32[weight >> 2] = os2 && os2.usWeightClass ? os2.usWeightClass : 400;
    HEAP32[units >> 2] = entry.font.unitsPerEm;
    HEAP32[symbol >> 2] = entry.symbol ? 1 : 0;
  },

  // The glyph of a character, 0 (the missing glyph) when the font lacks it.
  elka_font_glyph_index__deps: ['$elkaFonts'],
  elka_font_glyph_index: function (id, character) {
    var map = elkaFonts.fonts.get(id).font.tables.cmap.glyphIndexMap;
    var index = map[character];
    return index === undefined ? 0 : index;
  },

  // Loads glyph `index`: its point and contour counts, advance and left
  // side bearing less its ink's left edge into counts[0..3]; false when
  // it cannot be read. elka_font_copy_glyph hands over its points.
  elka_font_load_glyph__deps: ['$elkaFonts'],
  elka_font_load_glyph: function (id, index, counts) {
    var font = elkaFonts.fonts.get(id).font;
    var glyph = font.glyphs.get(index);
    var out = {points: [], ends: []};
    try {
      if (!glyph || !elkaFonts.collect(font, index, 0, out))
        return 0;
    } catch (e) {
      return 0;
    }
    elkaFonts.glyph = out;
    HEAP32[counts >> 2] = out.points.length / 3;
    HEAP32[(counts >> 2) + 1] = out.ends.length;
    HEAP32[(counts >> 2) + 2] = glyph.advanceWidth || 0;
    // FreeType puts the glyph origin where the metrics say the ink's left
    // edge is left side bearing away.
    var shift = 0;
    if (out.ends.length && glyph.leftSideBearing !== undefined && glyph.xMin !== undefined)
      shift = glyph.leftSideBearing - glyph.xMin;
    HEAP32[(counts >> 2) + 3] = shift;
    return 1;
  },

  // The loaded glyph's points (x, y, tag, as doubles) and contour ends
  // (index of each contour's last point).
  elka_font_copy_glyph__deps: ['$elkaFonts'],
  elka_font_copy_glyph: function (points, ends) {
    var glyph = elkaFonts.glyph;
    HEAPF64.set(glyph.points, points >> 3);
    HEAP32.set(glyph.ends, ends >> 2);
    elkaFonts.glyph = null;
  },
});
