// The sound layer: the few calls of a classic sound library that the music
// player makes, written here on SDL2_mixer.
#pragma once

struct FSOUND_SAMPLE;

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int length);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
signed char FSOUND_StopSound(int channel);
void FSOUND_Close();
int FSOUND_GetError();
