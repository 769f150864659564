#pragma once
// The textured unit quad every 2D effect draws: (-1,-1)..(1,1) in z = 0,
// texture row 0 at the top so pictures show upright.
void draw_unit_quad();
// The unit quad's four textured corners, scaled by scale and moved to
// (x, y), for a GL_QUADS primitive the caller has begun: many sprites can
// then go out as one primitive.
void emit_unit_quad_corners(float x, float y, float scale);
