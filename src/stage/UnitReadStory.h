// The story scene between two stages: pages of up to six lines under a
// picture, each line revealed over six ticks as converging ghost copies; Z
// turns the page, the confirm key leaves the chapter for the next stage.
#pragma once

#include "graphics/MyImage.h"

#include <memory>
#include <string>

// The whole story screen, copied to the window once per tick.
extern std::unique_ptr<TBitmap> StoryCanvas;
// The current picture, widened by 40 darkening pixels on each side.
extern std::unique_ptr<TBitmap> PictureBuffer;
extern TRowTable PictureRows;

// Made when the program starts and freed when it ends.
void CreateStoryImages();
void DestroyStoryImages();

// Shows the chapter of the stage just cleared (from the stage-clear step).
void EnterStory();
void StoryTick();
// Loads dat/<name> into the picture buffer, its margins fading into black.
void ShowPicture(const std::string& name);
void DrawPageText();
// Drops the pixel memory of both images between chapters.
void FreeStoryImages();

// Each channel times 8 div 9.
TPixel Darken89(TPixel pixel);

constexpr const char* AnotherQuestion = "アナザーに行きます。よろしいですか？";
