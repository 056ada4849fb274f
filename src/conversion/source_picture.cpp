#include "conversion/source_picture.h"

#include <algorithm>
#include <cmath>

namespace pixolat {

namespace {

// Mitchell-Netravali (B = C = 1/3): little ringing, little blur.
float Mitchell(float x) {
    x = std::abs(x);
    constexpr float b = 1.0f / 3.0f, c = 1.0f / 3.0f;
    if (x < 1.0f)
        return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) /
               6.0f;
    if (x < 2.0f)
        return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x +
                (8 * b + 24 * c)) /
               6.0f;
    return 0.0f;
}

// The source samples and weights of one target pixel along one axis; no
// taps means the pixel lies outside the picture (a bar of black).
struct Taps {
    int first = 0;
    std::vector<float> weights;
};

// Target pixel i covers source positions (i + 0.5) / scale - offset; scale
// is target pixels per source pixel.
std::vector<Taps> AxisTaps(int targetSize, int sourceSize, double scale, double offset) {
    std::vector<Taps> axis(static_cast<std::size_t>(targetSize));
    const double support = scale < 1.0 ? 2.0 / scale : 2.0;
    const double stretch = scale < 1.0 ? scale : 1.0;
    for (int i = 0; i < targetSize; ++i) {
        const double center = (i + 0.5) / scale - offset;
        if (center < 0.0 || center >= sourceSize) continue;
        const int first = int(std::floor(center - support));
        const int last = int(std::ceil(center + support));
        Taps& taps = axis[std::size_t(i)];
        taps.first = first;
        float sum = 0.0f;
        for (int s = first; s <= last; ++s) {
            const float w = Mitchell(float((s + 0.5 - center) * stretch));
            taps.weights.push_back(w);
            sum += w;
        }
        for (float& w : taps.weights) w /= sum;
    }
    return axis;
}

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

}  // namespace

