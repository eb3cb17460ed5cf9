#include "UnitScreenBuf.h"

#include "UnitBrrBmp.h"
#include "platform/Application.h"
#include "runtime/MyRandom.h"

#include <algorithm>
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

// The star colours by stage; the Another stage's are black (it shows no stars).
constexpr std::int32_t StarKinds = 11;
constexpr std::int32_t ChangingStars = 7;  // each channel random, the entry's channels as bounds
constexpr std::array<std::array<std::int32_t, 3>, StarKinds> StarColors = {{
    {224, 224, 0}, {0, 112, 224}, {0, 224, 0},     {224, 0, 224},   {224, 0, 0}, {224, 224, 0},
    {0, 224, 112}, {224, 224, 224}, {128, 128, 255}, {64, 64, 64}, {0, 0, 0},
}};
constexpr std::int32_t MaxLaserWidth = 10;
constexpr std::int32_t FullBlast = 250;
constexpr std::int32_t CenterTextX = 208, CenterTextY = 308;

TPixel Halved(TPixel p) { return TPixel{std::uint8_t(p.b / 2), std::uint8_t(p.g / 2), std::uint8_t(p.r / 2)}; }

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

void TScreenBufSide::PrepareText()
{
    constexpr std::string_view Figures = "0123456789x-";
    SetFont(clWhite, 20);
    Work.Canvas().PrepareText(Figures);
    Work.Canvas().PrepareText("StageAnother");
    SetFont(clWhite, 14);
    Work.Canvas().PrepareText("score");
    SetFont(clWhite, 10);
    Work.Canvas().PrepareText("MAX");
    ResetColors();
}

void TScreenBufMain::PrepareText()
{
    SetFont(clWhite, 14);
    Work.Canvas().PrepareText("Game Over");
    Work.Canvas().PrepareText("   Pause");
    ResetColors();
}

void TScreenBufMain::InitMain(std::int32_t w, std::int32_t h, TPixel pixel)
{
    InitBuf(w, h, pixel);
    FlashPending = false;
}

void TScreenBufMain::InitStars(std::int32_t kind)
{
    // Any stage past the last table entry is the Another stage.
    kind = std::min(kind, StarKinds - 1);
    for (TStar& star : Stars) RespawnStar(star, OriginY + Random(Height), kind);
}

void TScreenBufMain::RespawnStar(TStar& star, std::int32_t y, std::int32_t kind)
{
    const std::array<std::int32_t, 3>& entry = StarColors[std::size_t(kind)];
    star.x = OriginX + Random(Width);
    star.y = y - 1;
    star.speed = 1 + Random(6);
    if (kind == ChangingStars) {
        const auto r = std::uint8_t(Random(entry[0]));
        const auto g = std::uint8_t(Random(entry[1]));
        const auto b = std::uint8_t(Random(entry[2]));
        star.color = MakeTriple(r, g, b);
    } else {
        const std::int32_t l = Random(256);
        star.color = MakeTriple(std::uint8_t(entry[0] * l / 256), std::uint8_t(entry[1] * l / 256),
                                std::uint8_t(entry[2] * l / 256));
    }
    star.dim = Halved(star.color);
}

void TScreenBufMain::UpdateBackground(std::int32_t stage)
{
    if (FlashPending) FlashFill();
    else if (stage < 10) MoveStars(stage);
    else DrawDarkRects();
}

void TScreenBufMain::FlashFill()
{
    Work.Canvas().FillRect({0, 0, Width + 2 * Margin, Height + 2 * Margin});
    FlashPending = false;
}

void TScreenBufMain::MoveStars(std::int32_t kind)
{
    for (TStar& star : Stars) {
        star.y += star.speed;
        if (star.y - 1 >= Bottom) RespawnStar(star, OriginY, kind);
        // A streak speed + 1 long with a dim rim; it stays inside the margin, so
        // no bounds test is needed.
        const std::size_t x = std::size_t(star.x);
        for (std::int32_t r = star.y; r <= star.y + star.speed; ++r) {
            const std::span<TPixel> row = WorkRows[std::size_t(r)];
            row[x] = star.color;
            row[x - 1] = star.dim;
            row[x + 1] = star.dim;
        }
        WorkRows[std::size_t(star.y - 1)][x] = star.dim;
        WorkRows[std::size_t(star.y + star.speed + 1)][x] = star.dim;
    }
}

void TScreenBufMain::DrawDarkRects()
{
    for (int i = 0; i < 10; ++i) {
        SetBrushRGB(0, std::uint8_t(Random(32)), 0);
        const std::int32_t w = 32 + Random(96);
        const std::int32_t h = 52 + Random(156);
        const std::int32_t left = Margin + Random(256) - w / 2;
        const std::int32_t top = Margin + Random(416) - h / 2;
        Work.Canvas().FillRect({left, top, left + w, top + h});
        SetBrushWhite();
    }
}

void TScreenBufMain::DrawBarrier(std::int32_t x, std::int32_t y)
{
    Work.Canvas().BitBlt(x - TBrrBmp::Width / 2, y - TBrrBmp::Height / 2, TBrrBmp::Width, TBrrBmp::Height,
                         BrrBmp->GetBitmap(), 0, 0, SRCPAINT);
}

void TScreenBufMain::DrawLaser(std::int32_t x, std::int32_t y, std::int32_t w)
{
    // Paler as it widens; the half-width stays at most 10, so no channel passes 255.
    const std::int32_t c = w * 128 / MaxLaserWidth;
    const auto red = std::uint8_t(c + Random(128));
    const auto green = std::uint8_t(c + Random(128));
    SetBrushRGB(red, green, 255);
    Work.Canvas().FillRect({x - w, OriginY, x + w, y});
    SetBrushWhite();
}

void TScreenBufMain::DrawBlast(std::int32_t x, std::int32_t y, std::int32_t r)
{
    const std::int32_t b = r * 255 / FullBlast;
    SetBrushRGB(std::uint8_t(b), std::uint8_t(b), std::uint8_t(128 + b / 2));
    if (r >= FullBlast) Work.Canvas().FillRect({OriginX, OriginY, Right, Bottom});
    else Work.Canvas().Ellipse({x - r, y - r, x + r, y + r});
    SetBrushWhite();
}

void TScreenBufMain::DrawCenterText(std::string_view text)
{
    SetFont(clWhite, 14);
    const std::int32_t x = CenterTextX - 1 + Random(3);
    const std::int32_t y = CenterTextY - 1 + Random(3);
    PutText(x, y, text);
    Work.Canvas().SetFontColor(clBlack);
    PutText(CenterTextX, CenterTextY, text);
    ResetColors();
}

void RequestFlash() { ScreenBufMain->FlashPending = true; }
