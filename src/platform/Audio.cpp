// Sound effects and music through SDL2_mixer, or silence.
#include "Audio.h"

#include "Errors.h"
#include "FileBytes.h"
#include "WaveFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace Audio {
namespace {

constexpr const char* GeneralMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int EffectChannel = 0;
// SDL_mixer hands the music volume to FluidSynth as its gain, full volume
// (128) meaning 1.2: six times FluidSynth's own default, enough to clip the
// loudest pieces. 47 (a gain of 0.44) keeps every piece some 9 dB below full
// scale and the effects at least 6 dB over the music's loudest moments, as
// tools/mixcheck measures them.
constexpr int MusicVolume = 47;

struct TWave {
    std::string path;
    Mix_Chunk* chunk;  // null when the file could not be loaded: silence
};

TBackend backendInUse = TBackend::Silent;
bool deviceOpen = false;
std::vector<TWave> waves;
Mix_Music* music = nullptr;
// A piece loaded ahead, so that starting it later needs no loading.
struct TPreparedMusic {
    std::string path;
    Mix_Music* music = nullptr;
} prepared;
bool logging = false;
std::vector<TEvent> events;

void Warn(const std::string& what, const std::string& why)
{
    std::fprintf(stderr, "korvalen: %s (%s); playing on without it\n", what.c_str(), why.c_str());
}

void Record(TEventKind kind, std::string_view name)
{
    if (!logging) return;
    TEvent event{kind};
    if (name.size() > event.path.size()) throw std::length_error("sound log: path too long");
    name.copy(event.path.data(), name.size());
    event.length = name.size();
    events.push_back(event);
}

const TWave* FindWave(std::string_view path)
{
    for (const TWave& w : waves)
        if (w.path == path) return &w;
    return nullptr;
}

// Sound libraries probing for a device print their own complaints on stderr
// (ALSA prints a dozen lines when there is no card); the player gets our one
// line instead.
class TQuietStderr {
public:
    TQuietStderr() : saved_(dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~TQuietStderr()
    {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    TQuietStderr(const TQuietStderr&) = delete;
    TQuietStderr& operator=(const TQuietStderr&) = delete;

private:
    int saved_;
};

bool TryOpenDevice(std::string& why)
{
    TQuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return false;
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        why = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

bool OpenDevice()
{
    std::string why;
    if (!TryOpenDevice(why)) {
        Warn("no audio device", why);
        return false;
    }
    Mix_AllocateChannels(1);
    return true;
}

void FreeMusic()
{
    if (!music) return;
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    music = nullptr;
}

void FreePrepared()
{
    if (prepared.music) Mix_FreeMusic(prepared.music);
    prepared = {};
}

// The piece, taken from what was prepared when it is that one.
Mix_Music* LoadMusic(const std::string& path)
{
    if (!prepared.music || prepared.path != path) return Mix_LoadMUS(path.c_str());
    Mix_Music* taken = prepared.music;
    prepared = {};
    return taken;
}

// The sound file's bytes, checked; empty after one line on stderr when it
// cannot be played.
std::vector<unsigned char> ReadWave(const std::string& path)
{
    std::string why;
    try {
        std::vector<unsigned char> bytes = Platform::ReadFileBytes(path, MaxWaveFileBytes);
        if (CheckWaveBytes(bytes, why)) return bytes;
    } catch (const ELoadError& e) {
        why = e.Why();
    }
    Warn("cannot load the sound \"" + path + "\"", why);
    return {};
}

// The mixer's copy of checked bytes. SDL's words would not name the file.
Mix_Chunk* DecodeWave(const std::string& path, const std::vector<unsigned char>& bytes)
{
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
    if (!chunk) Warn("cannot load the sound \"" + path + "\"", "the mixer cannot decode it");
    return chunk;
}

}  // namespace

void Open(TBackend backend)
{
    backendInUse = backend;
    waves.reserve(32);
    deviceOpen = backend == TBackend::Device && OpenDevice();
}

void Close()
{
    if (deviceOpen) {
        FreeMusic();
        FreePrepared();
        Mix_HaltChannel(-1);
        for (TWave& w : waves)
            if (w.chunk) Mix_FreeChunk(w.chunk);
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    waves.clear();
    deviceOpen = false;
}

bool LoadWave(std::string_view path)
{
    if (const TWave* loaded = FindWave(path)) return loaded->chunk != nullptr;
    const std::string file(path);
    Mix_Chunk* chunk = nullptr;
    // Silent output stands in for a device, so it checks the files as one
    // would. With no device the one line that said so is enough.
    if (deviceOpen || backendInUse == TBackend::Silent) {
        const std::vector<unsigned char> bytes = ReadWave(file);
        if (!bytes.empty() && deviceOpen) chunk = DecodeWave(file, bytes);
    }
    waves.push_back({file, chunk});
    return chunk != nullptr;
}

void PlayWave(std::string_view path)
{
    Record(TEventKind::Wave, path);
    const TWave* w = FindWave(path);
    if (deviceOpen && w && w->chunk) Mix_PlayChannel(EffectChannel, w->chunk, 0);
}

void StopWave()
{
    Record(TEventKind::WaveStop, {});
    if (deviceOpen) Mix_HaltChannel(-1);
}

bool InitMusic()
{
    if (!deviceOpen) return false;
    if ((Mix_Init(MIX_INIT_MID) & MIX_INIT_MID) == 0) {
        Warn("no MIDI synthesizer", Mix_GetError());
        return false;
    }
    if (!std::getenv("SDL_SOUNDFONTS")) Mix_SetSoundFonts(GeneralMidiSoundFont);
    Mix_VolumeMusic(MusicVolume);
    return true;
}

void FreeMusicPlayer()
{
    StopMusic();
    if (!deviceOpen) return;
    FreePrepared();
    Mix_Quit();
}

bool PrepareMusic(const std::string& path)
{
    if (!deviceOpen) return true;
    FreePrepared();
    prepared.music = Mix_LoadMUS(path.c_str());
    if (!prepared.music) {
        Warn("cannot load the music \"" + path + "\"", Mix_GetError());
        return false;
    }
    prepared.path = path;
    return true;
}

bool PlayMusic(const std::string& path)
{
    Record(TEventKind::Music, path);
    if (!deviceOpen) return true;
    FreeMusic();
    music = LoadMusic(path);
    if (!music) {
        Warn("cannot load the music \"" + path + "\"", "the synthesizer cannot read it");
        return false;
    }
    if (Mix_PlayMusic(music, -1) != 0) {
        Warn("cannot play the music \"" + path + "\"", "the synthesizer cannot play it");
        FreeMusic();
        return false;
    }
    return true;
}

void StopMusic()
{
    Record(TEventKind::MusicStop, {});
    if (deviceOpen) FreeMusic();
}

void StartLog()
{
    logging = true;
    events.clear();
    events.reserve(4096);
}

std::span<const TEvent> Log() { return events; }

}  // namespace Audio
