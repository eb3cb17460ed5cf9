// The frame composition: the screen buffers and the sprite store's sets for
// the whole run, made, loaded and freed by the main form's start-up and
// shut-down; and one frame of the game scene put on the screen in a fixed
// order: the playfield, then the side panel, then the frame rate.
#pragma once

// Makes the two screen buffers and the 32 (empty) sprite sets.
void CreateBuffers();
// Sets up both buffers (the side panel follows the player, so the characters
// exist by now), loads the eight fixed sprite sets and renders the glyphs of
// the texts drawn in play.
void LoadSprites();
// Frees the buffers and the sprite sets.
void FreeBuffers();

// A frame of play, stage clear or game over.
void DrawGameFrame();
// The pause screen: the background keeps moving, no character is drawn.
void DrawPauseFrame();

// Called once a game frame is drawn, while the player's one-frame weapon
// states still hold (the headless driver records them here); usually empty.
extern void (*OnGameFrameDrawn)();
