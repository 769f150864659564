// The limits the frames are held to, each with the rule it comes from.
// Light is relative luminance, 0 (black) to 1 (white); red is the value
// (R - G - B) x 320 of linear R, G, B, 0 to 320.
#pragma once

// WCAG 2.2, definition "general flash and red flash thresholds": a general
// flash is a pair of opposing changes in relative luminance of 10% or more
// of the maximum (1.0), where the relative luminance of the darker image is
// below 0.80.
constexpr double kGeneralChangeAtLeast = 0.10;
constexpr double kDarkerImageBelow = 0.80;

// WCAG 2.2, same definition: a red flash is a pair of opposing transitions
// involving a saturated red, R / (R + G + B) >= 0.8, where (R - G - B) x 320
// changes by more than 20 (negative values taken as 0).
constexpr double kSaturatedRedShare = 0.8;
constexpr double kRedScale = 320;
constexpr double kRedChangeMoreThan = 20;

// WCAG 2.2 success criterion 2.3.1 and ITU-R BT.1702: no more than three
// general and no more than three red flashes in any one-second period. A
// flash is two opposing changes, so counts are kept in changes.
constexpr int kMostFlashesPerSecond = 3;
constexpr int kChangesPerFlash = 2;
constexpr double kWindowSeconds = 1.0;

// WCAG 2.2, same definition: flashes count when their combined area is over
// 25% of any 10° visual field, which it gives as 341 x 256 pixels at
// 1024 x 768 (a third of the picture each way), scaled with the picture.
constexpr double kFieldShareOfWidth = 341.0 / 1024;
constexpr double kFieldShareOfHeight = 256.0 / 768;
constexpr double kFieldAreaShare = 0.25;

// ITU-R BT.1702 as broadcasters apply it: flashes count when they cover
// more than a quarter of the screen.
constexpr double kScreenAreaShare = 0.25;

// ITU-R BT.1702 and EA's IRIS flag flashing that goes on for more than 5 s
// even under three a second. Neither gives the rate that makes a second
// "flashing"; ours is two flashes or more, so an isolated flash on the
// beat is not a sequence.
constexpr double kExtendedSecondsOver = 5.0;
constexpr int kExtendedFlashesPerSecond = 2;

// Not from a rule: where a flash happens is resolved to places of 1/8 of
// the 10° field each way, each following its own light (the mean linear
// light of its pixels), so a flash over a quarter of a field spans at least
// 16 places and one over a quarter of the screen 144. Smaller places count
// more of the show's small moving things as flashing (the cube field's worst
// second: 12 flashes with places of 1/16, 8.5 with 1/8, 4.5 with 1/4 of the
// field); larger ones would round a flash's area up by too much.
constexpr int kPlacesAcrossField = 8;
