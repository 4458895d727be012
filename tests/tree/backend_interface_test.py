#!/usr/bin/env python3
"""backend_interface.py on made-up trees: it passes a tree where every
backend defines every call and the constant, and fails, naming what is
missing, where a backend only calls one (an indented line), defines one
under another name, lacks the constant, defines a call of the face's that
the header does not name, or where the header has too many."""
import pathlib
import subprocess
import sys
import tempfile

checker = pathlib.Path(__file__).with_name('backend_interface.py')
HEADER = """// A header.
VideoStart backend_video_start();
bool backend_swap(PlatformWindow& window);
template <typename T> bool gl_profile_look_up(T* function, const char* name) { return false; }
extern const BoxLine backend_box_line;
"""
GOOD = """VideoStart backend_video_start() { return VideoStart::monitor; }
bool backend_swap(PlatformWindow&)
{
    return true;
}
extern const BoxLine backend_box_line = BoxLine::never;
"""


def run(header, sources):
    with tempfile.TemporaryDirectory() as root:
        platform = pathlib.Path(root, 'src/platform')
        platform.mkdir(parents=True)
        (platform / 'backend.h').write_text(header)
        for backend in ('sdl', 'win32', 'web'):
            (platform / backend).mkdir()
            (platform / backend / 'unit.cpp').write_text(sources.get(backend, GOOD))
        done = subprocess.run([sys.executable, str(checker), root], capture_output=True, text=True)
        return done.returncode, done.stdout


failures = []


def expect(what, result, status, text):
    if result[0] != status or text not in result[1]:
        failures.append(f'{what}: status {result[0]}, output {result[1]!r}')


expect('every backend defines all', run(HEADER, {}), 0, '2 calls and 1 constant')
expect('a call only called', run(HEADER, {'web': GOOD.replace('bool backend_swap(', 'bool other(') +
                                          '    backend_swap(window);\n'}), 1, 'web/ does not define backend_swap')
expect('another name', run(HEADER, {'sdl': GOOD.replace('backend_video_start()', 'backend_video_begin()')}), 1,
       'sdl/ does not define backend_video_start')
expect('no constant', run(HEADER, {'win32': GOOD.replace('extern const BoxLine backend_box_line', '// ')}), 1,
       'win32/ does not define backend_box_line')
expect('a face call outside the header', run(HEADER, {'sdl': GOOD + 'bool platform_peek_message(Message* m) { return false; }\n'}),
       1, 'sdl/ defines platform_peek_message, which backend.h does not name')
expect('a face call the header names', run(HEADER + '// platform_media_file_name: win32/ defines it.\n',
                                           {'win32': GOOD + 'bool platform_media_file_name(const char*) { return true; }\n'}),
       0, '2 calls and 1 constant')
many = HEADER + ''.join(f'void backend_call_{i}();\n' for i in range(24))
expect('26 calls', run(many, {}), 1, '26 backend calls in backend.h, at most 25')
for failure in failures:
    print('FAIL:', failure)
print(f'{len(failures)} failed' if failures else 'ok: the backend interface check passes and fails where it should')
sys.exit(1 if failures else 0)
