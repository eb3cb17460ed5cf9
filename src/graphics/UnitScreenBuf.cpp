#include "UnitScreenBuf.h"

#include "platform/Application.h"

#include <charconv>
#include <stdexcept>

std::unique_ptr<TScreenBufMain> ScreenBufMain;
std::unique_ptr<TScreenBufSide> ScreenBufSide;

namespace {

constexpr const char* PanelFace = "ＭＳ Ｐゴシック";
constexpr const char* SideBackPath = "dat/sideback.bmp";
constexpr std::int32_t Margin = 128;

constexpr std::int32_t GaugeWidth = 100;
constexpr std::int32_t GaugeHeight = 20;
constexpr std::int32_t FullEnergy = 2000;
constexpr std::int32_t MaxBlinkPhases = 9;
constexpr std::int32_t MaxIcons = 5;
constexpr std::int32_t IconSpacing = 32;
// Both windows sit at work x 128 and the panel is shown 256 pixels further
// right, so a panel x is the playfield x minus 256.
constexpr std::int32_t PanelOffset = 256;

TColor MaxColor(std::int32_t phase)
{
    if (phase < 3) return RGB(255, 64, 64);
    if (phase < 6) return RGB(64, 64, 255);
    return RGB(255, 255, 64);
}

}  // namespace

TShortText& TShortText::Append(std::string_view text)
{
    if (text.size() > chars_.size() - length_) throw std::length_error("short text too long");
    text.copy(chars_.data() + length_, text.size());
    length_ += text.size();
    return *this;
}

TShortText& TShortText::AppendNumber(std::int32_t n)
{
    const auto [end, error] = std::to_chars(chars_.data() + length_, chars_.data() + chars_.size(), n);
    if (error != std::errc{}) throw std::length_error("short text too long");
    length_ = std::size_t(end - chars_.data());
    return *this;
}

TShortText StageName(std::int32_t n)
{
    TShortText text;
    if (n >= 10) text.Append("Another");
    else text.Append("Stage").AppendNumber(n);
    return text;
}

TShortText ZeroPad5(std::int32_t n)
{
    TShortText digits;
    digits.AppendNumber(n);
    TShortText text;
    for (std::size_t i = digits.View().size(); i < 5; ++i) text.Append("0");
    text.Append(digits.View());
    return text;
}

void TScreenBuf::InitBuf(std::int32_t w, std::int32_t h, TPixel pixel)
{
    ScreenX = 0;
    Width = w;
    Height = h;
    OriginX = Margin;
    OriginY = Margin;
    Right = Margin + w;
    Bottom = Margin + h;
    ResizeBitmap(Work, WorkRows, w + 2 * Margin, h + 2 * Margin);
    FillBitmap(Back, BackRows, w, h, pixel);
    ClearBuf();
}

void TScreenBuf::ClearBuf() { Work.Canvas().BitBlt(OriginX, OriginY, Width, Height, Back, 0, 0, SRCCOPY); }

void TScreenBuf::Present()
{
    Application::MainForm()->Canvas().BitBlt(ScreenX, 0, Width, Height, Work, OriginX, OriginY, SRCCOPY);
}

void TScreenBuf::PutText(std::int32_t x, std::int32_t y, std::string_view text) { Work.Canvas().TextOut(x, y, text); }

void TScreenBuf::SetFont(TColor color, std::int32_t size)
{
    TCanvas& canvas = Work.Canvas();
    canvas.SetFontColor(color);
    canvas.SetFontStyle(TFontStyle::Bold);
    canvas.SetFontSize(size);
    canvas.SetFontName(PanelFace);
    canvas.SetBrushClear();
}

void TScreenBuf::ResetColors()
{
    Work.Canvas().SetFontColor(clBlack);
    Work.Canvas().SetBrushColor(clWhite);
}

void TScreenBuf::SetBrushRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { Work.Canvas().SetBrushColor(RGB(r, g, b)); }

void TScreenBuf::SetBrushWhite() { Work.Canvas().SetBrushColor(clWhite); }

void TScreenBufSide::InitSide(std::int32_t w, std::int32_t h, const TPanelPlayer& player, TPixel pixel)
{
    InitBuf(w, h, pixel);
    ScreenX = PanelOffset;
    LoadPicture(SideBackPath, Back);
    Player = player;
    Lives.LoadBmp("mine", 12, Work, 1);
    LivesAnim.Init(1);
    MaxBlink = 0;
    ResizeBitmap(Gauge, GaugeRows, GaugeWidth, GaugeHeight);
    FillBitmap(GaugeEmpty, GaugeEmptyRows, GaugeWidth, GaugeHeight, MakeTriple(0, 0, 0));
    for (std::int32_t x = 0; x < GaugeWidth; ++x) {
        const auto blue = std::uint8_t(x * 255 / (GaugeWidth - 1));
        const TPixel column = MakeTriple(std::uint8_t(255 - blue), 128, blue);
        for (const std::span<TPixel>& row : GaugeRows) row[std::size_t(x)] = column;
    }
}

void TScreenBufSide::DrawStatus()
{
    DrawGauge();
    DrawLives();
}

void TScreenBufSide::DrawGauge()
{
    const std::int32_t energy = *Player.energy;
    const std::int32_t gw = GaugeWidth * energy / FullEnergy;
    Work.Canvas().BitBlt(OriginX + 16, OriginY + 320, gw, GaugeHeight, Gauge, 0, 0, SRCCOPY);
    Work.Canvas().BitBlt(OriginX + 16 + gw, OriginY + 320, GaugeWidth - gw, GaugeHeight, GaugeEmpty, 0, 0, SRCCOPY);
    if (energy != FullEnergy) return;
    MaxBlink = (MaxBlink + 1) % MaxBlinkPhases;
    SetFont(MaxColor(MaxBlink), 10);
    PutText(OriginX + 122, OriginY + 328, "MAX");
    ResetColors();
}

void TScreenBufSide::DrawLives()
{
    const std::int32_t f = LivesAnim.Next(Lives.frameCount);
    const std::int32_t px = *Player.x - PanelOffset;
    const std::int32_t iconY = OriginY + 384;
    const bool entering = *Player.entering;
    const std::int32_t lives = *Player.lives;
    // An entering ship leaves from the first icon's place; the rest follow it.
    const std::int32_t baseX = entering ? px + IconSpacing : OriginX + 16;
    if (lives > MaxIcons) {
        Lives.DrawAt(f, OriginX + 16, iconY);
        SetFont(RGB(192, 192, 192), 20);
        PutText(OriginX + 40, OriginY + 374, TShortText().Append("x").AppendNumber(lives).View());
        ResetColors();
    } else {
        for (std::int32_t i = 0; i < lives; ++i) Lives.DrawAt(f, baseX + IconSpacing * i, iconY);
    }
    if (entering) Lives.DrawAt(f, px, *Player.y);
}

void TScreenBufSide::DrawStageName(std::int32_t n)
{
    SetFont(clWhite, 20);
    PutText(OriginX + 60, OriginY, StageName(n).View());
    ResetColors();
}

void TScreenBufSide::DrawScore(std::int32_t score)
{
    SetFont(clWhite, 14);
    PutText(OriginX + 87, OriginY + 140, "score");
    SetFont(clWhite, 20);
    PutText(OriginX + 75, OriginY + 155, ZeroPad5(score).View());
    ResetColors();
}

void TScreenBufMain::InitMain(std::int32_t w, std::int32_t h, TPixel pixel)
{
    InitBuf(w, h, pixel);
    FlashPending = false;
}

void RequestFlash() { ScreenBufMain->FlashPending = true; }
