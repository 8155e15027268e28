// Twips, the unit of the windows' design, and the screen they stand on.
#pragma once

#include <windows.h>

namespace tepo::forms {

// 1440 twips to the inch: 15 per pixel at 96 dots per inch.
float twipsPerPixelX();
float twipsPerPixelY();

// The primary screen's size in twips.
float screenWidthTwips();
float screenHeightTwips();

int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);

// A rectangle given in twips, in pixels.
RECT twipsRect(double left, double top, double width, double height);

// Points at the screen's dots per inch, as a font height in pixels (negative: character height).
int fontHeight(double points);

}  // namespace tepo::forms
