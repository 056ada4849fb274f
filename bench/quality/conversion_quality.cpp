// Measures how close converted pictures come to their photographs: each
// picture is converted to 320 x 200 in every mode, the result shown in the
// editor's colors, and the mean CIEDE2000 difference to the photograph taken
// pixel by pixel (without dithering) or after a 3 x 3 Gaussian blur of both
// in linear light (with dithering, as dither mixes on a screen). Prints a
// table of differences per picture and mode, and the CPU time per conversion;
// then S-CIELAB per picture and mode (mean, 95th percentile, share of pixels
// above 10), by which the dithered modes are judged.
//
//   pixolat_conversion_quality [--metric lab|weighted] [--only MODE] [--write FOLDER]
//                              [--exhaustive | --exhaustive-globals] [--runs N]
//                              [--anchor FOLDER] [--dfli] [PICTURE ...]
//
// --anchor names a folder of another converter's results on the same
// pictures: NAME_mc.png, the half-width source of multicolor (which our
// multicolor then converts and is judged against), and NAME_hires_*_off.png,
// NAME_mc_*_off.png (undithered) and other NAME_hires_*.png, NAME_mc_*.png
// (dithered; the best counts). Their S-CIELAB is printed beside ours, with
// the worst ratio of ours to theirs. --dfli converts with DFLI's color map
// (the cell colors per pair of rows) in every mode.
//   pixolat_conversion_quality --prepare INPUT OUTPUT.png
//
// --exhaustive also prints, for the undithered modes, the least difference
// any converter can reach: every pair of colors tried in every cell with
// CIEDE2000 itself (in multicolor, with the image-wide pair ours chose;
// --exhaustive-globals also tries every color in place of either of the pair).
// Without pictures it reads bench/pictures/*.png; --prepare crops a picture
// of any size to 320 x 200 for that set.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/picture/picture_codec.h"
#include "conversion/picture_conversion.h"
#include "conversion/ted_palette.h"
#include "document/colors.h"
#include "document/errors.h"

using namespace pixolat;

namespace {

struct Mode {
    const char* name;
    bool multicolor;
    Dithering dithering;
    bool blurred;
    double goal;
};

const Mode kModes[] = {
    {"hires", false, Dithering::None, false, 8.7},
    {"hires diffusion", false, Dithering::Diffusion, true, 6.2},
    {"hires ordered", false, Dithering::Ordered, true, 6.2},
    {"multi", true, Dithering::None, false, 8.2},
    {"multi diffusion", true, Dithering::Diffusion, true, 5.4},
    {"multi ordered", true, Dithering::Ordered, true, 5.4},
};

using LinearImage = std::vector<LinearRgb>;

LinearImage LinearPixels(const Picture& picture) {
    LinearImage out(picture.pixels.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = LinearOf(picture.pixels[i]);
    return out;
}

// [1 2 1] x [1 2 1] / 16 with the edge pixels repeated.
LinearImage Blur(const LinearImage& in, int width, int height) {
    LinearImage out(in.size());
    const float w[3] = {1.0f, 2.0f, 1.0f};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            LinearRgb sum;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = std::clamp(x + dx, 0, width - 1);
                    const int sy = std::clamp(y + dy, 0, height - 1);
                    const float k = w[dx + 1] * w[dy + 1] / 16.0f;
                    const LinearRgb& p = in[std::size_t(sy * width + sx)];
                    sum.r += k * p.r, sum.g += k * p.g, sum.b += k * p.b;
                }
            out[std::size_t(y * width + x)] = sum;
        }
    return out;
}

double MeanDifference(const LinearImage& a, const LinearImage& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += Ciede2000(LabFromLinear(a[i]), LabFromLinear(b[i]));
    return sum / double(a.size());
}

// Spatial CIELAB (Zhang and Wandell): both pictures in an opponent space
// (luminance, red-green, blue-yellow, from CIE XYZ), each channel filtered by
// the eye's contrast sensitivity (sums of Gaussians whose spreads are in
// degrees, here 23 samples per degree: 320 pixels across 14 degrees), then
// CIELAB and CIEDE2000 per pixel. It sees the error of whole cells (blocks,
// a wrong hue over an area) while fine dither mixes as the eye mixes it.
// Computed as the anchor's scoring script computes it (its matrix, white and
// companding, Gaussians cut at 4 sigma, edges mirrored), in double.
struct SpatialFigures {
    double mean = 0, p95 = 0, over10 = 0;  // over10: share of pixels above 10
};

