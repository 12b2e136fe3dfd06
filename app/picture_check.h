// How much of the picture from the set-up camera the output model keeps: measured after every
// rebuild of the output model, shown in the panel under "Preview", printed by the script
// command picture, and drawn as a magenta tint over the changed faces with "Show Changes".
#pragma once

#include "app/command_table.h"
#include "selection/picture_compare.h"
#include "selection/rgb_image.h"

#include <string>

// Live variable of "Show Changes" (0 at start).
extern int showChanges;

// What the last measure found; measured is false until the first.
struct PictureRecord {
    bool measured = false;
    PictureComparison last;
};
PictureRecord& pictureRecord();

// Under the set-up camera, right after the output model was rebuilt: compares the ID image of
// the output model as drawn with the input model's. inputImage, when given, is the input's ID
// image just read under the same camera and window (Preview's visibility pass); otherwise the
// kept one is used while the input model, the camera, the window and "Back Face" are those it
// was read under, and read again when not. Adds one ID pass (two when the input's is stale).
void measurePictureKept(const RgbImage* inputImage);

// The panel's line under "Preview": "Picture kept: P %", or "" until a Preview of the open
// model has measured it.
std::string pictureKeptText();

// The last measure: its counts and the faces that changed (empty before the first).
const PictureComparison& lastPictureComparison();

// Script command picture: prints "picture kept: P% of the model's pixels from the set-up
// camera (N of M differ)" on standard output; before the first Preview it prints nothing and
// returns why.
std::string scriptedPicture(const CommandArgs& args);

// With "Show Changes" on, the output model shown and a measure taken: the faces that gained or
// lost pixels, tinted magenta over the model just drawn with the same matrices.
void drawPictureChanges();
