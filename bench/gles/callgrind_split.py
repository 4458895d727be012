#!/usr/bin/python3
"""Instructions per frame from the layer benchmark's callgrind dumps.

Each dump holds one set of frames ("scene S frames N" or "sequence frames
N"). For each it prints the instructions of a frame in all (the system's
drawing, the layer and the recording ES), those spent in the layer (every
call from outside the layer into one of its functions, with all it calls)
and, of those, the recording ES's, which stands in for the driver and is
not the layer's own. The layer's functions are those its library defines,
the recording's the gl* functions the benchmark defines (nm says which): a
function's file in a dump may be a header it inlined.

    callgrind_split.py LAYER_LIBRARY BENCHMARK DUMP...
"""
import re
import subprocess
import sys


def defined_functions(path, only=None):
    out = subprocess.run(["nm", "-C", "--defined-only", path], capture_output=True, text=True,
                         check=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] in "TtWw" and (only is None or only.match(parts[2])):
            names.add(parts[2])
    return names


def parse(path, layer_names, recording_names):
    files, names = {}, {}
    desc, total = "", None
    caller, callee = None, None
    pending_call = False
    layer = recording = 0

    def named(table, text):
        m = re.match(r"\((\d+)\)(?: (.*))?$", text)
        if not m:
            return text
        if m.group(2) is not None:
            table[m.group(1)] = m.group(2)
        return table.get(m.group(1), "")

    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if pending_call:
                # The line after calls= holds the calls' inclusive cost.
                pending_call = False
                parts = line.split()
                cost = int(parts[1]) if len(parts) > 1 else 0
                inside = names.get(caller, "") in layer_names
                if not inside and names.get(callee, "") in layer_names:
                    layer += cost
                if inside and names.get(callee, "") in recording_names:
                    recording += cost
                continue
            if line.startswith("desc: Trigger:"):
                desc = line.split("Client Request:", 1)[-1].strip()
            elif line.startswith("totals:") or line.startswith("summary:"):
                total = int(line.split()[1])
            elif line.startswith(("fl=", "fi=", "fe=")):
                named(files, line[3:])
            elif line.startswith(("cfl=", "cfi=")):
                named(files, line[4:])
            elif line.startswith(("fn=", "cfn=")):
                text = line[line.index("=") + 1:]
                m = re.match(r"\((\d+)\)", text)
                name = named(names, text)
                key = m.group(1) if m else name
                if not m:
                    names[key] = name
                if line.startswith("fn="):
                    caller = key
                else:
                    callee = key
            elif line.startswith("calls="):
                pending_call = True
    return desc, total or 0, layer, recording


def main():
    layer_names = defined_functions(sys.argv[1])
    recording_names = defined_functions(sys.argv[2], re.compile(r"^gl[A-Z]"))
    rows = []
    for path in sys.argv[3:]:
        desc, total, layer, recording = parse(path, layer_names, recording_names)
        m = re.match(r"(scene -?\d+|sequence) frames (\d+)", desc)
        if not m:
            continue
        frames = int(m.group(2))
        rows.append((m.group(1), total / frames, layer / frames, recording / frames))
    order = {"sequence": 1000}
    rows.sort(key=lambda r: order.get(r[0], int(r[0].split()[-1]) if r[0].startswith("scene") else 0))
    print("%-10s %14s %14s %14s %14s" % ("frames of", "Ir/frame", "layer Ir", "of it the ES", "layer's own"))
    for what, total, layer, recording in rows:
        print("%-10s %14.0f %14.0f %14.0f %14.0f" % (what, total, layer, recording, layer - recording))


if __name__ == "__main__":
    main()
