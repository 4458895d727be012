// The sound layer's device and channels on waveOut: the default output in
// 16-bit stereo, fed by a thread of its own that mixes the playing
// channels into a few buffers and queues each again as waveOut hands it
// back. waveOut says so through an event rather than a callback, as its
// functions may not be called from inside its callback. Each channel keeps
// its own place in its sample, which moves on with the wall clock
// (song_clock.h): what a late mixer missed is skipped.
//
// Plain data only, as in the rules: the music player's destructor calls in
// here during the exit processing.
#include "platform/win32/win32.h"

#include <mmsystem.h>

#include "platform/song_clock.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_sound.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int buffer_count = Win32Sound::buffer_count;
constexpr int buffer_frames = Win32Sound::buffer_frames;
// Buffers a song's lateness is judged over (song_clock.h).
constexpr int looks = 2;
// How long the mixer waits for a buffer before it looks whether it should end.
constexpr DWORD wake_ms = 100;
// How long closing waits for the mixer to end before it ends it.
constexpr DWORD join_ms = 3000;

// How long what is mixed now waits before it is heard: what waveOut holds
// ahead of it, handed to it and not yet played by its own count, or by
// the buffers it has not handed back, whichever is more. (Wine's waveOut
// counts a buffer played once its own audio client took it, and hands it
// back then: beyond that it says nothing of the server's latency.)
double lead_seconds()
{
    Win32Sound& device = win32_backend.sound;
    LONG ahead = 0;
    for (const WAVEHDR& header : device.headers)
        if ((header.dwFlags & WHDR_INQUEUE) && !(header.dwFlags & WHDR_DONE))
            ahead += buffer_frames;
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device.out, &time, sizeof time) == MMSYSERR_NOERROR
        && (time.wType == TIME_SAMPLES || time.wType == TIME_BYTES)) {
        const DWORD played = time.wType == TIME_SAMPLES ? time.u.sample : time.u.cb / 4;
        const auto not_played = static_cast<LONG>(device.written - played);
        ahead = not_played > ahead ? not_played : ahead;
    }
    return static_cast<double>(ahead) / device.rate;
}

// The next buffer's worth of every playing channel, added and clipped.
void mix(std::int16_t* out)
{
    Win32Sound& device = win32_backend.sound;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const double lead = lead_seconds();
    std::memset(device.sum, 0, sizeof device.sum);
    EnterCriticalSection(&device.lock);
    for (int c = 0; c < device.channel_count; ++c) {
        SoundChannel& channel = device.channels[c];
        if (!channel.sample)
            continue;
        const auto length = static_cast<std::int64_t>(channel.sample->frames);
        // waveOut hands buffers back as it likes, in bursts under Wine:
        // judged over two, so that a burst's late first hand-back alone
        // moves nothing.
        const std::int64_t step = song_clock_step(
            &channel.clock, song_clock_seconds(channel.played_at, now.QuadPart, device.frequency), lead, device.rate,
            looks);
        // An early channel waits: silence first, then its next frames.
        const std::int64_t wait = step < 0 ? (-step < buffer_frames ? -step : buffer_frames) : 0;
        const std::int64_t at = channel.clock.position < length ? channel.clock.position : length;
        const std::int64_t n = length - at < buffer_frames - wait ? length - at : buffer_frames - wait;
        const std::int16_t* from = channel.sample->data + at * 2;
        int* to = device.sum + wait * 2;
        for (std::int64_t i = 0; i < n * 2; ++i)
            to[i] += from[i];
        channel.clock.position = at;
        song_clock_mixed(&channel.clock, n);
        if (channel.clock.position >= length)
            channel.sample = nullptr; // played to its end: free for the next sound
    }
    LeaveCriticalSection(&device.lock);
    for (int i = 0; i < buffer_frames * 2; ++i) {
        const int v = device.sum[i];
        out[i] = static_cast<std::int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    }
}

// Mixes buffer b and hands it to waveOut.
void feed(int b)
{
    Win32Sound& device = win32_backend.sound;
    mix(device.pcm[b]);
    waveOutWrite(device.out, &device.headers[b], sizeof(WAVEHDR));
    device.written += buffer_frames;
}

