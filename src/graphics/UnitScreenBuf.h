// The off-screen buffers the game window is made of: the playfield (256 × 416
// at the left) and the side panel (160 × 416 at the right). Each works on a
// bitmap with a 128-pixel margin on every side, so that what lies partly or
// wholly outside the window can be drawn without clipping; only the window is
// ever shown.
#pragma once

#include "MyImage.h"
#include "UnitTCSC.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

// A short text made without allocating: the panel's figures and names.
class TShortText {
public:
    TShortText& Append(std::string_view text);
    TShortText& AppendNumber(std::int32_t n);
    std::string_view View() const { return {chars_.data(), length_}; }

private:
    std::array<char, 32> chars_{};
    std::size_t length_ = 0;
};

class TScreenBuf {
public:
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t OriginX = 0;  // the window's place in the work bitmap
    std::int32_t OriginY = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    TBitmap Work;  // (Width + 256) × (Height + 256)
    TRowTable WorkRows;
    TBitmap Back;  // the background the window is restored from
    TRowTable BackRows;
    std::int32_t ScreenX = 0;  // where the window is shown on the client area

    virtual ~TScreenBuf() = default;

    void InitBuf(std::int32_t w, std::int32_t h, TPixel pixel);
    // Restores the window from the background; the margins keep what they hold.
    void ClearBuf();
    // Copies the window onto the main form's client area.
    void Present();
    void PutText(std::int32_t x, std::int32_t y, std::string_view text);
    // Bold "ＭＳ Ｐゴシック" in the colour and size, without a background box.
    void SetFont(TColor color, std::int32_t size);
    void ResetColors();
    void SetBrushRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    void SetBrushWhite();
};

// The player's fields the side panel shows: pointers into the player, read
// as they change (not owned).
struct TPanelPlayer {
    const std::int32_t* x = nullptr;
    const std::int32_t* y = nullptr;
    const std::int32_t* energy = nullptr;
    const std::int32_t* lives = nullptr;
    const bool* entering = nullptr;
};

// The side panel: stage name, score, energy gauge and the ships in reserve.
class TScreenBufSide final : public TScreenBuf {
public:
    TBitmap Gauge;  // 100 × 20, orange to azure
    TRowTable GaugeRows;
    TBitmap GaugeEmpty;  // 100 × 20 black
    TRowTable GaugeEmptyRows;
    TPanelPlayer Player;
    TCSC Lives;  // the panel's own copy of the player's ship
    TShellCount LivesAnim;
    std::int32_t MaxBlink = 0;  // colour phase 0 … 8 of "MAX"

    void InitSide(std::int32_t w, std::int32_t h, const TPanelPlayer& player, TPixel pixel);
    void DrawStatus();
    void DrawGauge();
    void DrawLives();
    void DrawStageName(std::int32_t n);
    void DrawScore(std::int32_t score);
    // Every glyph the panel writes, rendered once at start-up.
    void PrepareText();
};

// One star of the playfield's falling star field: its head, speed and colours.
struct TStar {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t speed = 0;  // 1 … 6 pixels per frame
    TPixel color;
    TPixel dim;  // each channel of color halved
};

constexpr std::size_t StarCount = 64;

// The playfield: its moving background (star field, the Another stage's dark
// rectangles, a one-frame white flash), the player's weapon effects and the
// centred messages.
class TScreenBufMain final : public TScreenBuf {
public:
    std::array<TStar, StarCount> Stars{};
    // The next background update fills the whole work bitmap white instead.
    bool FlashPending = false;

    void InitMain(std::int32_t w, std::int32_t h, TPixel pixel);
    // The star field of a stage: its colours by stage number.
    void InitStars(std::int32_t kind);
    void RespawnStar(TStar& star, std::int32_t y, std::int32_t kind);
    void UpdateBackground(std::int32_t stage);
    void FlashFill();
    void MoveStars(std::int32_t kind);
    void DrawDarkRects();
    void DrawBarrier(std::int32_t x, std::int32_t y);
    // The beam from the top of the window down to (x, y), 2 × w wide.
    void DrawLaser(std::int32_t x, std::int32_t y, std::int32_t w);
    // The bomb's blast of radius r, darkening toward blue as it shrinks.
    void DrawBlast(std::int32_t x, std::int32_t y, std::int32_t r);
    // Black text on a white copy that jitters behind it.
    void DrawCenterText(std::string_view text);
    // The centred messages' glyphs, rendered once at start-up.
    void PrepareText();
};

// "Another" from stage 10 on, otherwise "Stage" and the number.
TShortText StageName(std::int32_t n);
// The number with "0" in front up to five characters.
TShortText ZeroPad5(std::int32_t n);

// The two buffers, created at start-up and freed at shut-down.
extern std::unique_ptr<TScreenBufMain> ScreenBufMain;
extern std::unique_ptr<TScreenBufSide> ScreenBufSide;

// Starts the next playfield frame white.
void RequestFlash();
