// Checks every row of the marching-cubes table against rules derived here
// from the cell geometry alone, so a wrong entry can't hide in 256 rows.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "gfx/effects/effects.h"

namespace {

using Vec = std::array<double, 3>;

// The cell as the iso-surface reads it: corner offsets and edge end corners.
const int kCorner[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1},
};
const int kEdge[12][2] = {
    {0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6}, {7, 6}, {4, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};

bool above(int case_index, int corner) { return (case_index >> corner & 1) != 0; }

bool crosses(int case_index, int edge)
{
    return above(case_index, kEdge[edge][0]) != above(case_index, kEdge[edge][1]);
}

Vec corner_position(int corner)
{
    return {double(kCorner[corner][0]), double(kCorner[corner][1]), double(kCorner[corner][2])};
}

Vec edge_midpoint(int edge)
{
    const Vec a = corner_position(kEdge[edge][0]), b = corner_position(kEdge[edge][1]);
    return {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
}

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Two edge points lie on one cube face when some coordinate is 0 or 1 for
// both (the midpoints have exactly one coordinate at 0.5).
bool on_common_face(int edge_a, int edge_b)
{
    const Vec a = edge_midpoint(edge_a), b = edge_midpoint(edge_b);
    for (int axis = 0; axis < 3; ++axis)
        if (a[axis] != 0.5 && a[axis] == b[axis]) return true;
    return false;
}

std::vector<std::array<int, 3>> triangles_of(int case_index)
{
    std::vector<std::array<int, 3>> triangles;
    const int32_t* row = tri_table[case_index];
    for (int v = 0; v + 2 < 15 && row[v] != -1; v += 3)
        triangles.push_back({row[v], row[v + 1], row[v + 2]});
    return triangles;
}

TEST(TriTable, RowsAreWholeTrianglesOfValidEdgesEndedByMinusOne)
{
    for (int c = 0; c < 256; ++c) {
        const int32_t* row = tri_table[c];
        int length = 0;
        while (length < 15 && row[length] != -1) ++length;
        EXPECT_EQ(length % 3, 0) << "case " << c;
        for (int v = 0; v < 15; ++v) {
            if (v < length) {
                EXPECT_GE(row[v], 0) << "case " << c;
                EXPECT_LE(row[v], 11) << "case " << c;
            } else {
                EXPECT_EQ(row[v], -1) << "case " << c << " entry " << v << " after the end";
            }
        }
    }
}

TEST(TriTable, EachRowUsesExactlyTheCrossingEdges)
{
    for (int c = 0; c < 256; ++c) {
        std::set<int> expected, used;
        for (int e = 0; e < 12; ++e)
            if (crosses(c, e)) expected.insert(e);
        for (const auto& triangle : triangles_of(c))
            for (int e : triangle) used.insert(e);
        EXPECT_EQ(used, expected) << "case " << c;
    }
}

TEST(TriTable, TrianglesFaceTheLowerValues)
{
    for (int c = 0; c < 256; ++c) {
        for (const auto& triangle : triangles_of(c)) {
            const Vec p0 = edge_midpoint(triangle[0]);
            const Vec normal =
                cross(sub(edge_midpoint(triangle[1]), p0), sub(edge_midpoint(triangle[2]), p0));
            EXPECT_GT(dot(normal, normal), 1e-9) << "case " << c << ": degenerate triangle";
            // At each of its corners the triangle crosses a cell edge: the
            // normal may not lean toward that edge's upper end, and overall it
            // leans toward the lower ends.
            double lean = 0;
            for (int e : triangle) {
                const int from = kEdge[e][0], to = kEdge[e][1];
                const Vec toward = above(c, from) ? sub(corner_position(to), corner_position(from))
                                                  : sub(corner_position(from), corner_position(to));
                EXPECT_GE(dot(normal, toward), 0) << "case " << c << " triangle "
                    << triangle[0] << "," << triangle[1] << "," << triangle[2] << " at edge " << e;
                lean += dot(normal, toward);
            }
            EXPECT_GT(lean, 0) << "case " << c << " triangle "
                << triangle[0] << "," << triangle[1] << "," << triangle[2];
        }
    }
}

TEST(TriTable, PatchesAreConsistentAndBorderedByCubeFaces)
{
    for (int c = 0; c < 256; ++c) {
        // Directed sides: an inner side appears once each way, a border side once.
        std::map<std::pair<int, int>, int> directed;
        for (const auto& triangle : triangles_of(c))
            for (int v = 0; v < 3; ++v) ++directed[{triangle[v], triangle[(v + 1) % 3]}];
        std::map<int, int> border_degree;
        for (const auto& [side, count] : directed) {
            EXPECT_EQ(count, 1) << "case " << c << ": side " << side.first << "-" << side.second
                                << " repeated in one direction";
            if (directed.count({side.second, side.first})) continue;
            EXPECT_TRUE(on_common_face(side.first, side.second))
                << "case " << c << ": border side " << side.first << "-" << side.second
                << " cuts through the cell";
            ++border_degree[side.first];
            ++border_degree[side.second];
        }
        // The border passes through every edge point exactly once (in and out).
        for (int e = 0; e < 12; ++e)
            EXPECT_EQ(border_degree[e], crosses(c, e) ? 2 : 0) << "case " << c << " edge " << e;
    }
}

TEST(TriTable, TellingRows)
{
    const std::map<int, std::vector<int>> telling = {
        {0, {}},
        {1, {3, 8, 0}},
        {2, {1, 0, 9}},
        {3, {3, 8, 9, 3, 9, 1}},
        {5, {3, 8, 0, 2, 1, 10}},
        {15, {8, 9, 10, 8, 10, 11}},
        {250, {3, 0, 8, 2, 10, 1}},
        {254, {3, 0, 8}},
        {255, {}},
    };
    for (const auto& [c, expected] : telling) {
        std::vector<int> row;
        for (int v = 0; v < 15 && tri_table[c][v] != -1; ++v) row.push_back(tri_table[c][v]);
        EXPECT_EQ(row, expected) << "case " << c;
    }
}

}  // namespace
