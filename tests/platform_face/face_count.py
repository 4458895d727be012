#!/usr/bin/python3
# The platform's face: the functions declared by the platform headers that
# the system includes (src/ outside src/platform, and tools/capture; with
# --src-only the demo's own code alone), and how many of them it calls.
# -v lists them; --check fails when a header the system includes declares a
# function the system does not call (it belongs in host.h).
import re, sys, os, glob
root = sys.argv[1]
sys_files = [f for f in glob.glob(root + '/src/**/*.*', recursive=True) if '/src/platform/' not in f and f.endswith(('.cpp', '.h'))]
if '--src-only' not in sys.argv:
    sys_files += glob.glob(root + '/tools/capture/*.cpp') + glob.glob(root + '/tools/capture/*.h')
inc = re.compile(r'#include "platform/([\w.]+)"')
headers = set()
def add(h):
    # the host library is what tests and tools reach besides the face
    if h in headers or h == 'host.h': return
    headers.add(h)
    for m in inc.finditer(open(f'{root}/src/platform/{h}').read()):
        add(m.group(1))
for f in sys_files:
    for m in inc.finditer(open(f).read()):
        add(m.group(1))
decl = re.compile(r'^(?!\s*(?://|#|return|using|enum|struct|class|case))[\w:<>*&,\s]*?\b([A-Za-z_]\w*)\s*\((?!\s*\*)[^;{]*\)\s*(?:const\s*)?(?:;|\{)', re.M)
declared = {}
for h in sorted(headers):
    text = re.sub(r'//.*', '', open(f'{root}/src/platform/{h}').read())
    names = [n for n in decl.findall(text) if n not in ('if', 'while', 'for', 'switch', 'sizeof', 'static_cast')]
    # members of function-pointer structs are not functions of the face
    for n in names:
        declared.setdefault(n, h)
body = ''.join(re.sub(r'//.*', '', open(f).read()) for f in sys_files)
called = sorted(n for n in declared if re.search(r'\b' + n + r'\s*\(', body))
verbose = '-v' in sys.argv
print('headers:', ' '.join(sorted(headers)))
print('declared:', len(declared))
print('called by the system:', len(called))
if verbose:
    for n in sorted(declared):
        print(('  called ' if n in called else '  unused ') + declared[n] + ' ' + n)
if '--check' in sys.argv:
    unused = sorted(n for n in declared if n not in called)
    if unused:
        print('declared for the system but not called by it:', ' '.join(unused))
        sys.exit(1)