using Plane = std::vector<double>;

// One-dimensional Gaussian of sigma along rows (step 1) or columns, the
// picture mirrored about its edges as often as the kernel needs.
void GaussianPass(const Plane& in, Plane& out, int width, int height, double sigma, bool across) {
    const int radius = int(4.0 * sigma + 0.5);
    std::vector<double> kernel(std::size_t(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[std::size_t(i + radius)] = std::exp(-0.5 * double(i * i) / (sigma * sigma));
    for (double& k : kernel) k /= sum;
    const int n = across ? width : height;
    auto mirrored = [n](int i) {
        i %= 2 * n;
        if (i < 0) i += 2 * n;
        return i < n ? i : 2 * n - 1 - i;
    };
    std::vector<int> index(std::size_t(n + 2 * radius));
    for (int i = 0; i < n + 2 * radius; ++i) index[std::size_t(i)] = mirrored(i - radius);
    out.assign(in.size(), 0.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int at = across ? x : y;
            double total = 0;
            for (int k = 0; k <= 2 * radius; ++k) {
                const int j = index[std::size_t(at + k)];
                total += kernel[std::size_t(k)] *
                         in[std::size_t(across ? y * width + j : j * width + x)];
            }
            out[std::size_t(y * width + x)] = total;
        }
}

std::vector<Lab> SpatialLab(const Picture& picture, double samplesPerDegree) {
    constexpr double kToXyz[3][3] = {{0.412453, 0.357580, 0.180423},
                                     {0.212671, 0.715160, 0.072169},
                                     {0.019334, 0.119193, 0.950227}};
    constexpr double kOpponent[3][3] = {
        {0.279, 0.720, -0.107}, {-0.449, 0.290, -0.077}, {0.086, -0.590, 0.501}};
    struct Term {
        double weight, spread;
    };
    const std::vector<Term> filters[3] = {
        {{1.00327, 0.0500}, {0.114416, 0.2250}, {-0.117686, 7.0000}},
        {{0.616725, 0.0685}, {0.383275, 0.8260}},
        {{0.567885, 0.0920}, {0.432115, 0.6451}}};
    const int width = picture.width, height = picture.height;
    const std::size_t n = picture.pixels.size();
    Plane opponent[3];
    for (Plane& p : opponent) p.resize(n);
    auto linear = [](int byte) {
        const double c = byte / 255.0;
        return c > 0.04045 ? std::pow((c + 0.055) / 1.055, 2.4) : c / 12.92;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const RgbColor c = picture.pixels[i];
        const double rgb[3] = {linear(RedOf(c)), linear(GreenOf(c)), linear(BlueOf(c))};
        double xyz[3];
        for (int r = 0; r < 3; ++r)
            xyz[r] = kToXyz[r][0] * rgb[0] + kToXyz[r][1] * rgb[1] + kToXyz[r][2] * rgb[2];
        for (int r = 0; r < 3; ++r)
            opponent[r][i] =
                kOpponent[r][0] * xyz[0] + kOpponent[r][1] * xyz[1] + kOpponent[r][2] * xyz[2];
    }
    Plane filtered[3], pass, blurred;
    for (int c = 0; c < 3; ++c) {
        filtered[c].assign(n, 0.0);
        for (const Term& term : filters[c]) {
            const double sigma = term.spread * samplesPerDegree / std::sqrt(2.0);
            GaussianPass(opponent[c], pass, width, height, sigma, false);
            GaussianPass(pass, blurred, width, height, sigma, true);
            for (std::size_t i = 0; i < n; ++i) filtered[c][i] += term.weight * blurred[i];
        }
    }
    // Back to XYZ by the opponent matrix's inverse (by cofactors).
    const auto& m = kOpponent;
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    double inv[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};
    std::vector<Lab> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        double f[3];
        for (int r = 0; r < 3; ++r) {
            const double v = std::max(0.0, inv[r][0] * filtered[0][i] + inv[r][1] * filtered[1][i] +
                                               inv[r][2] * filtered[2][i]) /
                             kWhite[r];
            f[r] = v > 0.008856 ? std::cbrt(v) : 7.787 * v + 16.0 / 116.0;
        }
        out[i] = {float(116.0 * f[1] - 16.0), float(500.0 * (f[0] - f[1])),
                  float(200.0 * (f[1] - f[2]))};
    }
    return out;
}

SpatialFigures SpatialDifference(const std::vector<Lab>& source, const Picture& result) {
    const std::vector<Lab> seen = SpatialLab(result, 23.0);
    std::vector<double> d(source.size());
    SpatialFigures f;
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i] = Ciede2000(source[i], seen[i]);
        f.mean += d[i];
        f.over10 += d[i] > 10.0;
    }
    f.mean /= double(d.size());
    f.over10 /= double(d.size());
    // The 95th percentile between neighbouring ranks, as numpy takes it.
    std::sort(d.begin(), d.end());
    const double rank = 0.95 * double(d.size() - 1);
    const std::size_t low = std::size_t(rank);
    const double part = rank - double(low);
    f.p95 = d[low] + (low + 1 < d.size() ? part * (d[low + 1] - d[low]) : 0.0);
    return f;
}

