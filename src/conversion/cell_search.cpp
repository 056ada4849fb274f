#include "conversion/cell_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace pixolat {

MatchPoint MatchPointOf(const Lab& lab, ColorMetric metric) {
    MatchPoint p;
    p.l = lab.l;
    p.a = lab.a;
    p.b = lab.b;
    p.chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    if (metric == ColorMetric::Weighted) {
        const float l50 = (lab.l - 50.0f) * (lab.l - 50.0f);
        const float sl = 1.0f + 0.015f * l50 / std::sqrt(20.0f + l50);
        const float sc = 1.0f + 0.045f * p.chroma;
        const float sh = 1.0f + 0.015f * p.chroma;
        p.wl = 1.0f / (sl * sl);
        p.wh = 1.0f / (sh * sh);
        p.chromaScale = 0.5f;
        p.rotation = BlueRotation(lab.a, lab.b);
        p.ciede = true;
        (void)sc;
    }
    return p;
}

[[gnu::always_inline]] inline void MatchPointsOfLoop(const LinearRgb* pixels, std::size_t count,
                                                     ColorMetric metric, MatchPoint* out) {
    constexpr int kBlock = 64;
    const bool weighted = metric == ColorMetric::Weighted;
    for (std::size_t start = 0; start < count; start += kBlock) {
        const int m = int(std::min<std::size_t>(kBlock, count - start));
        std::array<float, kBlock> r{}, g{}, b{};
        for (int i = 0; i < m; ++i) {
            const LinearRgb& c = pixels[start + std::size_t(i)];
            r[std::size_t(i)] = c.r, g[std::size_t(i)] = c.g, b[std::size_t(i)] = c.b;
        }
        std::array<float, kBlock> l, a, bb, ch, wl, wh, rot;
        for (int i = 0; i < kBlock; ++i) {
            const RelativeXyz xyz = RelativeXyzOf(r[i], g[i], b[i]);
            const float fx = LabCurve(xyz.x), fy = LabCurve(xyz.y), fz = LabCurve(xyz.z);
            l[i] = 116.0f * fy - 16.0f, a[i] = 500.0f * (fx - fy), bb[i] = 200.0f * (fy - fz);
            const float c2 = a[i] * a[i] + bb[i] * bb[i];
            ch[i] = std::sqrt(c2);
            const float l50 = (l[i] - 50.0f) * (l[i] - 50.0f);
            const float sl = 1.0f + 0.015f * l50 / std::sqrt(20.0f + l50);
            const float sh = 1.0f + 0.015f * ch[i];
            wl[i] = 1.0f / (sl * sl), wh[i] = 1.0f / (sh * sh);
            const float inverse = c2 > 1e-12f ? 1.0f / std::sqrt(c2) : 0.0f;
            rot[i] = c2 > 1e-12f ? RotationSine(a[i] * inverse, bb[i] * inverse) : 0.0f;
        }
        for (int i = 0; i < m; ++i) {
            MatchPoint& p = out[start + std::size_t(i)];
            p = MatchPoint{};
            p.l = l[std::size_t(i)], p.a = a[std::size_t(i)], p.b = bb[std::size_t(i)];
            p.chroma = ch[std::size_t(i)];
            if (!weighted) continue;
            p.wl = wl[std::size_t(i)], p.wh = wh[std::size_t(i)];
            p.chromaScale = 0.5f;
            p.rotation = rot[std::size_t(i)];
            p.ciede = true;
        }
    }
}
PIXEL_LOOP(void, MatchPointsOf,
           (const LinearRgb* pixels, std::size_t count, ColorMetric metric, MatchPoint* out),
           (pixels, count, metric, out))

