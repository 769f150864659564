// Beat tables of the picture flashes, written against the soundtrack's rows.
#pragma once
#include <cstdint>

constexpr int kOrderPictureCount = 20;
// Texture index per order position 0..19, -1 for none.
extern const int32_t order_pictures[kOrderPictureCount];
// Song positions that pulse the picture / flash the overlay; -1 ends each.
extern const int32_t kick_positions[];
extern const int32_t overlay_positions[];
