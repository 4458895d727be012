// STAND-IN until the sound layer lands.
#include "platform/fsound.h"

float FSOUND_GetVersion() { return 3.33f; }
signed char FSOUND_Init(int, int, unsigned int) { return 1; }
FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char*, unsigned int, int) { return nullptr; }
int FSOUND_PlaySound(int, FSOUND_SAMPLE*) { return -1; }
signed char FSOUND_StopSound(int) { return 1; }
void FSOUND_Close() {}
int FSOUND_GetError() { return 0; }