Picture Shown(const Image& image) {
    RgbTable table;
    BuildRgbTable(table);
    Picture picture{image.desc.width, image.desc.height, {}};
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    const int step = image.desc.pixelWidth == 2 ? 2 : 1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) = table[std::size_t(ColorCodeAt(image, x - x % step, y))];
    return picture;
}

double CpuMilliseconds(std::clock_t start) {
    return 1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC;
}

// Each screen pixel's exact difference to every palette color.
std::vector<std::vector<float>> ExactTable(const Picture& source) {
    const std::vector<PaletteColor>& palette = TedPalette();
    std::vector<Lab> labs;
    for (const PaletteColor& c : palette) labs.push_back(LabOf(c.rgb));
    std::vector<std::vector<float>> table(source.pixels.size());
    for (std::size_t i = 0; i < source.pixels.size(); ++i) {
        const Lab lab = LabOf(source.pixels[i]);
        table[i].resize(palette.size());
        for (std::size_t c = 0; c < palette.size(); ++c)
            table[i][c] = float(Ciede2000(lab, labs[c]));
    }
    return table;
}

int PaletteIndexOf(ColorCode code) {
    RgbTable table;
    BuildRgbTable(table);
    const std::vector<PaletteColor>& palette = TedPalette();
    for (std::size_t c = 0; c < palette.size(); ++c)
        if (palette[c].rgb == table[std::size_t(code)]) return int(c);
    return 0;
}

// The least mean difference with two colors per cell of cellWidth screen
// pixels (each target pixel pixelWidth of them) and, when given, two
// image-wide colors every pixel may take instead.
double ExhaustiveOptimum(const Picture& source, const std::vector<std::vector<float>>& exact,
                         int pixelWidth, const int* globals) {
    const int colors = int(TedPalette().size());
    const int cellWidth = 8 / pixelWidth;
    const int width = source.width / pixelWidth;
    double total = 0;
    std::vector<float> cost;  // [color][pixel]
    for (int cy = 0; cy < (source.height + 7) / 8; ++cy)
        for (int cx = 0; cx < (width + cellWidth - 1) / cellWidth; ++cx) {
            std::vector<int> pixels;  // first screen pixel of each target pixel
            for (int y = cy * 8; y < std::min(cy * 8 + 8, source.height); ++y)
                for (int x = cx * cellWidth; x < std::min(cx * cellWidth + cellWidth, width); ++x)
                    pixels.push_back(y * source.width + x * pixelWidth);
            const int n = int(pixels.size());
            cost.assign(std::size_t(colors) * std::size_t(n), 0.0f);
            std::vector<float> floor(std::size_t(n), 1e30f);
            for (int c = 0; c < colors; ++c)
                for (int p = 0; p < n; ++p)
                    for (int k = 0; k < pixelWidth; ++k)
                        cost[std::size_t(c * n + p)] +=
                            exact[std::size_t(pixels[std::size_t(p)] + k)][std::size_t(c)];
            if (globals != nullptr)
                for (int p = 0; p < n; ++p)
                    floor[std::size_t(p)] = std::min(cost[std::size_t(globals[0] * n + p)],
                                                     cost[std::size_t(globals[1] * n + p)]);
            for (float& c : cost) c = std::min(c, floor[std::size_t(&c - cost.data()) % n]);
            float best = 1e30f;
            for (int i = 0; i < colors; ++i)
                for (int j = i; j < colors; ++j) {
                    const float* x = &cost[std::size_t(i * n)];
                    const float* y = &cost[std::size_t(j * n)];
                    // Eight running sums, so that the loop runs in vectors.
                    float sums[8] = {};
                    int p = 0;
                    for (; p + 8 <= n; p += 8)
                        for (int k = 0; k < 8; ++k) sums[k] += std::min(x[p + k], y[p + k]);
                    float sum = 0;
                    for (; p < n; ++p) sum += std::min(x[p], y[p]);
                    for (float part : sums) sum += part;
                    best = std::min(best, sum);
                }
            total += best;
        }
    return total / double(source.pixels.size());
}

