// CPU sampling by instruction address. The signal handler only compares
// the address with a table of code ranges made beforehand and bumps a
// counter, which is safe in a signal handler.
#include "cpu_sampler.h"
#include "library_kind.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>
#include <link.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace {

enum Kind { own_code = 0, gl_code = 1, other_code = 2, unmapped_code = 3 };

struct Range {
    std::uintptr_t begin, end;
    Kind kind;
};

constexpr int max_ranges = 256;
Range ranges[max_ranges];
int range_count = 0;
std::atomic<long> counts[4];
timer_t timer;
bool running = false;
double main_cpu_at_start = 0, process_cpu_at_start = 0;

// The names an object needs, from its dynamic section (the loader has
// mostly moved its string table's address by the object's base already).
std::size_t needed_names(const struct dl_phdr_info* info, const char** names, std::size_t most)
{
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_DYNAMIC)
            continue;
        const auto* dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + header.p_vaddr);
        std::uintptr_t strings = 0;
        for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d)
            if (d->d_tag == DT_STRTAB)
                strings = static_cast<std::uintptr_t>(d->d_un.d_ptr);
        if (strings == 0)
            return 0;
        if (strings < info->dlpi_addr)
            strings += info->dlpi_addr;
        std::size_t n = 0;
        for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL && n < most; ++d)
            if (d->d_tag == DT_NEEDED)
                names[n++] = reinterpret_cast<const char*>(strings + d->d_un.d_val);
        return n;
    }
    return 0;
}

Kind kind_of(const struct dl_phdr_info* info, bool first)
{
    const char* name = info->dlpi_name;
    if (first || !name || !*name)
        return own_code; // the executable itself
    const char* needed[64];
    const std::size_t n = needed_names(info, needed, 64);
    return graphics_library(name, needed, n) ? gl_code : other_code;
}

int collect(struct dl_phdr_info* info, size_t, void* data)
{
    bool* first = static_cast<bool*>(data);
    Kind kind = kind_of(info, *first);
    *first = false;
    for (int i = 0; i < info->dlpi_phnum && range_count < max_ranges; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || !(header.p_flags & PF_X))
            continue;
        std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
        ranges[range_count++] = {begin, begin + header.p_memsz, kind};
    }
    return 0;
}

void on_sample(int, siginfo_t*, void* context)
{
    auto* uc = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    std::uintptr_t pc = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    std::uintptr_t pc = static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
#else
    std::uintptr_t pc = 0;
    (void)uc;
#endif
    Kind kind = unmapped_code;
    for (int i = 0; i < range_count; ++i) {
        if (pc >= ranges[i].begin && pc < ranges[i].end) {
            kind = ranges[i].kind;
            break;
        }
    }
    counts[kind].fetch_add(1, std::memory_order_relaxed);
}

double cpu_seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

bool cpu_sampler_start()
{
    bool first = true;
    range_count = 0;
    dl_iterate_phdr(collect, &first);
    for (auto& c : counts)
        c.store(0);

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = on_sample;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGPROF, &action, nullptr) != 0)
        return false;

    struct sigevent event;
    std::memset(&event, 0, sizeof event);
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = SIGPROF;
    event._sigev_un._tid = static_cast<pid_t>(syscall(SYS_gettid));
    if (timer_create(CLOCK_THREAD_CPUTIME_ID, &event, &timer) != 0)
        return false;
    struct itimerspec period{};
    period.it_interval.tv_nsec = 1000000;
    period.it_value.tv_nsec = 1000000;
    main_cpu_at_start = cpu_seconds(CLOCK_THREAD_CPUTIME_ID);
    process_cpu_at_start = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID);
    if (timer_settime(timer, 0, &period, nullptr) != 0) {
        timer_delete(timer);
        return false;
    }
    running = true;
    return true;
}

CpuShares cpu_sampler_stop()
{
    CpuShares shares;
    if (!running)
        return shares;
    timer_delete(timer);
    running = false;
    signal(SIGPROF, SIG_IGN);
    shares.main_thread_seconds = cpu_seconds(CLOCK_THREAD_CPUTIME_ID) - main_cpu_at_start;
    double process = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID) - process_cpu_at_start;
    shares.other_threads_seconds = process > shares.main_thread_seconds ? process - shares.main_thread_seconds : 0;
    long own = counts[own_code].load(), gl = counts[gl_code].load() + counts[unmapped_code].load(),
         other = counts[other_code].load();
    shares.samples = own + gl + other;
    if (shares.samples > 0) {
        double per_sample = shares.main_thread_seconds / static_cast<double>(shares.samples);
        shares.own_seconds = own * per_sample;
        shares.gl_seconds = gl * per_sample + shares.other_threads_seconds;
        shares.other_seconds = other * per_sample;
    }
    return shares;
}
