#pragma once
// The textured unit quad every 2D effect draws: (-1,-1)..(1,1) in z = 0,
// texture row 0 at the top so pictures show upright.
void draw_unit_quad();
