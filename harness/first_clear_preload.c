/* Preloaded into the demo by bench/first_frame.sh: the demo's first glClear
 * is the start of its first frame. At that call this writes the wall-clock
 * microseconds since ELKA_LAUNCH_US (taken just before the demo was
 * executed, so dynamic loading and Mesa's own start count) to the file
 * ELKA_FIRST_FRAME_FILE, and ends the process: the measurement is over. */
#include <stdio.h>
#include <stdlib.h>
#include <sys/time.h>
#include <unistd.h>

typedef unsigned int GLbitfield;

void glClear(GLbitfield mask)
{
    (void)mask;
    struct timeval now;
    gettimeofday(&now, NULL);
    const char* launch = getenv("ELKA_LAUNCH_US");
    const char* path = getenv("ELKA_FIRST_FRAME_FILE");
    if (launch && path) {
        long long us = (long long)now.tv_sec * 1000000 + now.tv_usec - atoll(launch);
        FILE* out = fopen(path, "w");
        if (out) {
            fprintf(out, "%lld\n", us);
            fclose(out);
        }
    }
    _exit(0);
}
