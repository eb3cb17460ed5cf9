// The screen buffers and the sprite store's sets for the whole run: made,
// loaded and freed by the main form's start-up and shut-down.
#pragma once

// Makes the two screen buffers and the 32 (empty) sprite sets.
void CreateBuffers();
// Sets up both buffers (the side panel follows the player, so the characters
// exist by now) and loads the eight fixed sprite sets.
void LoadSprites();
// Frees the buffers and the sprite sets.
void FreeBuffers();