LinearPicture ScalePicture(const Picture& picture, int width, int height, int pixelWidth,
                           Fitting fitting) {
    LinearPicture out;
    out.width = std::max(width, 0);
    out.height = std::max(height, 0);
    out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), LinearRgb{});
    // A pixel list shorter than the size claims gives only the rows it holds.
    const int sw = std::max(picture.width, 0);
    const int sh = sw == 0 ? 0
                           : int(std::min<std::size_t>(std::size_t(std::max(picture.height, 0)),
                                                       picture.pixels.size() / std::size_t(sw)));
    if (sw == 0 || sh == 0 || out.pixels.empty()) return out;

    // Scales in screen columns (hires pixels) per source pixel, then per target pixel.
    const double screenWidth = double(out.width) * pixelWidth;
    double sx = screenWidth / sw, sy = double(out.height) / sh;
    if (fitting == Fitting::Fit) sx = sy = std::min(sx, sy);
    if (fitting == Fitting::Crop) sx = sy = std::max(sx, sy);
    const double offsetX = (screenWidth / sx - sw) / 2.0;
    const double offsetY = (out.height / sy - sh) / 2.0;
    // A picture of the image's own size on screen is taken as it is: each
    // target pixel the average of the columns it covers.
    if (sx == 1.0 && sy == 1.0 && offsetX == 0.0 && offsetY == 0.0) {
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                LinearRgb sum;
                for (int k = 0; k < pixelWidth; ++k) {
                    const LinearRgb p = LinearOf(picture.at(x * pixelWidth + k, y));
                    sum.r += p.r, sum.g += p.g, sum.b += p.b;
                }
                out.pixels[std::size_t(y) * std::size_t(out.width) + std::size_t(x)] = {
                    sum.r / float(pixelWidth), sum.g / float(pixelWidth),
                    sum.b / float(pixelWidth)};
            }
        return out;
    }
    const std::vector<Taps> columns = AxisTaps(out.width, sw, sx / pixelWidth, offsetX);
    const std::vector<Taps> rows = AxisTaps(out.height, sh, sy, offsetY);

    // Rows first: each source row that a target row needs is resampled across
    // once, then added into every target row that uses it. Only one such row
    // is held, so the memory follows the picture, not its shape (a tall, thin
    // picture has many rows each resampled to the full target width). The
    // sums come in the same order as target row by target row.
    struct Use {
        int target;
        float weight;
    };
    std::vector<std::size_t> firstUse(std::size_t(sh) + 1, 0);
    for (const Taps& t : rows)
        for (std::size_t k = 0; k < t.weights.size(); ++k)
            ++firstUse[std::size_t(std::clamp(t.first + int(k), 0, sh - 1)) + 1];
    for (int y = 0; y < sh; ++y) firstUse[std::size_t(y) + 1] += firstUse[std::size_t(y)];
    std::vector<Use> uses(firstUse.back());
    {
        std::vector<std::size_t> next(firstUse.begin(), firstUse.end() - 1);
        for (int y = 0; y < out.height; ++y) {
            const Taps& t = rows[std::size_t(y)];
            for (std::size_t k = 0; k < t.weights.size(); ++k)
                uses[next[std::size_t(std::clamp(t.first + int(k), 0, sh - 1))]++] = {y,
                                                                                      t.weights[k]};
        }
    }
    std::vector<LinearRgb> sourceRow(std::size_t(sw), LinearRgb{});
    std::vector<LinearRgb> across(std::size_t(out.width), LinearRgb{});
    for (int y = 0; y < sh; ++y) {
        if (firstUse[std::size_t(y)] == firstUse[std::size_t(y) + 1]) continue;
        for (int x = 0; x < sw; ++x) sourceRow[std::size_t(x)] = LinearOf(picture.at(x, y));
        for (int x = 0; x < out.width; ++x) {
            const Taps& t = columns[std::size_t(x)];
            LinearRgb sum;
            for (std::size_t k = 0; k < t.weights.size(); ++k) {
                const LinearRgb& s =
                    sourceRow[std::size_t(std::clamp(t.first + int(k), 0, sw - 1))];
                sum.r += t.weights[k] * s.r;
                sum.g += t.weights[k] * s.g;
                sum.b += t.weights[k] * s.b;
            }
            across[std::size_t(x)] = sum;
        }
        for (std::size_t u = firstUse[std::size_t(y)]; u < firstUse[std::size_t(y) + 1]; ++u) {
            LinearRgb* target = &out.pixels[std::size_t(uses[u].target) * std::size_t(out.width)];
            const float w = uses[u].weight;
            for (int x = 0; x < out.width; ++x) {
                if (columns[std::size_t(x)].weights.empty()) continue;
                target[x].r += w * across[std::size_t(x)].r;
                target[x].g += w * across[std::size_t(x)].g;
                target[x].b += w * across[std::size_t(x)].b;
            }
        }
    }
    // The filter's negative lobes may overshoot.
    for (LinearRgb& p : out.pixels) p = {Clamp01(p.r), Clamp01(p.g), Clamp01(p.b)};
    return out;
}

void Adjust(LinearPicture& picture, const Adjustments& adj) {
    if (adj.IsNeutral()) return;
    const float brightness = float(std::clamp(adj.brightness, -100, 100)) / 200.0f;
    const int c = std::clamp(adj.contrast, -100, 100);
    const float contrast = c >= 0 ? 1.0f + 3.0f * float(c) / 100.0f : 1.0f + float(c) / 100.0f;
    const float saturation = 1.0f + float(std::clamp(adj.saturation, -100, 100)) / 100.0f;
    const float exponent = float(1.0 / std::clamp(adj.gamma, 0.2, 5.0));
    for (LinearRgb& p : picture.pixels) {
        float v[3] = {SrgbFromLinear(p.r), SrgbFromLinear(p.g), SrgbFromLinear(p.b)};
        const float luma = 0.299f * v[0] + 0.587f * v[1] + 0.114f * v[2];
        for (float& e : v) {
            e = luma + (e - luma) * saturation;
            e = (e - 0.5f) * contrast + 0.5f + brightness;
            e = std::pow(Clamp01(e), exponent);
        }
        p = {LinearFromSrgb(v[0]), LinearFromSrgb(v[1]), LinearFromSrgb(v[2])};
    }
}

}  // namespace pixolat
