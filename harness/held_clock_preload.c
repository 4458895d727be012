/* Preloaded into the demo by the window tests that must see one moment of
 * the sequence however slow the machine is. It stands between the demo and
 * SDL's performance counter, the clock every frame delta is taken from:
 * while the clock is held the counter stands still, every delta is 0 and the
 * sequence waits where it is, drawing on; let go, it goes on from there.
 *
 *   ELKA_CLOCK=held   the clock starts held (the sequence waits at 0 s)
 *   ELKA_CLOCK_RATE=N the clock runs N times as fast (a whole integer, 1 to
 *                     100): the whole sequence in 1/N of its time, each
 *                     frame's delta N times as long (valgrind's run)
 *   SIGUSR1           lets it go, for good
 *   ELKA_CLOCK_LOG    file that gets "held 0.000" at the demo's first read
 *                     of the counter and "going 0.000" at its first read
 *                     after the signal (the seconds its clock had counted)
 *
 * Everything else (the window, the keys, the drawing, the song) is real. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static volatile sig_atomic_t hold_wanted;
static int started, holding;
static uint64_t rate = 1;
static uint64_t first_read, held_for;

static void let_go(int sig) { (void)sig; hold_wanted = 0; }

__attribute__((constructor)) static void start(void)
{
    const char* clock = getenv("ELKA_CLOCK");
    hold_wanted = clock && strcmp(clock, "held") == 0;
    const char* asked = getenv("ELKA_CLOCK_RATE");
    long n = asked ? strtol(asked, NULL, 10) : 1;
    rate = n >= 1 && n <= 100 ? (uint64_t)n : 1;
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_flags = SA_RESTART;
    action.sa_handler = let_go;
    sigaction(SIGUSR1, &action, NULL);
}

static void log_change(const char* what, uint64_t counted)
{
    const char* path = getenv("ELKA_CLOCK_LOG");
    uint64_t (*frequency)(void) = (uint64_t(*)(void))dlsym(RTLD_NEXT, "SDL_GetPerformanceFrequency");
    if (!path || !frequency)
        return;
    FILE* log = fopen(path, "a");
    if (!log)
        return;
    fprintf(log, "%s %.3f\n", what, (double)counted / (double)frequency());
    fclose(log);
}

uint64_t SDL_GetPerformanceCounter(void)
{
    static uint64_t (*real)(void);
    if (!real)
        real = (uint64_t(*)(void))dlsym(RTLD_NEXT, "SDL_GetPerformanceCounter");
    uint64_t now = real();
    if (!started) {
        started = 1;
        first_read = now;
        holding = hold_wanted;
        if (holding)
            log_change("held", 0);
    } else if (holding && !hold_wanted) {
        holding = 0;
        held_for = now - first_read;
        log_change("going", 0);
    }
    // Held, the counter stands at its first reading; let go, it runs on
    // from there, less the time it stood, at its rate.
    return holding ? first_read : first_read + (now - first_read - held_for) * rate;
}
