#!/usr/bin/python3
"""Compares two glyph dumps (glyph_dump's output): the same face, the same
glyphs with the same contour ends, points and metrics within `tolerance`
em. Prints what it compared; exit 1 on a difference."""
import sys


def read(path):
    face, glyphs, current = None, {}, None
    with open(path) as f:
        for line in f:
            word = line.split()
            if word[0] == 'face':
                face = line.strip()
            elif word[0] == 'glyph':
                if word[2] == 'failed':
                    glyphs[int(word[1])] = None
                    continue
                current = {'counts': (int(word[2]), int(word[3])), 'metrics': [float(v) for v in word[4:10]],
                           'ends': [], 'points': []}
                glyphs[int(word[1])] = current
            elif word[0] == 'end':
                current['ends'].append(int(word[1]))
            else:
                current['points'].append((float(word[0]), float(word[1])))
    return face, glyphs


def main():
    expected_path, actual_path, tolerance = sys.argv[1], sys.argv[2], float(sys.argv[3])
    expected_face, expected = read(expected_path)
    actual_face, actual = read(actual_path)
    problems = []
    if expected_face != actual_face:
        problems.append('face: %s, expected %s' % (actual_face, expected_face))
    if sorted(expected) != list(range(255)) or sorted(actual) != list(range(255)):
        problems.append('not all 255 glyphs in both')
    worst, points, contours, exact = 0.0, 0, 0, 0
    for code in range(255):
        e, a = expected.get(code), actual.get(code)
        if e is None or a is None:
            if (e is None) != (a is None):
                problems.append('glyph %d: loaded in one only' % code)
            continue
        if e['counts'] != a['counts'] or e['ends'] != a['ends']:
            problems.append('glyph %d: contours %s ends %s, expected %s ends %s' %
                            (code, a['counts'], a['ends'], e['counts'], e['ends']))
            continue
        difference = max([abs(x - y) for x, y in zip(e['metrics'], a['metrics'])] +
                         [max(abs(p[0] - q[0]), abs(p[1] - q[1])) for p, q in zip(e['points'], a['points'])] + [0.0])
        if difference > tolerance:
            problems.append('glyph %d: off by %.3g em' % (code, difference))
        worst = max(worst, difference)
        exact += difference == 0.0
        points += len(e['points'])
        contours += len(e['ends'])
    print('%s: 255 glyphs, %d contours, %d points; %d glyphs exactly equal, largest difference %.3g em (allowed %.3g)' %
          (actual_face, contours, points, exact, worst, tolerance))
    for p in problems[:20]:
        print('  ' + p)
    return 1 if problems else 0


sys.exit(main())
