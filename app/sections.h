// The show's sections by song position (order * 100 + row), in show order.
// The timeline draws by these ranges; the capture's profile, the video's
// chapters and the page's chapter list read them from here. Nothing else
// restates them.
#pragma once
#include <cstdint>

constexpr uint32_t kLastPosition = 1920;  // the show ends after the first frame past this position

struct ShowSection {
    int32_t first;     // first position of the section
    int32_t last;      // last position; the closing section also takes the frame past kLastPosition
    const char* name;  // what is on screen
    double still;      // the page's still of it: this many seconds after its first position
};

constexpr int kSectionCount = 10;
constexpr ShowSection kSections[kSectionCount] = {
    {0, 399, "Rings and title", 6},
    {400, 599, "Picture flashes", 2},
    {600, 699, "Growing grid", 1.5},
    {700, 899, "Plasma, sprite rain and tunnel", 4},
    {900, 1099, "Iso-surface and sprite column", 2},
    {1100, 1299, "Sunset, falling strips and tunnel", 2},
    {1300, 1499, "Tube", 4},
    {1500, 1599, "Rings and cube field", 2},
    {1600, 1860, "Cube field", 6},
    {1861, 1920, "Zoom out", 0.1},
};

// Each section's index in kSections, for the code that draws it.
enum Section : int {
    kSectionRingsAndTitle,
    kSectionPictureFlashes,
    kSectionGrowingGrid,
    kSectionPlasmaRainTunnel,
    kSectionIsoSurfaceColumn,
    kSectionSunsetStripsTunnel,
    kSectionTube,
    kSectionRingsAndCubeField,
    kSectionCubeField,
    kSectionZoomOut,
};
static_assert(kSectionZoomOut + 1 == kSectionCount);

// Index of the section holding position p; positions before the first
// section count to it, positions after the last to the last.
constexpr int section_of(int32_t position)
{
    int index = 0;
    while (index + 1 < kSectionCount && position >= kSections[index + 1].first) ++index;
    return index;
}
