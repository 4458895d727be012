// Queries of the sound layer for tests, on every backend: whether it runs
// and the samples it holds; and the version it reports, so that an older
// library can be tried. What the backend's mixer holds is asked in
// host/<backend>/.
#include "platform/host.h"

#include "platform/fsound_internal.h"

void fsound_set_reported_version(float version) { fsound_state.reported_version = version; }

void fsound_restore_version() { fsound_state.reported_version = FSOUND_LAYER_VERSION; }

bool fsound_started() { return fsound_state.started; }

int fsound_sample_count()
{
    int count = 0;
    for (const FSOUND_SAMPLE* s = fsound_state.samples; s; s = s->next)
        ++count;
    return count;
}
