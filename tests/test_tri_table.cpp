// Checks every row of the marching-cubes table against rules derived here
// from the cell geometry alone, so a wrong entry can't hide in 256 rows.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <vector>

#include "gfx/effects/effects.h"

namespace {

using Vec = std::array<double, 3>;
using Triangle = std::array<int, 3>;

// The cell as the iso-surface reads it: corner offsets and edge end corners.
const int kCorner[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1},
};
const int kEdge[12][2] = {
    {0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6}, {7, 6}, {4, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};

bool above(int c, int corner) { return (c >> corner & 1) != 0; }
bool crosses(int c, int edge) { return above(c, kEdge[edge][0]) != above(c, kEdge[edge][1]); }

Vec midpoint(int edge)
{
    Vec m;
    for (int a = 0; a < 3; ++a) m[a] = (kCorner[kEdge[edge][0]][a] + kCorner[kEdge[edge][1]][a]) / 2.0;
    return m;
}

// From the edge's corner above the level to its corner at or below it.
Vec toward_lower(int c, int edge)
{
    const int up = above(c, kEdge[edge][0]) ? kEdge[edge][0] : kEdge[edge][1];
    const int down = kEdge[edge][0] + kEdge[edge][1] - up;
    return {double(kCorner[down][0] - kCorner[up][0]), double(kCorner[down][1] - kCorner[up][1]),
            double(kCorner[down][2] - kCorner[up][2])};
}

double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec normal_of(const Triangle& t)
{
    const Vec p = midpoint(t[0]), q = midpoint(t[1]), r = midpoint(t[2]);
    const Vec u{q[0] - p[0], q[1] - p[1], q[2] - p[2]}, v{r[0] - p[0], r[1] - p[1], r[2] - p[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// Edge points share a cube face when a coordinate is 0 or 1 for both.
bool on_common_face(int a, int b)
{
    const Vec p = midpoint(a), q = midpoint(b);
    for (int axis = 0; axis < 3; ++axis)
        if (p[axis] != 0.5 && p[axis] == q[axis]) return true;
    return false;
}

// The row's triangles; fails the test when the row is not whole triples of
// edge numbers followed by -1 to the end (an entry outside 0..11 ends the
// edge numbers early, then fails for not being -1).
std::vector<Triangle> row_triangles(int c)
{
    const int32_t* row = tri_table[c];
    int length = 0;
    while (length < 15 && row[length] >= 0 && row[length] <= 11) ++length;
    EXPECT_EQ(length % 3, 0) << "case " << c;
    for (int v = length; v < 15; ++v) EXPECT_EQ(row[v], -1) << "case " << c << " entry " << v;
    std::vector<Triangle> triangles;
    for (int v = 0; v + 2 < length; v += 3) triangles.push_back({row[v], row[v + 1], row[v + 2]});
    return triangles;
}

TEST(TriTable, EveryRowIsAPatchThroughTheCrossingEdgesFacingTheLowerValues)
{
    for (int c = 0; c < 256; ++c) {
        const auto triangles = row_triangles(c);
        std::set<int> expected, used;
        for (int e = 0; e < 12; ++e)
            if (crosses(c, e)) expected.insert(e);
        std::map<std::pair<int, int>, int> sides;  // directed triangle sides
        for (const Triangle& t : triangles) {
            // The normal may lean toward no edge's upper corner, and leans
            // toward the lower corners overall.
            const Vec n = normal_of(t);
            double lean = 0;
            for (int e : t) {
                used.insert(e);
                EXPECT_GE(dot(n, toward_lower(c, e)), 0) << "case " << c << " edge " << e;
                lean += dot(n, toward_lower(c, e));
            }
            EXPECT_GT(lean, 0) << "case " << c << " triangle " << t[0] << "," << t[1] << "," << t[2];
            for (int v = 0; v < 3; ++v) ++sides[{t[v], t[(v + 1) % 3]}];
        }
        EXPECT_EQ(used, expected) << "case " << c;

        // Inner sides run once each way (consistent winding); the rest is the
        // border, which runs on the cube's faces through every edge point once.
        std::map<int, int> border_degree;
        for (const auto& [side, count] : sides) {
            EXPECT_EQ(count, 1) << "case " << c << " side " << side.first << "-" << side.second;
            if (sides.count({side.second, side.first})) continue;
            EXPECT_TRUE(on_common_face(side.first, side.second))
                << "case " << c << " border " << side.first << "-" << side.second << " cuts through the cell";
            ++border_degree[side.first];
            ++border_degree[side.second];
        }
        for (int e : expected) EXPECT_EQ(border_degree[e], 2) << "case " << c << " edge " << e;
    }
}

}  // namespace
