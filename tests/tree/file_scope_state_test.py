#!/usr/bin/env python3
"""The lister of kept variables against a source whose variables are known:
what it must list, and the declarations that only look like variables."""
import os
import subprocess
import sys
import tempfile

SOURCE = r'''
#include <vector>
#define NOT_A_VARIABLE int macro_count = 0;
int counted = 0;                       // listed
static float scale;                    // listed
const int limit = 3;                   // const: no state
constexpr double pi = 3.14;
const char* cursor_text = "a;b{";      // pointer to const: listed
const char* const names[] = {"x", "y"};
struct Point { int x = 0; int y = 0; };
Point origin{1, 2};                    // listed
Point corners[4] = {{0, 0}, {1, 1}};   // listed
enum class Mode { a, b };
int add(int a, int b = 2);
void reset();
void (*hook)(int) = nullptr;           // listed
using Table = std::vector<int>;
std::vector<const char*> log_lines;    // listed
const std::vector<const char*> fixed_lines = {"a"};
namespace {
std::vector<Point> points;             // listed
bool ready() { static int calls = 0; return ++calls > 1; }  // calls listed
const Mode first = Mode::a;
} // namespace
extern "C" {
int c_side;                            // listed
}
/* int commented_out = 1; */
int frame(int n)
{
    int local = n;
    static const int steps = 4;
    static std::vector<int> seen;      // listed
    return local + steps + static_cast<int>(seen.size());
}
'''
EXPECTED = ['counted', 'scale', 'cursor_text', 'origin', 'corners', 'hook', 'log_lines', 'points', 'calls', 'c_side', 'seen']

with tempfile.TemporaryDirectory() as folder:
    with open(os.path.join(folder, 'sample.cpp'), 'w') as f:
        f.write(SOURCE)
    lister = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'file_scope_state.py')
    out = subprocess.run([sys.executable, lister, folder], capture_output=True, text=True, check=True).stdout
    found = [line.rsplit(': ', 1)[1] for line in out.splitlines()]
    lines = {line.rsplit(': ', 1)[1]: int(line.split(':')[1]) for line in out.splitlines()}

if found != EXPECTED:
    print(f'FAIL: listed {found}, expected {EXPECTED}')
    sys.exit(1)
if lines['seen'] != SOURCE.splitlines().index('    static std::vector<int> seen;      // listed') + 1:
    print(f"FAIL: 'seen' reported at line {lines['seen']}")
    sys.exit(1)
print(f'{len(found)} kept variables listed, none of the look-alikes')
