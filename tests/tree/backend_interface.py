#!/usr/bin/env python3
"""The backend interface is one file a newcomer reads: src/platform/backend.h
declares at most 25 calls a backend defines, each backend folder defines
every one of them (at the start of a line of one of its .cpp files, as a
definition stands), and no backend defines a call of the face's (platform_,
gl_profile_, fsound_) that backend.h does not name.
    backend_interface.py SOURCE_DIR"""
import pathlib
import re
import sys

LIMIT = 25
BACKENDS = ('sdl', 'win32', 'web')

root = pathlib.Path(sys.argv[1])
header = (root / 'src/platform/backend.h').read_text()
# Declarations at the start of a line: a type, then the call's name. The
# face's own helpers for backends (a template over the entry points, the
# channel a sound plays on) are defined once in the face, not by a backend.
calls = re.findall(r'^(?!template)[A-Za-z][\w:<>*& ]*?\b((?:backend|gl_profile)_\w+)\(', header, re.M)
constants = re.findall(r'^extern const \w+ (backend_\w+);', header, re.M)
failures = []
if len(calls) + len(constants) == 0:
    failures.append('no backend call found in backend.h')
if len(calls) > LIMIT:
    failures.append(f'{len(calls)} backend calls in backend.h, at most {LIMIT}: {", ".join(calls)}')
for backend in BACKENDS:
    sources = '\n'.join(p.read_text() for p in sorted((root / 'src/platform' / backend).glob('*.cpp')))
    for name in calls:
        if not re.search(rf'^[A-Za-z].*\b{name}\(', sources, re.M):
            failures.append(f'{backend}/ does not define {name}')
    for name in constants:
        if not re.search(rf'^extern const \w+ {name} = ', sources, re.M):
            failures.append(f'{backend}/ does not define {name}')
    for name in sorted(set(re.findall(r'^[A-Za-z][\w:<>*& ]*?\b((?:platform|gl_profile|fsound)_\w+)\(', sources, re.M))):
        if not re.search(rf'\b{name}\b', header):
            failures.append(f'{backend}/ defines {name}, which backend.h does not name')
for failure in failures:
    print('FAIL:', failure)
print(f'{len(calls)} calls and {len(constants)} constant in backend.h, each defined by {", ".join(BACKENDS)}'
      if not failures else f'{len(failures)} failed')
sys.exit(1 if failures else 0)