float Distance(const MatchPoint& p, const PaletteColor& c) {
    const float dl = p.l - c.lab.l, da = p.a - c.lab.a, db = p.b - c.lab.b;
    const float dc = p.chroma - c.chroma;
    const float cm = p.chromaScale * (p.chroma + c.chroma);
    const float sc = 1.0f + 0.045f * cm, sh = 1.0f + 0.015f * cm;
    const float dh2 = da * da + db * db - dc * dc;
    return std::sqrt(std::max(0.0f, p.wl * dl * dl + dc * dc / (sc * sc) + dh2 / (sh * sh)));
}

float Difference(const MatchPoint& p, const PaletteColor& c) {
    return p.ciede ? Ciede2000Quick(p.l, p.a, p.b, p.chroma, c.lab.l, c.lab.a, c.lab.b, c.chroma)
                   : Distance(p, c);
}

void CellDistances(const MatchPoint* points, int n, std::vector<float>& distances) {
    distances.resize(TedPalette().size() * std::size_t(PaddedCount(n)));
    CellDistances(points, n, distances.data());
}

[[gnu::always_inline]] inline void CellDistancesLoop(const MatchPoint* points, int n,
                                                     float* distances) {
    const std::vector<PaletteColor>& palette = TedPalette();
    const int padded = PaddedCount(n);
    // Structure of arrays, so the loop over pixels runs in vectors.
    std::array<float, kMaxCellPixels> l{}, a{}, b{}, ch{}, wl{}, cs{}, rot{};
    for (int p = 0; p < n; ++p) {
        l[p] = points[p].l, a[p] = points[p].a, b[p] = points[p].b, ch[p] = points[p].chroma;
        wl[p] = points[p].wl, cs[p] = points[p].chromaScale, rot[p] = points[p].rotation;
    }
    static const std::array<float, 128> paletteRotation = [] {
        std::array<float, 128> r{};
        for (std::size_t c = 0; c < TedPalette().size(); ++c)
            r[c] = BlueRotation(TedPalette()[c].lab.a, TedPalette()[c].lab.b);
        return r;
    }();
    constexpr float k25To7 = 6103515625.0f;
    for (std::size_t c = 0; c < palette.size(); ++c) {
        const Lab lab = palette[c].lab;
        const float chroma = palette[c].chroma, rotation = paletteRotation[c];
        float* row = distances + c * std::size_t(padded);
        for (int p = 0; p < n; ++p) {
            const float dl = l[p] - lab.l, da = a[p] - lab.a, db = b[p] - lab.b;
            const float dc = ch[p] - chroma;
            const float cm = cs[p] * (ch[p] + chroma);
            const float sc = 1.0f + 0.045f * cm, sh = 1.0f + 0.015f * cm;
            const float dh2 = std::max(0.0f, da * da + db * db - dc * dc);
            // CIEDE2000's blue rotation: its angle at the two hues weighed
            // by their chromas, the sign of the hue difference by the turn.
            // (Two divisions share one, which is the loop's slow part.)
            const float cm2 = cm * cm, cm7 = cm2 * cm2 * cm2 * cm;
            const float sum = std::max(ch[p] + chroma, 1e-6f), big = cm7 + k25To7;
            const float inverse = 1.0f / (sum * big);
            const float turn = (ch[p] * rot[p] + chroma * rotation) * big * inverse;
            const float rT = -2.0f * std::sqrt(cm7 * sum * inverse) * turn;
            const float dh = std::copysign(std::sqrt(dh2), b[p] * lab.a - a[p] * lab.b);
            const float scale = 1.0f / (sc * sh);
            const float cc = dc * sh * scale, hh = dh * sc * scale;
            const float sq = wl[p] * dl * dl + cc * cc + hh * hh + rT * cc * hh;
            row[p] = std::sqrt(sq > 0.0f ? sq : 0.0f);
        }
        for (int p = n; p < padded; ++p) row[p] = 0.0f;
    }
}
PIXEL_LOOP(void, CellDistances, (const MatchPoint* points, int n, float* distances),
           (points, n, distances))

