// The benchmarks' command line, one for all of them: a benchmark is named
// after its source, so its name comes from how it was called.
#include "bench_line.h"

#include <string>

int answer_bench_line(int argc, char** argv, const char* what, const ProgramOption* extra, int extra_count,
                      const char* extra_usage)
{
    std::string name = argc > 0 && argv[0] ? argv[0] : "bench";
    name = name.substr(name.find_last_of('/') + 1);
    const std::string usage = "Usage: " + name + " [--benchmark_OPTION=VALUE]...\n" + "Times " + what +
                              " with Google Benchmark, headless.\n\n" + extra_usage +
                              "      --benchmark_filter=REGEX  run only the benchmarks it matches; Google\n"
                              "                                Benchmark's other --benchmark_* options too\n"
                              "      --help                    show this help and exit\n"
                              "      --version                 show the version and exit\n";
    const ProgramLine line = {name.c_str(), usage.c_str(), extra, extra_count, 0, 0, "", "--benchmark_"};
    return answer_program_line(argc, argv, line);
}
