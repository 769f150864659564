// Writes gfx/effects/tri_table.cpp to standard output: the marching-cubes
// triangle table over the cell numbering of gfx/effects/iso_surface.cpp.
// Not part of the demo; run it by hand when the table's rules change:
//   tri_table_gen > gfx/effects/tri_table.cpp
//
// How a row is made, for case index c (bit n set: corner n above the level):
// - The "inside" corners are the above ones when at most four are above,
//   otherwise the ones at or below. Inside corners touching only across a
//   face diagonal are kept apart, so a case and its complement both cut off
//   the minority corners.
// - On each cube face, the crossing points are joined by segments (one
//   segment, or two cutting off the two inside corners of an ambiguous face);
//   the segments close into one loop per group of inside corners.
// - Each loop is turned so that its normal points toward the lower values,
//   started at its highest edge of the z = 0 face (its lowest edge when it
//   has none there) and fanned into triangles from that start. Where a fan
//   would fold a triangle away from the lower values (some hexagons), the
//   first triangulation whose triangles all face them is taken instead.
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

static const int kCornerOffset[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1},
};
static const int kEdgeCorners[12][2] = {
    {0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6}, {7, 6}, {4, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};
// Corners of each face in cyclic order.
static const int kFaceCorners[6][4] = {
    {0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5},
};

static int edge_between(int a, int b)
{
    for (int e = 0; e < 12; ++e)
        if ((kEdgeCorners[e][0] == a && kEdgeCorners[e][1] == b) ||
            (kEdgeCorners[e][0] == b && kEdgeCorners[e][1] == a))
            return e;
    return -1;
}

static void midpoint(int edge, double out[3])
{
    for (int axis = 0; axis < 3; ++axis)
        out[axis] = 0.5 * (kCornerOffset[kEdgeCorners[edge][0]][axis] +
                           kCornerOffset[kEdgeCorners[edge][1]][axis]);
}

// Direction from the above corner of a crossing edge to its other corner.
static void toward_lower(int edge, int case_index, double out[3])
{
    int above = kEdgeCorners[edge][0], below = kEdgeCorners[edge][1];
    if (!(case_index >> above & 1)) std::swap(above, below);
    for (int axis = 0; axis < 3; ++axis)
        out[axis] = kCornerOffset[below][axis] - kCornerOffset[above][axis];
}

// Newell normal of the loop through the edge midpoints.
static void loop_normal(const std::vector<int>& loop, double n[3])
{
    n[0] = n[1] = n[2] = 0;
    for (size_t v = 0; v < loop.size(); ++v) {
        double a[3], b[3];
        midpoint(loop[v], a);
        midpoint(loop[(v + 1) % loop.size()], b);
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
}

// True when the triangle's normal leans toward the lower end of none of its
// crossing edges' upper ends, and toward the lower ends overall.
static bool faces_lower(int a, int b, int c, int case_index)
{
    double pa[3], pb[3], pc[3];
    midpoint(a, pa);
    midpoint(b, pb);
    midpoint(c, pc);
    const double u[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    const double v[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    double total = 0;
    for (int e : {a, b, c}) {
        double d[3];
        toward_lower(e, case_index, d);
        const double lean = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
        if (lean < 0) return false;
        total += lean;
    }
    return total > 0;
}

// Every triangulation of the loop's vertices first..last (loop order kept),
// each as a list of index triples, appended to out.
using Triangles = std::vector<std::array<int, 3>>;
static std::vector<Triangles> triangulations(int first, int last)
{
    if (last - first < 2) return {Triangles{}};
    std::vector<Triangles> out;
    for (int apex = first + 1; apex < last; ++apex)
        for (const Triangles& left : triangulations(first, apex))
            for (const Triangles& right : triangulations(apex, last)) {
                Triangles t{{first, apex, last}};
                t.insert(t.end(), left.begin(), left.end());
                t.insert(t.end(), right.begin(), right.end());
                out.push_back(t);
            }
    return out;
}

// The fan from the loop's start when all its triangles face the lower
// values, else the first triangulation that does.
static Triangles triangulate(const std::vector<int>& loop, int case_index)
{
    const int n = static_cast<int>(loop.size());
    Triangles fan;
    for (int v = 1; v + 1 < n; ++v) fan.push_back({0, v, v + 1});
    std::vector<Triangles> candidates{fan};
    for (const Triangles& t : triangulations(0, n - 1)) candidates.push_back(t);
    for (const Triangles& candidate : candidates) {
        bool good = true;
        for (const auto& t : candidate) good = good && faces_lower(loop[t[0]], loop[t[1]], loop[t[2]], case_index);
        if (good) return candidate;
    }
    std::fprintf(stderr, "tri_table_gen: case %d has no triangulation facing the lower values\n", case_index);
    return fan;
}

static std::vector<int> make_row(int case_index)
{
    const int above_count = __builtin_popcount(static_cast<unsigned>(case_index));
    const int inside = above_count <= 4 ? case_index : (~case_index & 0xff);

    // Two segment partners per crossing edge (one on each of its faces).
    std::vector<int> partners[12];
    for (const auto& face : kFaceCorners) {
        int crossing[4];
        int count = 0;
        for (int v = 0; v < 4; ++v) {
            const int a = face[v], b = face[(v + 1) % 4];
            if ((case_index >> a & 1) != (case_index >> b & 1)) crossing[count++] = v;
        }
        auto join = [&](int side_a, int side_b) {
            const int ea = edge_between(face[side_a], face[(side_a + 1) % 4]);
            const int eb = edge_between(face[side_b], face[(side_b + 1) % 4]);
            partners[ea].push_back(eb);
            partners[eb].push_back(ea);
        };
        if (count == 2) {
            join(crossing[0], crossing[1]);
        } else if (count == 4) {
            // Diagonal face: cut off each inside corner on its own. Corner v
            // lies between sides v - 1 and v.
            for (int v = 0; v < 4; ++v)
                if (inside >> face[v] & 1) join((v + 3) % 4, v);
        }
    }

    std::vector<std::vector<int>> loops;
    bool used[12] = {};
    for (int start = 0; start < 12; ++start) {
        if (used[start] || partners[start].empty()) continue;
        std::vector<int> loop{start};
        used[start] = true;
        int previous = start, current = partners[start][0];
        while (current != start) {
            loop.push_back(current);
            used[current] = true;
            const int next = partners[current][0] == previous ? partners[current][1] : partners[current][0];
            previous = current;
            current = next;
        }
        double n[3], sum[3] = {0, 0, 0};
        loop_normal(loop, n);
        for (int e : loop) {
            double d[3];
            toward_lower(e, case_index, d);
            for (int axis = 0; axis < 3; ++axis) sum[axis] += d[axis];
        }
        if (n[0] * sum[0] + n[1] * sum[1] + n[2] * sum[2] < 0) std::reverse(loop.begin(), loop.end());
        int first = -1;
        for (size_t v = 0; v < loop.size(); ++v)
            if (loop[v] < 4 && (first < 0 || loop[v] > loop[first])) first = static_cast<int>(v);
        if (first < 0)
            first = static_cast<int>(std::min_element(loop.begin(), loop.end()) - loop.begin());
        std::rotate(loop.begin(), loop.begin() + first, loop.end());
        loops.push_back(loop);
    }
    std::sort(loops.begin(), loops.end(), [](const std::vector<int>& a, const std::vector<int>& b) {
        return *std::min_element(a.begin(), a.end()) < *std::min_element(b.begin(), b.end());
    });

    std::vector<int> row;
    for (const auto& loop : loops)
        for (const auto& t : triangulate(loop, case_index))
            for (int v : t) row.push_back(loop[v]);
    return row;
}

int main()
{
    std::printf("// Marching-cubes triangles per case, made by tools/tri_table/tri_table_gen.cpp.\n");
    std::printf("// Case bit n is set when corner n is above the level; each triangle's\n");
    std::printf("// right-hand normal points toward the corners at or below it.\n");
    std::printf("#include \"gfx/effects/effects.h\"\n\n");
    std::printf("const int32_t tri_table[256][15] = {\n");
    for (int c = 0; c < 256; ++c) {
        const std::vector<int> row = make_row(c);
        if (row.size() > 15) {
            std::fprintf(stderr, "tri_table_gen: case %d needs %zu entries\n", c, row.size());
            return 1;
        }
        std::printf("    {");
        for (int v = 0; v < 15; ++v)
            std::printf("%s%d", v ? ", " : "", v < static_cast<int>(row.size()) ? row[v] : -1);
        std::printf("},\n");
    }
    std::printf("};\n");
    return 0;
}