namespace {

// Sum over the padded pixels of min(x[p], y[p]), in 8 running sums so the
// compiler keeps it in vectors.
[[gnu::always_inline]] inline float SumOfMin(const float* x, const float* y, int padded) {
    float acc[8] = {};
    for (int p = 0; p < padded; p += 8)
        for (int k = 0; k < 8; ++k) acc[k] += std::min(x[p + k], y[p + k]);
    return ((acc[0] + acc[1]) + (acc[2] + acc[3])) + ((acc[4] + acc[5]) + (acc[6] + acc[7]));
}

// Each pixel's floor when no image-wide colors limit its cost.
const float* NoFloor() {
    static const std::array<float, kMaxCellPixels> none = [] {
        std::array<float, kMaxCellPixels> a;
        a.fill(std::numeric_limits<float>::max());
        return a;
    }();
    return none.data();
}

}  // namespace

[[gnu::always_inline]] inline void NearestColorsLoop(const float* distances, int n,
                                                     std::array<int, kMaxCellPixels>& nearest) {
    const int colors = int(TedPalette().size());
    const int padded = PaddedCount(n);
    // The least of keys that hold the distance with the color's index in the
    // 7 lowest bits of the mantissa: a float minimum, which runs in vectors,
    // finds both at once.
    std::array<float, kMaxCellPixels> key;
    key.fill(std::numeric_limits<float>::max());
    for (int c = 0; c < colors; ++c) {
        const float* row = distances + std::size_t(c) * std::size_t(padded);
        for (int p = 0; p < padded; ++p) {
            const float k =
                std::bit_cast<float>((std::bit_cast<uint32_t>(row[p]) & ~127u) | uint32_t(c));
            key[std::size_t(p)] = std::min(key[std::size_t(p)], k);
        }
    }
    for (int p = 0; p < n; ++p)
        nearest[std::size_t(p)] = int(std::bit_cast<uint32_t>(key[std::size_t(p)]) & 127u);
}
PIXEL_LOOP(void, NearestColors,
           (const float* distances, int n, std::array<int, kMaxCellPixels>& nearest),
           (distances, n, nearest))

[[gnu::always_inline]] inline int CandidateColorsLoop(const float* distances, int n,
                                                      const float* floor, int candidates,
                                                      std::array<int, 128>& list) {
    if (floor == nullptr) floor = NoFloor();
    const int colors = int(TedPalette().size());
    candidates = std::clamp(candidates, 1, colors);
    const int padded = PaddedCount(n);
    std::array<float, 128> single{};
    for (int c = 0; c < colors; ++c)
        single[std::size_t(c)] =
            SumOfMin(distances + std::size_t(c) * std::size_t(padded), floor, padded);
    std::array<int, kMaxCellPixels> nearest{};
    NearestColors(distances, n, nearest);
    std::array<int, 128> order{};
    for (int c = 0; c < colors; ++c) order[std::size_t(c)] = c;
    std::partial_sort(
        order.begin(), order.begin() + candidates, order.begin() + colors,
        [&](int x, int y) { return single[std::size_t(x)] < single[std::size_t(y)]; });
    std::array<bool, 128> chosen{};
    int count = 0;
    for (int i = 0; i < candidates; ++i) {
        chosen[std::size_t(order[std::size_t(i)])] = true;
        list[std::size_t(count++)] = order[std::size_t(i)];
    }
    for (int p = 0; p < n; ++p) {
        const int c = nearest[std::size_t(p)];
        const float cost = distances[std::size_t(c) * std::size_t(padded) + std::size_t(p)];
        if (!chosen[std::size_t(c)] && cost < floor[p]) {
            chosen[std::size_t(c)] = true;
            list[std::size_t(count++)] = c;
        }
    }
    return count;
}
PIXEL_LOOP(int, CandidateColors,
           (const float* distances, int n, const float* floor, int candidates,
            std::array<int, 128>& list),
           (distances, n, floor, candidates, list))