// ExhaustiveOptimum of a multicolor picture with each of the two image-wide
// colors replaced by every other color in turn, each change kept that lowers it.
double ExhaustiveGlobalSearch(const Picture& source, const std::vector<std::vector<float>>& exact,
                              const int* start) {
    int globals[2] = {start[0], start[1]};
    double best = ExhaustiveOptimum(source, exact, 2, globals);
    for (int slot = 0; slot < 2; ++slot)
        for (int c = 0; c < int(TedPalette().size()); ++c) {
            int tried[2] = {globals[0], globals[1]};
            tried[slot] = c;
            if (tried[0] == tried[1] || c == globals[slot]) continue;
            const double d = ExhaustiveOptimum(source, exact, 2, tried);
            if (d < best) best = d, globals[0] = tried[0], globals[1] = tried[1];
        }
    return best;
}

int Prepare(const std::string& input, const std::string& output) {
    const Picture source = ReadPictureFile(input, 1 << 20, 1 << 20);
    const LinearPicture scaled = ScalePicture(source, 320, 200, 1, Fitting::Crop);
    Picture out{320, 200, std::vector<RgbColor>(320 * 200)};
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        const LinearRgb& p = scaled.pixels[i];
        auto byte = [](float v) { return int(std::lround(SrgbFromLinear(v) * 255.0f)); };
        out.pixels[i] = MakeRgbColor(byte(p.r), byte(p.g), byte(p.b));
    }
    const std::vector<uint8_t> bytes = EncodePictureFile(out, PictureFileType::Png);
    std::ofstream(output, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    ColorMetric metric = ColorMetric::Weighted;
    std::string writeFolder;
    std::string anchorFolder;  // another converter's results, scored beside ours
    std::string only;          // one mode's name, for profiling
    bool exhaustive = false;
    bool dfli = false;
    bool searchGlobals = false;  // with --exhaustive-globals, slow
    int runs = 3;                // the fastest counts
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--prepare" && i + 2 < argc) return Prepare(argv[i + 1], argv[i + 2]);
        if (arg == "--metric" && i + 1 < argc) {
            metric = std::string(argv[++i]) == "lab" ? ColorMetric::Lab : ColorMetric::Weighted;
            continue;
        }
        if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
            continue;
        }
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        if (arg == "--dfli") {
            dfli = true;
            continue;
        }
        if (arg == "--exhaustive") {
            exhaustive = true;
            continue;
        }
        if (arg == "--exhaustive-globals") {
            exhaustive = searchGlobals = true;
            continue;
        }
        if (arg == "--anchor" && i + 1 < argc) {
            anchorFolder = argv[++i];
            continue;
        }
        if (arg == "--write" && i + 1 < argc) {
            writeFolder = argv[++i];
            continue;
        }
        files.push_back(arg);
    }
    if (files.empty()) {
        const std::filesystem::path folder =
            std::filesystem::path(PIXOLAT_SOURCE_DIR) / "bench" / "pictures";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".png") files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
    }
    std::cout << std::left << std::setw(22) << "picture";
    for (const Mode& mode : kModes) std::cout << std::right << std::setw(17) << mode.name;
    std::cout << "\n";
    std::vector<double> sums(std::size(kModes)), worst(std::size(kModes)), times(std::size(kModes));
    std::vector<int> over(std::size(kModes));
    std::ostringstream spatial;  // S-CIELAB per picture and mode
    std::vector<SpatialFigures> spatialSums(std::size(kModes)), anchorSums(std::size(kModes));
    std::vector<double> spatialWorst(std::size(kModes));
    ConvertedImage result;
    std::ostringstream optima;
    double optimumSums[2] = {};
    double searchedSum = 0;
    for (const std::string& file : files) {
        Picture source;
        try {
            source = ReadPictureFile(file, 320, 200);
        } catch (const Error& e) {
            std::cerr << e.text() << "\n";
            return 1;
        }
        const std::string stem = std::filesystem::path(file).stem().string();
        // With an anchor, multicolor converts (and is judged against) its
        // half-width source, as the anchor's results were.
        Picture halfWidth;
        if (!anchorFolder.empty())
            halfWidth = ReadPictureFile(anchorFolder + "/" + stem + "_mc.png", 320, 200);
        const Picture* sourceOf[2] = {&source, halfWidth.pixels.empty() ? &source : &halfWidth};
        const std::vector<Lab> spatialSource[2] = {SpatialLab(*sourceOf[0], 23.0),
                                                   SpatialLab(*sourceOf[1], 23.0)};
        spatial << std::left << std::setw(22) << stem.substr(0, 21);
        const LinearImage plainOf[2] = {LinearPixels(*sourceOf[0]), LinearPixels(*sourceOf[1])};
        const LinearImage blurredOf[2] = {Blur(plainOf[0], source.width, source.height),
                                          Blur(plainOf[1], source.width, source.height)};
        std::cout << std::left << std::setw(22)
                  << std::filesystem::path(file).stem().string().substr(0, 21);
        for (std::size_t m = 0; m < std::size(kModes); ++m) {
            if (!only.empty() && only != kModes[m].name) {
                std::cout << std::right << std::setw(17) << "-";
                spatial << std::right << std::setw(anchorFolder.empty() ? 19 : 25) << "-";
                continue;
            }
            ConversionOptions options;
            options.multicolor = kModes[m].multicolor;
            options.dithering = kModes[m].dithering;
            options.metric = metric;
            options.dfli = dfli;
            // The fastest of the runs: the time of the conversion, not of the machine's other
            // work.
            double best = 1e9;
            for (int run = 0; run < runs; ++run) {
                const std::clock_t start = std::clock();
                ConvertPicture(*sourceOf[options.multicolor], options, result);
                best = std::min(best, CpuMilliseconds(start));
            }
            times[m] += best;
            const Picture shownPicture = Shown(result.image());
            if (!writeFolder.empty()) {
                const std::vector<uint8_t> bytes =
                    EncodePictureFile(shownPicture, PictureFileType::Png);
                std::ofstream(writeFolder + "/" + std::filesystem::path(file).stem().string() +
                                  "-" + std::to_string(m) + ".png",
                              std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()),
                           std::streamsize(bytes.size()));
            }
            const LinearImage shown = LinearPixels(shownPicture);
            const int k = kModes[m].multicolor;
            const double d =
                kModes[m].blurred
                    ? MeanDifference(blurredOf[k], Blur(shown, source.width, source.height))
                    : MeanDifference(plainOf[k], shown);
            if (exhaustive && kModes[m].dithering == Dithering::None) {
                const auto exact = ExactTable(source);
                const int globals[2] = {PaletteIndexOf(result.image().desc.color0),
                                        PaletteIndexOf(result.image().desc.color3)};
                const double optimum =
                    ExhaustiveOptimum(source, exact, kModes[m].multicolor ? 2 : 1,
                                      kModes[m].multicolor ? globals : nullptr);
                optimumSums[kModes[m].multicolor ? 1 : 0] += optimum;
                optima << std::left << std::setw(22)
                       << std::filesystem::path(file).stem().string().substr(0, 21) << std::right
                       << std::setw(8) << kModes[m].name << std::fixed << std::setprecision(2)
                       << std::setw(10) << d << std::setw(10) << optimum;
                if (kModes[m].multicolor && searchGlobals) {
                    const double searched = ExhaustiveGlobalSearch(source, exact, globals);
                    searchedSum += searched;
                    optima << std::setw(10) << searched;
                }
                optima << "\n";
            }
            const SpatialFigures f =
                SpatialDifference(spatialSource[kModes[m].multicolor], shownPicture);
            spatialSums[m].mean += f.mean, spatialSums[m].p95 += f.p95,
                spatialSums[m].over10 += f.over10;
            spatial << std::right << std::fixed << std::setprecision(2) << std::setw(7) << f.mean
                    << std::setw(6) << f.p95 << std::setw(5) << std::setprecision(0)
                    << 100.0 * f.over10 << "%";
            if (!anchorFolder.empty()) {
                // The anchor's undithered result, or the better of its two dithered ones.
                const std::string prefix =
                    anchorFolder + "/" + stem + (kModes[m].multicolor ? "_mc_" : "_hires_");
                SpatialFigures best{1e9, 0, 0};
                for (const std::filesystem::directory_entry& entry :
                     std::filesystem::directory_iterator(anchorFolder)) {
                    const std::string name = entry.path().string();
                    const bool plainFile = name.ends_with("_off.png");
                    if (!name.starts_with(prefix) || name.ends_with("_mc.png") ||
                        plainFile != (kModes[m].dithering == Dithering::None))
                        continue;
                    const SpatialFigures a = SpatialDifference(spatialSource[kModes[m].multicolor],
                                                               ReadPictureFile(name, 320, 200));
                    if (a.mean < best.mean) best = a;
                }
                anchorSums[m].mean += best.mean, anchorSums[m].p95 += best.p95;
                anchorSums[m].over10 += best.over10;
                spatialWorst[m] = std::max(spatialWorst[m], f.mean / best.mean);
                spatial << std::setprecision(2) << std::setw(6) << best.mean;
            }
            sums[m] += d;
            worst[m] = std::max(worst[m], d / kModes[m].goal);
            over[m] += d > 1.1 * kModes[m].goal;
            std::cout << std::right << std::setw(17) << std::fixed << std::setprecision(2) << d;
        }
        std::cout << "\n";
        spatial << "\n";
    }
    const double n = double(files.size());
    std::cout << std::left << std::setw(22) << "mean";
    for (double s : sums) std::cout << std::right << std::setw(17) << s / n;
    std::cout << "\n" << std::left << std::setw(22) << "goal";
    for (const Mode& mode : kModes) std::cout << std::right << std::setw(17) << mode.goal;
    std::cout << "\n" << std::left << std::setw(22) << "worst / goal";
    for (double w : worst) std::cout << std::right << std::setw(17) << w;
    std::cout << "\n" << std::left << std::setw(22) << "over 1.1 x goal";
    for (int o : over) std::cout << std::right << std::setw(17) << o;
    std::cout << "\n" << std::left << std::setw(22) << "CPU ms per picture";
    for (double t : times) std::cout << std::right << std::setw(17) << t / n;
    std::cout << "\n";
    std::cout
        << "\nS-CIELAB (CIEDE2000 as the eye filters both, 23 samples per degree): mean, 95th "
           "percentile, share above 10"
        << (anchorFolder.empty() ? "" : ", the anchor's mean") << "\n"
        << spatial.str() << std::left << std::setw(22) << "mean";
    for (std::size_t m = 0; m < std::size(kModes); ++m) {
        std::cout << std::right << std::fixed << std::setprecision(2) << std::setw(7)
                  << spatialSums[m].mean / n << std::setw(6) << spatialSums[m].p95 / n
                  << std::setw(5) << std::setprecision(0) << 100.0 * spatialSums[m].over10 / n
                  << "%";
        if (!anchorFolder.empty())
            std::cout << std::setprecision(2) << std::setw(6) << anchorSums[m].mean / n;
    }
    std::cout << "\n";
    if (!anchorFolder.empty()) {
        std::cout << std::left << std::setw(22) << "worst ours / anchor";
        for (double w : spatialWorst)
            std::cout << std::right << std::setprecision(2) << std::setw(24) << w;
        std::cout << "\n";
    }
    if (exhaustive) {
        std::cout
            << "\nleast reachable (every pair in every cell; multi with our image-wide pair,\n"
            << "and with the searched pair under --exhaustive-globals)\n"
            << std::left << std::setw(22) << "picture" << std::right << std::setw(8) << "mode"
            << std::setw(10) << "ours" << std::setw(10) << "optimum" << std::setw(10)
            << (searchGlobals ? "searched" : "") << "\n"
            << optima.str() << std::left << std::setw(22) << "mean optimum" << std::right
            << std::fixed << std::setprecision(2) << std::setw(10) << optimumSums[0] / n
            << std::setw(10) << optimumSums[1] / n << std::setw(10) << searchedSum / n
            << "  (hires, multi, multi searched)\n";
    }
    return 0;
}