DWORD WINAPI feed_device(void*)
{
    Win32Sound& device = win32_backend.sound;
    for (int b = 0; b < buffer_count; ++b)
        feed(b);
    while (!InterlockedCompareExchange(&device.closing, 0, 0)) {
        WaitForSingleObject(device.returned, wake_ms);
        for (int b = 0; b < buffer_count && !InterlockedCompareExchange(&device.closing, 0, 0); ++b) {
            if (device.headers[b].dwFlags & WHDR_DONE)
                feed(b);
        }
    }
    return 0;
}

// Back to nothing open, from whatever part of opening got done.
void release_device()
{
    Win32Sound& device = win32_backend.sound;
    if (device.out) {
        waveOutReset(device.out); // every queued buffer comes back
        for (WAVEHDR& header : device.headers)
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(device.out, &header, sizeof(WAVEHDR));
        waveOutClose(device.out);
    }
    if (device.returned)
        CloseHandle(device.returned);
    if (device.channels)
        DeleteCriticalSection(&device.lock);
    std::free(device.channels);
    std::memset(&device, 0, sizeof device);
}

} // namespace

int win32_sound_device_rate() { return win32_backend.sound.rate; }

int backend_sound_open(int rate, int channels)
{
    Win32Sound& device = win32_backend.sound;
    std::memset(&device, 0, sizeof device);
    device.returned = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!device.returned)
        return 0;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (waveOutOpen(&device.out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(device.returned), 0,
                    CALLBACK_EVENT)
        != MMSYSERR_NOERROR) {
        device.out = nullptr;
        release_device();
        return 0;
    }
    for (int b = 0; b < buffer_count; ++b) {
        WAVEHDR& header = device.headers[b];
        header.lpData = reinterpret_cast<LPSTR>(device.pcm[b]);
        header.dwBufferLength = sizeof device.pcm[b];
        if (waveOutPrepareHeader(device.out, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            release_device();
            return 0;
        }
    }
    device.channels = static_cast<SoundChannel*>(std::calloc(static_cast<std::size_t>(channels), sizeof(SoundChannel)));
    if (!device.channels) {
        release_device();
        return 0;
    }
    InitializeCriticalSection(&device.lock);
    device.channel_count = channels;
    device.rate = rate;
    LARGE_INTEGER frequency;
    device.frequency = QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
    device.mixer = CreateThread(nullptr, 0, feed_device, nullptr, 0, nullptr);
    if (!device.mixer) {
        release_device();
        return 0;
    }
    SetThreadPriority(device.mixer, THREAD_PRIORITY_ABOVE_NORMAL);
    return channels;
}

int backend_sound_play(int channel, BackendSample* sample, int, double from_seconds)
{
    Win32Sound& device = win32_backend.sound;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    now.QuadPart -= song_clock_counts(from_seconds, device.frequency);
    EnterCriticalSection(&device.lock);
    channel = sound_channel_to_play(device.channels, device.channel_count, channel);
    if (channel >= 0)
        device.channels[channel] = SoundChannel{sample, SongClock{}, now.QuadPart};
    LeaveCriticalSection(&device.lock);
    return channel;
}

void backend_sample_free(BackendSample* sample)
{
    Win32Sound& device = win32_backend.sound;
    if (!sample) {
        if (device.mixer) {
            InterlockedExchange(&device.closing, 1);
            SetEvent(device.returned);
            // The mixer ends within one wake; should it not (a driver that
            // blocks in waveOutWrite), closing does not wait on it for ever.
            if (WaitForSingleObject(device.mixer, join_ms) != WAIT_OBJECT_0)
                TerminateThread(device.mixer, 1);
            CloseHandle(device.mixer);
        }
        release_device();
        return;
    }
    if (device.channels) {
        // Not mixed again once freed, whatever channel still had it.
        EnterCriticalSection(&device.lock);
        for (int c = 0; c < device.channel_count; ++c)
            if (device.channels[c].sample == sample)
                device.channels[c].sample = nullptr;
        LeaveCriticalSection(&device.lock);
    }
    std::free(sample->data);
    std::free(sample);
}

void backend_sound_error(int) { }