CellPoints PointsOf(const MatchPoint* points, int n) {
    CellPoints c;
    c.padded = PaddedCount(n);
    for (int p = 0; p < n; ++p) {
        c.l[std::size_t(p)] = points[p].l, c.a[std::size_t(p)] = points[p].a;
        c.b[std::size_t(p)] = points[p].b;
        c.wl[std::size_t(p)] = points[p].wl, c.wh[std::size_t(p)] = points[p].wh;
    }
    return c;
}

namespace {

// CIELAB of every even mix of two palette colors in linear light, as the
// screen mixes them; the pair searches ask for each many times.
const Lab& EvenMix(int x, int y) {
    static const std::vector<Lab> table = [] {
        const std::vector<PaletteColor>& palette = TedPalette();
        const std::size_t n = palette.size();
        std::vector<Lab> t(n * n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) {
                const LinearRgb& a = palette[i].linear;
                const LinearRgb& b = palette[j].linear;
                t[i * n + j] =
                    LabFromLinear({0.5f * (a.r + b.r), 0.5f * (a.g + b.g), 0.5f * (a.b + b.b)});
            }
        return t;
    }();
    return table[std::size_t(x) * TedPalette().size() + std::size_t(y)];
}

}  // namespace

[[gnu::always_inline]] inline void MixCostsLoop(const CellPoints& c, int xIndex, int yIndex,
                                                float noise, float* out) {
    // The screen mixes in linear light, so the mixes run on a curve in CIELAB
    // that bends towards the lighter color: a quadratic through both colors
    // and their even mix. Each pixel takes the mix at its projection on the
    // chord. Half the bend judges pairs best on the photographs: the diffusion
    // mixes more than two colors and the refinement reaches further.
    const Lab x = TedPalette()[std::size_t(xIndex)].lab;
    const Lab y = TedPalette()[std::size_t(yIndex)].lab;
    const Lab mid = EvenMix(xIndex, yIndex);
    const float vl = y.l - x.l, va = y.a - x.a, vb = y.b - x.b;
    // The curve as x + t v + t (1 - t) k.
    const float kl = 2.0f * (mid.l - x.l) - vl, ka = 2.0f * (mid.a - x.a) - va,
                kb = 2.0f * (mid.b - x.b) - vb;
    // Copies, so that a store to out cannot change them.
    const int padded = c.padded;
    for (int p = 0; p < padded; ++p) {
        const float wl = c.wl[std::size_t(p)], wh = c.wh[std::size_t(p)];
        const float ul = c.l[std::size_t(p)] - x.l, ua = c.a[std::size_t(p)] - x.a,
                    ub = c.b[std::size_t(p)] - x.b;
        const float vv = wl * vl * vl + wh * (va * va + vb * vb);
        const float uv = wl * ul * vl + wh * (ua * va + ub * vb);
        // Branch-free so that the loop runs in vectors; vv is 0 only where
        // uv is too (one color twice, or a padding pixel).
        const float t = std::min(std::max(uv / std::max(vv, 1e-30f), 0.0f), 1.0f);
        const float bend = t * (1.0f - t);
        const float rl = ul - t * vl - bend * kl, ra = ua - t * va - bend * ka,
                    rb = ub - t * vb - bend * kb;
        const float r2 = wl * rl * rl + wh * (ra * ra + rb * rb);
        out[p] = std::sqrt(r2) + noise * bend * std::sqrt(vv);
    }
}
PIXEL_LOOP(void, MixCosts, (const CellPoints& c, int xIndex, int yIndex, float noise, float* out),
           (c, xIndex, yIndex, noise, out))

