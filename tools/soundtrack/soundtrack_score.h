// The sections of the score, one pattern each, indexed by order position:
// the opening's in soundtrack_opening.cpp, the rest in
// soundtrack_sections.cpp. compose_song (soundtrack_score.cpp) puts them in
// order.
#pragma once

#include "tools/soundtrack/soundtrack_song.h"

void write_intro(Pattern& p, int order_pos);
void write_drop(Pattern& p, int order_pos);
void write_breakdown(Pattern& p);
void write_section_pluck(Pattern& p, int order_pos);
void write_section_gate(Pattern& p, int order_pos);
void write_section_lead(Pattern& p, int order_pos);
void write_section_broken(Pattern& p, int order_pos);
void write_finale(Pattern& p, int order_pos);
void write_outro(Pattern& p);
