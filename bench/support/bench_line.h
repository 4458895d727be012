// The benchmarks' command line: the demo's --help, --version and usage
// errors, with Google Benchmark's own --benchmark_* options let through.
#pragma once

#include "program_line.h"

// -1 when the benchmark goes on, else the status to end with. WHAT says
// what it times; EXTRA are options of its own besides Google Benchmark's.
int answer_bench_line(int argc, char** argv, const char* what, const ProgramOption* extra = nullptr,
                      int extra_count = 0, const char* extra_usage = "");