[[gnu::always_inline]] inline PairChoice BestPairAmongLoop(const float* distances, int n,
                                                           const float* floor, const int* list,
                                                           int count) {
    if (floor == nullptr) floor = NoFloor();
    const int padded = PaddedCount(n);
    // Each candidate's distances already capped by the floor.
    thread_local std::vector<float> capped;
    capped.resize(std::size_t(count) * std::size_t(padded));
    for (int i = 0; i < count; ++i) {
        const float* row = distances + std::size_t(list[i]) * std::size_t(padded);
        for (int p = 0; p < padded; ++p)
            capped[std::size_t(i * padded + p)] = std::min(row[p], floor[p]);
    }
    PairChoice best{list[0], list[0], std::numeric_limits<float>::max()};
    for (int i = 0; i < count; ++i)
        for (int j = i; j < count; ++j) {
            const float cost = SumOfMin(&capped[std::size_t(i * padded)],
                                        &capped[std::size_t(j * padded)], padded);
            if (cost < best.cost) best = {list[i], list[j], cost};
        }
    return best;
}
PIXEL_LOOP(PairChoice, BestPairAmong,
           (const float* distances, int n, const float* floor, const int* list, int count),
           (distances, n, floor, list, count))

[[gnu::always_inline]] inline void DifferenceRowLoop(const MatchPoint* points, int n,
                                                     const PaletteColor& color, float* out) {
    const int padded = PaddedCount(n);
    if (n > 0 && points[0].ciede) {
        // Arrays, so that the loop runs in vectors.
        std::array<float, kMaxCellPixels> l{}, a{}, b{}, ch{};
        for (int p = 0; p < n; ++p)
            l[std::size_t(p)] = points[p].l, a[std::size_t(p)] = points[p].a,
            b[std::size_t(p)] = points[p].b, ch[std::size_t(p)] = points[p].chroma;
        for (int p = 0; p < padded; ++p)
            out[p] = Ciede2000Quick(l[std::size_t(p)], a[std::size_t(p)], b[std::size_t(p)],
                                    ch[std::size_t(p)], color.lab.l, color.lab.a, color.lab.b,
                                    color.chroma);
    } else {
        for (int p = 0; p < n; ++p) out[p] = Distance(points[p], color);
    }
    for (int p = n; p < padded; ++p) out[p] = 0.0f;
}
PIXEL_LOOP(void, DifferenceRow,
           (const MatchPoint* points, int n, const PaletteColor& color, float* out),
           (points, n, color, out))

void PixelDifferenceRow(const MatchPoint* points, int n, int width, const PaletteColor& color,
                        float* out) {
    if (width == 1) return DifferenceRow(points, n, color, out);
    std::array<float, kMaxCellPixels> each;
    DifferenceRow(points, n * width, color, each.data());
    const float share = 1.0f / float(width);
    for (int p = 0; p < n; ++p) {
        float sum = 0;
        for (int k = 0; k < width; ++k) sum += each[std::size_t(p * width + k)];
        out[p] = sum * share;
    }
    for (int p = n; p < PaddedCount(n); ++p) out[p] = 0.0f;
}

