#include "UnitTCSC.h"

#include "UnitScreenBuf.h"
#include "platform/Application.h"
#include "platform/Errors.h"
#include "platform/FileBytes.h"
#include "runtime/MyString.h"
#include "runtime/UnitMain.h"

#include <algorithm>
#include <stdexcept>

std::array<std::unique_ptr<TCSC>, CSCTableSize> CSCTable;
std::int32_t CSCCount = CSCTableSize;
std::int32_t FixedCSCCount = 0;

namespace {

std::string SheetPath(std::string_view name) { return "dat/" + std::string(name) + ".bmp"; }

std::string SetName(std::string_view base, std::int32_t scale)
{
    if (scale == 1) return std::string(base);
    return std::string(base) + "x" + std::to_string(scale);
}

// The frame count of a sheet, checked: 1 … 16 frames at least one pixel wide.
std::int32_t CheckedFrameCount(const std::string& path, const TBitmap& sheet, std::int32_t frames)
{
    if (frames == 0) frames = sheet.Width() / sheet.Height();
    if (frames < 1 || frames > MaxShells)
        throw ELoadError(path, "a sprite sheet holds 1 to 16 frames side by side, not " + std::to_string(frames));
    if (sheet.Width() / frames < 1) throw ELoadError(path, "the sheet is narrower than its frames");
    return frames;
}

// Enlarged frames are bitmaps too, held to the same limit as the sheet.
void CheckEnlargedSize(const std::string& path, std::int32_t fw, std::int32_t fh, std::int32_t scale)
{
    if (scale < 1 || std::int64_t(std::max(fw, fh)) * scale > MaxBitmapSide)
        throw ELoadError(path, "its frames enlarged " + std::to_string(scale) + " times would be larger than " +
                                   std::to_string(MaxBitmapSide) + " pixels");
}

void WarnOfLoad() { AskUser("error in Name2CSC", "UnitTCSC", Application::MB_OK); }

struct TSetRequest {
    std::string base;
    std::int32_t scale;
};

// "x3" is tested before "x2".
TSetRequest ParseSetName(std::string_view name)
{
    const std::int32_t length = std::int32_t(name.size());
    if (RightPart(name, 2) == "x3") return {LeftPart(name, length - 2), 3};
    if (RightPart(name, 2) == "x2") return {LeftPart(name, length - 2), 2};
    return {std::string(name), 1};
}

TCSC* FindSet(std::string_view name)
{
    for (std::int32_t i = 0; i < CSCCount; ++i)
        if (CSCTable[std::size_t(i)]->name == name) return CSCTable[std::size_t(i)].get();
    return nullptr;
}

}  // namespace

void TShellCount::Init(std::int32_t n)
{
    count = 0;
    ticksPerFrame = n;
}

std::int32_t TShellCount::Current() const { return count / ticksPerFrame; }

std::int32_t TShellCount::Next(std::int32_t frames)
{
    const std::int32_t shown = Current();
    count = (count + 1) % (frames * ticksPerFrame);
    return shown;
}

TCSC::TCSC() { ClearShells(); }

TCSC::~TCSC() { ClearShells(); }

void TCSC::ClearShells()
{
    for (std::int32_t i = 0; i < frameCount; ++i) shells[std::size_t(i)].reset();
    frameCount = 0;
    width = 0;
    height = 0;
}

void TCSC::LoadBmp(std::string_view sheetName, std::int32_t frames, TBitmap& target, std::int32_t scale)
{
    // A set that failed to load keeps no name, so it is never found by it.
    ClearShells();
    name.clear();
    const std::string path = SheetPath(sheetName);
    LoadSheetBytes(path, Platform::ReadFileBytes(path, Platform::MaxPictureFileBytes), frames, target, scale);
    name = SetName(sheetName, scale);
}

void TCSC::LoadSheetBytes(const std::string& path, std::span<const unsigned char> bytes, std::int32_t frames,
                          TBitmap& target, std::int32_t scale)
{
    ClearShells();
    try {
        TBitmap sheet, frame;
        sheet.LoadFromBytes(path, bytes);
        frames = CheckedFrameCount(path, sheet, frames);
        const std::int32_t fw = sheet.Width() / frames, fh = sheet.Height();
        CheckEnlargedSize(path, fw, fh, scale);
        width = fw * scale;
        height = fh * scale;
        frame.SetSize(width, height);
        for (std::int32_t i = 0; i < frames; ++i) {
            frame.Canvas().StretchCopy({0, 0, width, height}, sheet, {i * fw, 0, (i + 1) * fw, fh});
            AddShell(frame);
        }
    } catch (...) {
        // A failed set keeps no frames, so it is never drawn or hit-tested as if it had them.
        ClearShells();
        throw;
    }
    targetBitmap = &target;
}

void TCSC::AddShell(const TBitmap& frame)
{
    if (frameCount >= MaxShells) throw std::out_of_range("a sprite set holds at most 16 frames");
    auto shell = std::make_unique<TCharaShell>();
    shell->SetBitmap(frame);
    shells[std::size_t(frameCount)] = std::move(shell);
    ++frameCount;
}

void TCSC::DrawAt(std::int32_t f, std::int32_t x, std::int32_t y)
{
    if (!targetBitmap) throw std::logic_error("sprite set \"" + name + "\" has nothing to draw onto");
    GetShell(f).DrawAt(*targetBitmap, x, y);
}

const TCharaShell& TCSC::GetShell(std::int32_t f) const
{
    if (f < 0 || f >= frameCount) throw std::out_of_range("frame " + std::to_string(f) + " of sprite set \"" + name + "\"");
    return *shells[std::size_t(f)];
}

TCSC& Name2CSC(std::string_view name)
{
    if (TCSC* found = FindSet(name)) return *found;
    const TSetRequest request = ParseSetName(name);
    if (StageFrame > 0) WarnOfLoad();
    TBitmap& playfield = ScreenBufMain->Work;
    if (request.scale != 1) {
        TCSC& enlarged = *CSCTable[std::size_t(FixedCSCCount)];
        enlarged.LoadBmp(request.base, 0, playfield, request.scale);
        return enlarged;
    }
    if (CSCCount >= CSCTableSize - 1) WarnOfLoad();
    if (CSCCount >= CSCTableSize)
        throw ELoadError(SheetPath(request.base), "the sprite store's 32 entries are all in use");
    TCSC& set = *CSCTable[std::size_t(CSCCount)];
    set.LoadBmp(request.base, 0, playfield, 1);
    ++CSCCount;
    return set;
}

void ResetCSC() { CSCCount = FixedCSCCount + 1; }
