/* Preloaded into the demo by the window tests that must see one moment of
 * the sequence however slow the machine is. It stands between the demo and
 * SDL's performance counter, the clock every frame delta is taken from:
 * while the clock is held the counter stands still, every delta is 0 and the
 * sequence waits where it is, drawing on; let go, it goes on from there.
 *
 *   ELKA_CLOCK=held   the clock starts held (the sequence waits at 0 s)
 *   SIGUSR1           lets the clock go       SIGUSR2   holds it again
 *   ELKA_CLOCK_LOG    file that gets "held T" or "going T" at the first
 *                     read of the counter after each change, T the seconds
 *                     the demo's clock had counted then
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
static int holding;
static int started;
static uint64_t first_read, held_at, held_total;

static void let_go(int sig) { (void)sig; hold_wanted = 0; }
static void hold(int sig) { (void)sig; hold_wanted = 1; }

__attribute__((constructor)) static void start(void)
{
    const char* clock = getenv("ELKA_CLOCK");
    hold_wanted = clock && strcmp(clock, "held") == 0;
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_flags = SA_RESTART;
    action.sa_handler = let_go;
    sigaction(SIGUSR1, &action, NULL);
    action.sa_handler = hold;
    sigaction(SIGUSR2, &action, NULL);
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
        held_at = now;
        holding = hold_wanted;
        if (holding)
            log_change("held", 0);
    } else if (hold_wanted && !holding) {
        holding = 1;
        held_at = now;
        log_change("held", now - held_total - first_read);
    } else if (!hold_wanted && holding) {
        holding = 0;
        held_total += now - held_at;
        log_change("going", now - held_total - first_read);
    }
    return (holding ? held_at : now) - held_total;
}
