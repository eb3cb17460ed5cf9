// Sprite sets: the frames of one sprite sheet, optionally enlarged, each with
// its mask; the animation counter that picks a frame per tick; and the sprite
// store of 32 sets through which characters find a set by name.
#pragma once

#include "UnitTCharaShell.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// Which frame to show on each tick.
class TShellCount {
public:
    std::int32_t count = 0;
    std::int32_t ticksPerFrame = 0;

    void Init(std::int32_t n);
    std::int32_t Current() const;
    // The current frame; then the counter advances, wrapping after the last frame.
    std::int32_t Next(std::int32_t frames);
};

constexpr std::int32_t MaxShells = 16;

// One sprite set.
class TCSC {
public:
    std::string name;  // empty until first loaded
    std::int32_t frameCount = 0;
    std::array<std::unique_ptr<TCharaShell>, MaxShells> shells;
    TBitmap* targetBitmap = nullptr;  // not owned
    std::int32_t width = 0;           // frame size after enlargement
    std::int32_t height = 0;

    TCSC();
    ~TCSC();
    TCSC(const TCSC&) = delete;
    TCSC& operator=(const TCSC&) = delete;

    void ClearShells();
    // Loads "dat/<name>.bmp" cut into frames side by side (frames 0: square
    // frames), each sheet pixel enlarged to scale × scale, drawing onto target.
    // Throws ELoadError naming the file; the set is then left without frames.
    void LoadBmp(std::string_view name, std::int32_t frames, TBitmap& target, std::int32_t scale);
    // The same from the bytes of the sheet's file at path, keeping the set's name.
    void LoadSheetBytes(const std::string& path, std::span<const unsigned char> bytes, std::int32_t frames,
                        TBitmap& target, std::int32_t scale);
    void AddShell(const TBitmap& frame);
    void DrawAt(std::int32_t f, std::int32_t x, std::int32_t y);
    const TCharaShell& GetShell(std::int32_t f) const;
};

constexpr std::int32_t CSCTableSize = 32;
// The one entry for an enlarged set is entry FixedCSCCount.
extern std::array<std::unique_ptr<TCSC>, CSCTableSize> CSCTable;
// Entries 0 … CSCCount − 1 are searched; the next set at normal size goes into entry CSCCount.
extern std::int32_t CSCCount;
// Entries 0 … FixedCSCCount − 1 hold the sets loaded at start-up.
extern std::int32_t FixedCSCCount;

// The set of that name, loaded into the store first when it is not there: a
// name ending in "x2" or "x3" is the sheet without it, enlarged. A load during
// a stage, or with the store nearly full, shows a warning first; a load with
// every entry in use fails with an error naming the set.
TCSC& Name2CSC(std::string_view name);
// Forgets the sets the last stage asked for (they are loaded over in place).
void ResetCSC();