PairChoice BestPairRefined(const float* distances, const MatchPoint* points, int n, int width,
                           const int* globals, int candidates, uint8_t* values) {
    const std::vector<PaletteColor>& palette = TedPalette();
    const int padded = PaddedCount(n);
    std::array<float, kMaxCellPixels> floor, first, last;
    const float* floorOrNone = nullptr;
    if (globals != nullptr) {
        PixelDifferenceRow(points, n, width, palette[std::size_t(globals[0])], first.data());
        PixelDifferenceRow(points, n, width, palette[std::size_t(globals[1])], last.data());
        for (int p = 0; p < padded; ++p)
            floor[std::size_t(p)] = std::min(first[std::size_t(p)], last[std::size_t(p)]);
        floorOrNone = floor.data();
    }
    // The candidates are ranked on the quick table, the floor from it too:
    // the two metrics' scales differ for far colors.
    std::array<float, kMaxCellPixels> rankFloor;
    if (globals != nullptr) {
        const float* x = distances + std::size_t(globals[0]) * std::size_t(padded);
        const float* y = distances + std::size_t(globals[1]) * std::size_t(padded);
        for (int p = 0; p < padded; ++p) rankFloor[std::size_t(p)] = std::min(x[p], y[p]);
    }
    std::array<int, 128> list{};
    const int count = CandidateColors(distances, n, globals != nullptr ? rankFloor.data() : nullptr,
                                      candidates, list);
    // The candidates' rows by the metric itself.
    thread_local std::vector<float> rows;
    rows.resize(std::size_t(count) * std::size_t(padded));
    std::array<int, 128> identity{};
    for (int i = 0; i < count; ++i) {
        identity[std::size_t(i)] = i;
        PixelDifferenceRow(points, n, width, palette[std::size_t(list[std::size_t(i)])],
                           &rows[std::size_t(i * padded)]);
    }
    PairChoice pair = BestPairAmong(rows.data(), n, floorOrNone, identity.data(), count);
    if (values != nullptr) {
        const float* x = &rows[std::size_t(pair.first * padded)];
        const float* y = &rows[std::size_t(pair.second * padded)];
        for (int p = 0; p < n; ++p) {
            if (globals == nullptr) {
                values[p] = y[p] < x[p] ? 1 : 0;
                continue;
            }
            const float slots[4] = {first[std::size_t(p)], x[p], y[p], last[std::size_t(p)]};
            int best = 0;
            for (int s = 1; s < 4; ++s)
                if (slots[s] < slots[best]) best = s;
            values[p] = uint8_t(best);
        }
    }
    pair.first = list[std::size_t(pair.first)];
    pair.second = list[std::size_t(pair.second)];
    return pair;
}

PairChoice BestMixPair(const float* distances, const MatchPoint* points, int n, const int* globals,
                       int candidates, float noise) {
    const CellPoints cell = PointsOf(points, n);
    const int padded = cell.padded;
    std::array<float, kMaxCellPixels> floor, mix, scratch;
    const float* rankFloor = NoFloor();
    if (globals != nullptr) {
        MixCosts(cell, globals[0], globals[1], noise, floor.data());
        rankFloor = floor.data();
    } else {
        std::copy(NoFloor(), NoFloor() + kMaxCellPixels, floor.begin());
    }
    std::array<int, 128> list{};
    // A noisy cell has many nearest colors; the pairs of mixes grow with the
    // square of their count, so a few of them are tried.
    const int count =
        std::min(CandidateColors(distances, n, rankFloor, candidates, list), 2 * candidates);
    // Each candidate's cost with the image-wide colors alone (mixes with them included).
    thread_local std::vector<float> alone;
    alone.resize(std::size_t(count) * std::size_t(padded));
    for (int i = 0; i < count; ++i) {
        float* row = &alone[std::size_t(i * padded)];
        const float* d = distances + std::size_t(list[std::size_t(i)]) * std::size_t(padded);
        for (int p = 0; p < padded; ++p) row[p] = std::min(floor[std::size_t(p)], d[p]);
        if (globals == nullptr) continue;
        for (int g = 0; g < 2; ++g) {
            MixCosts(cell, list[std::size_t(i)], globals[g], noise, scratch.data());
            for (int p = 0; p < padded; ++p) row[p] = std::min(row[p], scratch[std::size_t(p)]);
        }
    }
    PairChoice best{list[0], list[0], SumOfMin(&alone[0], &alone[0], padded)};
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j) {
            MixCosts(cell, list[std::size_t(i)], list[std::size_t(j)], noise, mix.data());
            const float* x = &alone[std::size_t(i * padded)];
            const float* y = &alone[std::size_t(j * padded)];
            for (int p = 0; p < padded; ++p) scratch[std::size_t(p)] = std::min(x[p], y[p]);
            const float cost = SumOfMin(scratch.data(), mix.data(), padded);
            if (cost < best.cost) best = {list[std::size_t(i)], list[std::size_t(j)], cost};
        }
    return best;
}

}  // namespace pixolat
