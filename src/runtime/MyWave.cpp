#include "MyWave.h"

#include "platform/Audio.h"

std::int32_t WaveHold = 0;
std::string CurrentSound;

void LoadWaves()
{
    // Room for the longest name, so that remembering a sound allocates nothing.
    for (std::string_view path : Sound::All) {
        Audio::LoadWave(path);
        CurrentSound.reserve(path.size());
    }
}

void PlayWave(std::string_view path)
{
    if (WaveHold > 0) return;
    CurrentSound.assign(path);
    Audio::PlayWave(path);
}

void ForcePlayWave(std::string_view path)
{
    WaveHold = 0;
    PlayWave(path);
}

void PlayWaveHold(std::string_view path, std::int32_t ticks)
{
    if (WaveHold > 0) return;
    PlayWave(path);
    WaveHold = ticks;
}

void ForcePlayWaveHold(std::string_view path, std::int32_t ticks)
{
    WaveHold = 0;
    PlayWave(path);
    WaveHold = ticks;
}

void StopWave()
{
    // A held sound may still be playing when the program ends.
    if (WaveHold > 0) return;
    Audio::StopWave();
    CurrentSound.clear();
}

void ResetWaveHold() { WaveHold = 0; }

void TickWaveHold()
{
    if (WaveHold > 0) --WaveHold;
}
