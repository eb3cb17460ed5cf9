// The title: after the title call and a short black pause the game's name
// fades in as a wide, dim smear of copies that narrows into one bright line,
// then a prompt invites the player to start. The confirm key starts a new
// game at stage 0 at any moment.
#pragma once

#include "platform/Bitmap.h"

#include <cstdint>
#include <memory>

// −150 on entering, +3 per tick up to 255: below 0 nothing is drawn; from 0
// on it is the centre copy's brightness and how far the copies have closed in.
extern std::int32_t TitleFade;
// 416 × 10: the title line is drawn here, then copied onto the window.
extern std::unique_ptr<TBitmap> TitleStrip;

void EnterTitle();
void TitleTick();
