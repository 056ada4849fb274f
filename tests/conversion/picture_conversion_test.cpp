#include "conversion/picture_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>

#include "conversion/cell_dithering.h"
#include "document/colors.h"
#include "document/pixels.h"

using namespace pixolat;

namespace {

RgbColor RgbOf(ColorCode code) {
    const auto& t = ColorTriplet(code);
    return MakeRgbColor(t[0], t[1], t[2]);
}

// The image as the editor shows it, one RGB color per hires position.
Picture Shown(const Image& image) {
    Picture picture{image.desc.width, image.desc.height, {}};
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    const int step = image.desc.pixelWidth == 2 ? 2 : 1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) = RgbOf(ColorCodeAt(image, x - x % step, y));
    return picture;
}

// Distinct palette colors, picked at random.
std::vector<ColorCode> DistinctCodes(std::mt19937& random, int count) {
    std::vector<int> indices(TedPalette().size());
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = int(i);
    std::shuffle(indices.begin(), indices.end(), random);
    std::vector<ColorCode> codes;
    for (int i = 0; i < count; ++i)
        codes.push_back(TedPalette()[std::size_t(indices[std::size_t(i)])].code);
    return codes;
}

void SetCell(Image& image, int bank, int cx, int cy, ColorCode color1, ColorCode color2) {
    image.colmap.at(bank, cx, cy) = uint8_t((color1 & 0x0F) << 4 | (color2 & 0x0F));
    image.lummap.at(bank, cx, cy) = uint8_t((color2 & 0xF0) | (color1 >> 4));
}

// An editor image of random pixels in which every cell shows two distinct
// colors, the one of the lower pixel value (hires 0, multicolor 1) on more
// pixels than the other, and color0 on more pixels than color3: the way a
// conversion lays them out.
void RandomEditorImage(Image& image, bool multicolor, bool dfli, unsigned seed) {
    std::mt19937 random(seed);
    const std::vector<ColorCode> globals = DistinctCodes(random, 2);
    image.desc = ImageDescriptor{"",
                                 320,
                                 200,
                                 multicolor ? 2 : 1,
                                 Layout::Bitmap,
                                 dfli ? ColorMapKind::Dfli : ColorMapKind::Normal,
                                 globals[0],
                                 globals[1]};
    const int step = multicolor ? 2 : 1, cellRows = dfli ? 2 : 8;
    for (int cy = 0; cy < 200 / cellRows; ++cy)
        for (int cx = 0; cx < 40; ++cx) {
            std::vector<ColorCode> pair;
            do pair = DistinctCodes(random, 2);
            while (multicolor && (std::count(globals.begin(), globals.end(), pair[0]) ||
                                  std::count(globals.begin(), globals.end(), pair[1])));
            const int y0 = cy * cellRows;
            SetCell(image, BankOf(image.desc, y0), cx, y0 / 8, pair[0], pair[1]);
            // Values per pixel: fewer of the lower cell value, color3 rare.
            const int pixels = 8 / step * cellRows;
            std::vector<PixelValue> values(std::size_t(pixels), multicolor ? 1 : 0);
            const int fewer =
                1 + int(random() % unsigned(multicolor ? pixels / 4 : pixels / 2 - 1));
            for (int i = 0; i < fewer; ++i) values[std::size_t(i)] = multicolor ? 2 : 1;
            if (multicolor) {
                values[std::size_t(fewer)] = 0;
                values[std::size_t(fewer) + 1] = 0;
                values[std::size_t(fewer) + 2] = 3;
            }
            std::shuffle(values.begin(), values.end(), random);
            for (int i = 0; i < pixels; ++i)
                StorePixelValue(image, cx * 8 + (i % (8 / step)) * step, y0 + i / (8 / step),
                                values[std::size_t(i)]);
        }
}

// Everything a conversion writes.
std::vector<uint8_t> BytesOf(const Image& image) {
    std::vector<uint8_t> bytes(image.plane.data(), image.plane.data() + kPlaneBytes);
    bytes.insert(bytes.end(), image.colmap.data(), image.colmap.data() + kAttributeBytes);
    bytes.insert(bytes.end(), image.lummap.data(), image.lummap.data() + kAttributeBytes);
    bytes.push_back(uint8_t(image.desc.color0));
    bytes.push_back(uint8_t(image.desc.color3));
    bytes.push_back(uint8_t(image.desc.width));
    return bytes;
}

struct Mode {
    bool multicolor;
    bool dfli;
};
const Mode kModes[] = {{false, false}, {true, false}, {false, true}, {true, true}};

}  // namespace

TEST(PictureConversion, PicturesOfTwoTedColorsPerCellComeBackExactlyWithAnyDithering) {
    for (const Mode mode : kModes)
        for (Dithering dithering : {Dithering::None, Dithering::Ordered, Dithering::Diffusion}) {
            SCOPED_TRACE(testing::Message() << "multicolor " << mode.multicolor << " dfli "
                                            << mode.dfli << " dithering " << int(dithering));
            // Any two colors per cell, whichever pixels, nothing image-wide.
            std::mt19937 random(unsigned(mode.multicolor * 2 + mode.dfli));
            const int step = mode.multicolor ? 2 : 1, cellRows = mode.dfli ? 2 : 8;
            Picture picture{320, 200, std::vector<RgbColor>(320 * 200)};
            for (int cy = 0; cy < 200 / cellRows; ++cy)
                for (int cx = 0; cx < 40; ++cx) {
                    const std::vector<ColorCode> pair = DistinctCodes(random, 2);
                    for (int y = cy * cellRows; y < (cy + 1) * cellRows; ++y)
                        for (int x = cx * 8; x < cx * 8 + 8; x += step) {
                            const RgbColor c = RgbOf(pair[random() % 2]);
                            for (int k = 0; k < step; ++k) picture.at(x + k, y) = c;
                        }
                }
            ConversionOptions options;
            options.multicolor = mode.multicolor;
            options.dfli = mode.dfli;
            options.dithering = dithering;
            auto result = std::make_unique<ConvertedImage>();
            ConvertPicture(picture, options, *result);
            const Picture shown = Shown(result->image());
            int wrong = 0;
            for (std::size_t i = 0; i < shown.pixels.size(); ++i)
                wrong += shown.pixels[i] != picture.pixels[i];
            EXPECT_EQ(wrong, 0);
        }
}

TEST(PictureConversion, AnEditorPictureConvertsBackToTheSamePixelsAndCells) {
    static ImageStore store;
    for (const Mode mode : kModes) {
        SCOPED_TRACE(testing::Message()
                     << "multicolor " << mode.multicolor << " dfli " << mode.dfli);
        Image& original = store.image(1);
        RandomEditorImage(original, mode.multicolor, mode.dfli, 7);
        ConversionOptions options;
        options.multicolor = mode.multicolor;
        options.dfli = mode.dfli;
        auto result = std::make_unique<ConvertedImage>();
        ConvertPicture(Shown(original), options, *result);
        const Image& back = result->image();
        EXPECT_EQ(back.desc.width, 320);
        EXPECT_EQ(back.desc.height, 200);
        EXPECT_EQ(back.desc.pixelWidth, original.desc.pixelWidth);
        EXPECT_EQ(back.desc.colorMapKind, original.desc.colorMapKind);
        if (mode.multicolor) {
            EXPECT_EQ(back.desc.color0, original.desc.color0);
            EXPECT_EQ(back.desc.color3, original.desc.color3);
        }
        int pixels = 0, cells = 0;
        for (int x = 0; x < 320; ++x)
            for (int y = 0; y < 200; ++y) {
                pixels += back.plane.at(x, y) != original.plane.at(x, y);
                const int bank = BankOf(original.desc, y);
                cells +=
                    back.colmap.at(bank, x / 8, y / 8) != original.colmap.at(bank, x / 8, y / 8) ||
                    back.lummap.at(bank, x / 8, y / 8) != original.lummap.at(bank, x / 8, y / 8);
            }
        EXPECT_EQ(pixels, 0);
        EXPECT_EQ(cells, 0);
    }
}

TEST(PictureConversion, EveryOptionGivesAValidImageForPicturesOfAnySize) {
    std::mt19937 random(11);
    const int sizes[][2] = {{1, 1}, {3, 997}, {641, 5}, {17, 13}, {0, 0}, {321, 201}, {2, 1}};
    auto result = std::make_unique<ConvertedImage>();
    // Every mode, dithering and fitting once, each with the next picture size
    // and random strength and adjustments.
    int combination = 0;
    for (const Mode mode : kModes)
        for (Dithering dithering : {Dithering::None, Dithering::Ordered, Dithering::Diffusion})
            for (Fitting fitting : {Fitting::Fit, Fitting::Crop, Fitting::Stretch}) {
                const auto& size = sizes[combination++ % std::size(sizes)];
                Picture picture{size[0], size[1], {}};
                for (int i = 0; i < size[0] * size[1]; ++i)
                    picture.pixels.push_back(RgbColor(random() & 0xFFFFFF));
                ConversionOptions options;
                options.multicolor = mode.multicolor;
                options.dfli = mode.dfli;
                options.dithering = dithering;
                options.fitting = fitting;
                options.strength = int(random() % 101);
                options.adjustments = {int(random() % 201) - 100, int(random() % 201) - 100,
                                       int(random() % 201) - 100, 0.2 + (random() % 48) / 10.0};
                ConvertPicture(picture, options, *result);
                const Image& image = result->image();
                SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1] << " mode "
                                                << mode.multicolor << mode.dfli << " dither "
                                                << int(dithering) << " fit " << int(fitting));
                ASSERT_EQ(image.desc.width, 320);
                ASSERT_EQ(image.desc.height, 200);
                ASSERT_EQ(image.desc.pixelWidth, mode.multicolor ? 2 : 1);
                ASSERT_EQ(image.desc.colorMapKind,
                          mode.dfli ? ColorMapKind::Dfli : ColorMapKind::Normal);
                ASSERT_LT(image.desc.color0, 128);
                ASSERT_LT(image.desc.color3, 128);
                // Plane bytes 0 or 1 inside the image and 0 outside; every
                // pixel shows a color of the table.
                int bad = 0;
                for (int x = 0; x < kPlaneWidth; ++x) {
                    const uint8_t* column = image.plane.column(x);
                    for (int y = 0; y < kPlaneHeight; ++y)
                        bad += column[y] > ((x < 320 && y < 200) ? 1 : 0);
                }
                for (int y = 0; y < 200; ++y)
                    for (int x = 0; x < 320; ++x) bad += ColorCodeAt(image, x, y) >= 128;
                ASSERT_EQ(bad, 0);
            }
}

TEST(PictureConversion, FittingKeepsTheShapeOrFillsTheImage) {
    // A white picture 3.2 times as wide as high: fit leaves bars of 50 rows
    // above and below, crop and stretch fill the whole image.
    const Picture wide{640, 200, std::vector<RgbColor>(640 * 200, 0xFFFFFF)};
    struct Row {
        Fitting fitting;
        bool multicolor;
        int blackRows;
    };
    for (const Row& row : {Row{Fitting::Fit, false, 100}, Row{Fitting::Fit, true, 100},
                           Row{Fitting::Crop, false, 0}, Row{Fitting::Stretch, true, 0}}) {
        ConversionOptions options;
        options.fitting = row.fitting;
        options.multicolor = row.multicolor;
        const LinearPicture scaled = ScaleForConversion(wide, options);
        ASSERT_EQ(scaled.width, 320);
        ASSERT_EQ(scaled.height, 200);
        int black = 0;
        for (int y = 0; y < 200; ++y) black += scaled.at(scaled.width / 2, y).g < 0.01f;
        EXPECT_EQ(black, row.blackRows);
        // The bars are black, the picture stays white to its edges: the
        // filter's weights sum to one whatever the reduction.
        EXPECT_GT(scaled.at(0, 100).g, 0.99f);
        EXPECT_GT(scaled.at(scaled.width - 1, 100).g, 0.99f);
    }
}

TEST(PictureConversion, AdjustmentsMoveTheColorsTheWayTheirNamesSay) {
    const Picture gray{8, 8, std::vector<RgbColor>(64, MakeRgbColor(100, 110, 120))};
    ConversionOptions options;
    options.width = 8;
    options.height = 8;
    const LinearPicture plain = ScaleForConversion(gray, options);
    auto adjusted = [&](Adjustments a) {
        LinearPicture p = plain;
        Adjust(p, a);
        return p.at(3, 3);
    };
    EXPECT_GT(adjusted({40, 0, 0, 1.0}).g, plain.at(3, 3).g);
    EXPECT_LT(adjusted({-40, 0, 0, 1.0}).g, plain.at(3, 3).g);
    EXPECT_GT(adjusted({0, 0, 0, 2.0}).g, plain.at(3, 3).g);
    const LinearRgb gray0 = adjusted({0, 0, -100, 1.0});
    EXPECT_NEAR(gray0.r, gray0.b, 1e-4);
    const LinearRgb vivid = adjusted({0, 0, 100, 1.0});
    EXPECT_GT(vivid.b - vivid.r, plain.at(3, 3).b - plain.at(3, 3).r);
    // Contrast pushes a dark gray darker.
    EXPECT_LT(adjusted({0, 50, 0, 1.0}).g, plain.at(3, 3).g);
}

namespace {

// Sharma, Wu and Dalal's 34 published CIEDE2000 pairs; 9 to 15 are the hue
// wraps (two hues all but opposite).
struct SharmaPair {
    Lab first, second;
    double difference;
};
const SharmaPair kSharmaPairs[] = {
    {{50.0f, 2.6772f, -79.7751f}, {50.0f, 0.0f, -82.7485f}, 2.0425},
    {{50.0f, 3.1571f, -77.2803f}, {50.0f, 0.0f, -82.7485f}, 2.8615},
    {{50.0f, 2.8361f, -74.0200f}, {50.0f, 0.0f, -82.7485f}, 3.4412},
    {{50.0f, -1.3802f, -84.2814f}, {50.0f, 0.0f, -82.7485f}, 1.0},
    {{50.0f, -1.1848f, -84.8006f}, {50.0f, 0.0f, -82.7485f}, 1.0},
    {{50.0f, -0.9009f, -85.5211f}, {50.0f, 0.0f, -82.7485f}, 1.0},
    {{50.0f, 0.0f, 0.0f}, {50.0f, -1.0f, 2.0f}, 2.3669},
    {{50.0f, -1.0f, 2.0f}, {50.0f, 0.0f, 0.0f}, 2.3669},
    {{50.0f, 2.49f, -0.001f}, {50.0f, -2.49f, 0.0009f}, 7.1792},
    {{50.0f, 2.49f, -0.001f}, {50.0f, -2.49f, 0.001f}, 7.1792},
    {{50.0f, 2.49f, -0.001f}, {50.0f, -2.49f, 0.0011f}, 7.2195},
    {{50.0f, 2.49f, -0.001f}, {50.0f, -2.49f, 0.0012f}, 7.2195},
    {{50.0f, -0.001f, 2.49f}, {50.0f, 0.0009f, -2.49f}, 4.8045},
    {{50.0f, -0.001f, 2.49f}, {50.0f, 0.001f, -2.49f}, 4.8045},
    {{50.0f, -0.001f, 2.49f}, {50.0f, 0.0011f, -2.49f}, 4.7461},
    {{50.0f, 2.5f, 0.0f}, {50.0f, 0.0f, -2.5f}, 4.3065},
    {{50.0f, 2.5f, 0.0f}, {73.0f, 25.0f, -18.0f}, 27.1492},
    {{50.0f, 2.5f, 0.0f}, {61.0f, -5.0f, 29.0f}, 22.8977},
    {{50.0f, 2.5f, 0.0f}, {56.0f, -27.0f, -3.0f}, 31.9030},
    {{50.0f, 2.5f, 0.0f}, {58.0f, 24.0f, 15.0f}, 19.4535},
    {{50.0f, 2.5f, 0.0f}, {50.0f, 3.1736f, 0.5854f}, 1.0},
    {{50.0f, 2.5f, 0.0f}, {50.0f, 3.2972f, 0.0f}, 1.0},
    {{50.0f, 2.5f, 0.0f}, {50.0f, 1.8634f, 0.5757f}, 1.0},
    {{50.0f, 2.5f, 0.0f}, {50.0f, 3.2592f, 0.3350f}, 1.0},
    {{60.2574f, -34.0099f, 36.2677f}, {60.4626f, -34.1751f, 39.4387f}, 1.2644},
    {{63.0109f, -31.0961f, -5.8663f}, {62.8187f, -29.7946f, -4.0864f}, 1.2630},
    {{61.2901f, 3.7196f, -5.3901f}, {61.4292f, 2.2480f, -4.9620f}, 1.8731},
    {{35.0831f, -44.1164f, 3.7933f}, {35.0232f, -40.0716f, 1.5901f}, 1.8645},
    {{22.7233f, 20.0904f, -46.6940f}, {23.0331f, 14.9730f, -42.5619f}, 2.0373},
    {{36.4612f, 47.8580f, 18.3852f}, {36.2715f, 50.5065f, 21.2231f}, 1.4146},
    {{90.8027f, -2.0831f, 1.4410f}, {91.1528f, -1.6435f, 0.0447f}, 1.4441},
    {{90.9257f, -0.5406f, -0.9208f}, {88.6381f, -0.8985f, -0.7239f}, 1.5381},
    {{6.7747f, -0.2908f, -2.4247f}, {5.8714f, -0.0985f, -2.2286f}, 0.6377},
    {{2.0776f, 0.0795f, -1.1350f}, {0.9033f, -0.0636f, -0.5514f}, 0.9082},
};

}  // namespace

TEST(PictureConversion, Ciede2000MatchesThePublishedPairs) {
    int row = 0;
    for (const SharmaPair& pair : kSharmaPairs) {
        SCOPED_TRACE(testing::Message() << "pair " << ++row);
        EXPECT_NEAR(Ciede2000(pair.first, pair.second), pair.difference, 1e-4);
        EXPECT_NEAR(Ciede2000(pair.second, pair.first), pair.difference, 1e-4);
    }
    EXPECT_EQ(Ciede2000(LabOf(0x123456), LabOf(0x123456)), 0.0);
}

TEST(PictureConversion, QuickCiede2000AgreesWithTheFullFormula) {
    // Random pairs over the whole Lab range, with greys, near pairs and
    // blues (where the rotation term acts) oversampled.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> lightness(0.0f, 100.0f), axis(-110.0f, 110.0f);
    for (int i = 0; i < 20000; ++i) {
        Lab p{lightness(random), axis(random), axis(random)};
        Lab q{lightness(random), axis(random) * 0.3f, axis(random) * 0.3f};
        if (i % 5 == 0) p.a = p.b = 0.0f;
        if (i % 7 == 0) q = {p.l + 1.0f, p.a * 0.9f, p.b + 2.0f};
        if (i % 3 == 0) p.b = -std::abs(p.b) - 20.0f, q.b = -std::abs(q.b);
        if (i % 11 == 0) q = {p.l + 0.5f, -0.5f * p.a, -0.5f * p.b};  // opposite hues
        const double full = Ciede2000(p, q);
        const float quick = Ciede2000Fast(p, std::hypot(p.a, p.b), q, std::hypot(q.a, q.b));
        ASSERT_NEAR(quick, full, 1e-4 + 0.0035 * full)
            << p.l << " " << p.a << " " << p.b << " / " << q.l << " " << q.a << " " << q.b;
    }
    for (const SharmaPair& pair : kSharmaPairs)
        EXPECT_NEAR(Ciede2000Fast(pair.first, std::hypot(pair.first.a, pair.first.b), pair.second,
                                  std::hypot(pair.second.a, pair.second.b)),
                    pair.difference, 0.002);
    // Lightness by the quick cube root, against the definition.
    for (int v = 0; v <= 1000; ++v) {
        const float y = float(v) / 1000.0f;
        const double f =
            y > 216.0 / 24389.0 ? std::cbrt(double(y)) : (24389.0 / 27.0 * y + 16) / 116;
        EXPECT_NEAR(LabFromLinear({y, y, y}).l, 116.0 * f - 16.0, 1e-3);
    }
}

namespace {

// A picture of smooth random blobs with a little noise, as photographs have.
Picture BlobPicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    float cx[3][3], cy[3][3];
    for (auto& c : cx)
        for (float& v : c) v = float(random() % 1000) / 1000.0f;
    for (auto& c : cy)
        for (float& v : c) v = float(random() % 1000) / 1000.0f;
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int channel[3];
            for (int k = 0; k < 3; ++k) {
                const float u = float(x) / float(width), v = float(y) / float(height);
                const float wave = std::sin(6.0f * (cx[k][0] * u + cy[k][0] * v) + cx[k][1]) *
                                   std::cos(5.0f * (cx[k][2] * v - cy[k][2] * u) + cy[k][1]);
                channel[k] = std::clamp(int(128 + 110 * wave) + int(random() % 17) - 8, 0, 255);
            }
            picture.pixels.push_back(MakeRgbColor(channel[0], channel[1], channel[2]));
        }
    return picture;
}

// Mean CIEDE2000 between two linear pictures after a 3 x 3 Gaussian of
// both, the way the eye mixes dither.
double BlurredDifference(const std::vector<LinearRgb>& a, const std::vector<LinearRgb>& b,
                         int width, int height) {
    auto blur = [&](const std::vector<LinearRgb>& in, int x, int y) {
        LinearRgb sum;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const float k = float((2 - std::abs(dx)) * (2 - std::abs(dy))) / 16.0f;
                const LinearRgb& p = in[std::size_t(std::clamp(y + dy, 0, height - 1) * width +
                                                    std::clamp(x + dx, 0, width - 1))];
                sum.r += k * p.r, sum.g += k * p.g, sum.b += k * p.b;
            }
        return LabFromLinear(sum);
    };
    double total = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) total += Ciede2000(blur(a, x, y), blur(b, x, y));
    return total / double(width * height);
}

}  // namespace

TEST(PictureConversion, DitheringAtStrengthZeroIsNoDithering) {
    const Picture picture = BlobPicture(120, 60, 3);
    auto plain = std::make_unique<ConvertedImage>();
    auto dithered = std::make_unique<ConvertedImage>();
    for (const Mode mode : kModes)
        for (Dithering dithering : {Dithering::Ordered, Dithering::Diffusion}) {
            SCOPED_TRACE(testing::Message() << "multicolor " << mode.multicolor << " dfli "
                                            << mode.dfli << " dithering " << int(dithering));
            ConversionOptions options;
            options.multicolor = mode.multicolor;
            options.dfli = mode.dfli;
            options.width = 96;
            options.height = 48;
            ConvertPicture(picture, options, *plain);
            options.dithering = dithering;
            options.strength = 0;
            ConvertPicture(picture, options, *dithered);
            EXPECT_TRUE(Shown(plain->image()).pixels == Shown(dithered->image()).pixels);
        }
}

TEST(PictureConversion, AConversionGivesTheSameImageWhileOthersRun) {
    // The import dialog previews on worker threads what OK then converts: a
    // conversion, which works in bands side by side, must come out the same
    // however its threads and others' meet.
    const Picture picture = BlobPicture(150, 100, 4);
    for (const Mode mode : kModes) {
        SCOPED_TRACE(testing::Message()
                     << "multicolor " << mode.multicolor << " dfli " << mode.dfli);
        ConversionOptions options;
        options.multicolor = mode.multicolor;
        options.dfli = mode.dfli;
        options.dithering = Dithering::Diffusion;
        options.width = 96;
        options.height = 64;
        auto alone = std::make_unique<ConvertedImage>();
        ConvertPicture(picture, options, *alone);
        auto first = std::make_unique<ConvertedImage>();
        auto second = std::make_unique<ConvertedImage>();
        std::thread other([&] { ConvertPicture(picture, options, *second); });
        ConvertPicture(picture, options, *first);
        other.join();
        EXPECT_TRUE(BytesOf(first->image()) == BytesOf(alone->image()));
        EXPECT_TRUE(BytesOf(second->image()) == BytesOf(alone->image()));
    }
}

TEST(PictureConversion, BothBuildsOfThePixelLoopsGiveTheSameBytes) {
    // A file converted on one processor is the file converted on another:
    // the AVX2 loops and the plain ones, on smooth pictures and on noise,
    // in every mode, dithering and metric.
    if (!WideLoopsAvailable()) GTEST_SKIP() << "this processor has no AVX2 build to compare";
    struct Automatic {
        ~Automatic() { ChoosePixelLoops(PixelLoops::Automatic); }
    } restore;
    Picture noise{100, 50, {}};
    std::mt19937 random(11);
    for (int i = 0; i < 100 * 50; ++i) noise.pixels.push_back(RgbColor(random() & 0xFFFFFF));
    auto plain = std::make_unique<ConvertedImage>();
    auto wide = std::make_unique<ConvertedImage>();
    for (const Picture& picture : {BlobPicture(100, 50, 9), noise})
        for (const Mode mode : kModes)
            for (Dithering dithering : {Dithering::None, Dithering::Ordered, Dithering::Diffusion})
                for (ColorMetric metric : {ColorMetric::Weighted, ColorMetric::Lab}) {
                    SCOPED_TRACE(testing::Message()
                                 << "multicolor " << mode.multicolor << " dfli " << mode.dfli
                                 << " dithering " << int(dithering) << " metric " << int(metric));
                    ConversionOptions options;
                    options.multicolor = mode.multicolor;
                    options.dfli = mode.dfli;
                    options.dithering = dithering;
                    options.metric = metric;
                    options.width = 96;
                    options.height = 48;
                    ChoosePixelLoops(PixelLoops::Plain);
                    ConvertPicture(picture, options, *plain);
                    ChoosePixelLoops(PixelLoops::Wide);
                    ConvertPicture(picture, options, *wide);
                    EXPECT_TRUE(BytesOf(plain->image()) == BytesOf(wide->image()));
                }
}

TEST(PictureConversion, AnAbandonedConversionStopsAndLeavesTheResultAsItWas) {
    // A preview whose options changed is given up: asked anywhere on the
    // way, the conversion stops there and leaves the result untouched.
    const Picture picture = BlobPicture(60, 40, 6);
    const std::vector<uint8_t> untouched = BytesOf(ConvertedImage().image());
    for (Dithering dithering : {Dithering::None, Dithering::Diffusion}) {
        ConversionOptions options;
        options.dithering = dithering;
        options.width = 64;
        options.height = 40;
        const LinearPicture scaled = ScaleForConversion(picture, options);
        auto result = std::make_unique<ConvertedImage>();
        int questions = 0;
        ASSERT_TRUE(ConvertScaled(scaled, options, *result, [&] { return ++questions < 0; }));
        ASSERT_GT(questions, 0);
        const std::vector<uint8_t> done = BytesOf(result->image());
        for (int stopAt = 1; stopAt <= questions; ++stopAt) {
            auto stopped = std::make_unique<ConvertedImage>();
            int asked = 0;
            EXPECT_FALSE(
                ConvertScaled(scaled, options, *stopped, [&] { return ++asked == stopAt; }))
                << "stopped at question " << stopAt << " of " << questions;
            EXPECT_EQ(asked, stopAt);
            EXPECT_TRUE(BytesOf(stopped->image()) == untouched);
        }
        EXPECT_TRUE(done != untouched);
    }
    // A picture scaled for other options is an error, never a black success.
    ConversionOptions options;
    options.width = 64;
    options.height = 40;
    ConversionOptions other = options;
    other.height = 48;
    auto result = std::make_unique<ConvertedImage>();
    EXPECT_THROW(ConvertScaled(ScaleForConversion(picture, other), options, *result),
                 std::invalid_argument);
    EXPECT_TRUE(BytesOf(result->image()) == untouched);
}

TEST(PictureConversion, DitheringShowsAFlatColorsLightOnAverage) {
    // A flat color between the cells' two colors: ordered and diffused
    // pixels show its light on average, channel by channel, as the screen
    // mixes them.
    TargetGrid grid;
    grid.width = grid.height = 64;
    grid.cellsX = grid.cellsY = 8;
    const std::vector<PaletteColor>& palette = TedPalette();
    auto most = [&](auto score) {
        int best = 0;
        for (int c = 1; c < int(palette.size()); ++c)
            if (score(palette[std::size_t(c)].linear) > score(palette[std::size_t(best)].linear))
                best = c;
        return best;
    };
    // Black with white, and with the reddest and the bluest color: the light
    // of one channel alone decides between them.
    const int black = most([](LinearRgb c) { return -c.g; });
    const int pairs[][2] = {{black, most([](LinearRgb c) { return c.g; })},
                            {black, most([](LinearRgb c) { return c.r - c.g - c.b; })},
                            {black, most([](LinearRgb c) { return c.b - c.r - c.g; })}};
    for (const auto& pair : pairs) {
        const LinearRgb a = palette[std::size_t(pair[0])].linear;
        const LinearRgb b = palette[std::size_t(pair[1])].linear;
        const std::vector<CellSlots> cells(64, CellSlots{{pair[0], pair[1], 0, 0}, 2});
        for (float t : {0.25f, 0.5f, 0.75f}) {
            const LinearRgb flat{a.r + t * (b.r - a.r), a.g + t * (b.g - a.g),
                                 a.b + t * (b.b - a.b)};
            const LinearPicture picture{64, 64, std::vector<LinearRgb>(64 * 64, flat)};
            const std::vector<MatchPoint> points(
                64 * 64, MatchPointOf(LabFromLinear(flat), ColorMetric::Weighted));
            for (Dithering dithering : {Dithering::Ordered, Dithering::Diffusion}) {
                const std::vector<uint8_t> values = DitherPixels(
                    grid, picture, points, cells, dithering, 100, ColorMetric::Weighted);
                double sum[3] = {};
                for (uint8_t v : values) {
                    const LinearRgb& c = v == 0 ? a : b;
                    sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
                }
                SCOPED_TRACE(testing::Message() << "colors " << pair[0] << ", " << pair[1] << " at "
                                                << t << " dithering " << int(dithering));
                EXPECT_NEAR(sum[0] / values.size(), flat.r, 0.02);
                EXPECT_NEAR(sum[1] / values.size(), flat.g, 0.02);
                EXPECT_NEAR(sum[2] / values.size(), flat.b, 0.02);
            }
        }
    }
}

TEST(PictureConversion, RefinementLowersTheBlurredDifferenceOfDiffusedPixels) {
    // Diffused pixels between random cell colors, refined: the screen as the
    // eye sees it comes nearer to the picture, more so at full strength.
    for (const Mode mode : kModes) {
        SCOPED_TRACE(testing::Message()
                     << "multicolor " << mode.multicolor << " dfli " << mode.dfli);
        std::mt19937 random(5);
        TargetGrid grid;
        grid.pixelWidth = mode.multicolor ? 2 : 1;
        grid.width = 96 / grid.pixelWidth;
        grid.height = 37;
        grid.cellWidth = 8 / grid.pixelWidth;
        grid.cellHeight = mode.dfli ? 2 : 8;
        grid.cellsX = grid.width / grid.cellWidth;
        grid.cellsY = (grid.height + grid.cellHeight - 1) / grid.cellHeight;
        const Picture source = BlobPicture(grid.width, grid.height, 9);
        LinearPicture picture{grid.width, grid.height, {}}, screen{96, grid.height, {}};
        std::vector<MatchPoint> points;
        for (const RgbColor c : source.pixels) {
            picture.pixels.push_back(LinearOf(c));
            points.push_back(MatchPointOf(LabOf(c), ColorMetric::Weighted));
            for (int k = 0; k < grid.pixelWidth; ++k) screen.pixels.push_back(LinearOf(c));
        }
        std::vector<CellSlots> cells(std::size_t(grid.CellCount()));
        const int globals[2] = {int(random() % 121), int(random() % 121)};
        for (CellSlots& cell : cells) {
            cell.count = mode.multicolor ? 4 : 2;
            for (int& slot : cell.slots) slot = int(random() % 121);
            if (mode.multicolor) cell.slots[0] = globals[0], cell.slots[3] = globals[1];
        }
        auto shown = [&](const std::vector<CellSlots>& colors, const std::vector<uint8_t>& values) {
            std::vector<LinearRgb> out;
            for (int y = 0; y < grid.height; ++y)
                for (int x = 0; x < 96; ++x) {
                    const int tx = x / grid.pixelWidth;
                    const CellSlots& cell = colors[std::size_t(grid.CellOf(tx, y))];
                    const int value = values[std::size_t(y * grid.width + tx)];
                    EXPECT_LT(value, cell.count);
                    out.push_back(TedPalette()[std::size_t(cell.slots[std::size_t(value)])].linear);
                }
            return out;
        };
        double previous = 1e9;
        for (int strength : {30, 100}) {
            std::vector<CellSlots> refined = cells;
            std::vector<uint8_t> values =
                DitherPixels(grid, picture, points, refined, Dithering::Diffusion, strength,
                             ColorMetric::Weighted);
            const double before =
                BlurredDifference(screen.pixels, shown(refined, values), 96, grid.height);
            RefinerBuffers buffers;
            RefineDither(grid, screen, refined, strength, values, buffers);
            const double after =
                BlurredDifference(screen.pixels, shown(refined, values), 96, grid.height);
            EXPECT_LT(after, 0.9 * before) << "strength " << strength;
            EXPECT_LT(after, previous) << "strength " << strength;
            previous = after;
            if (mode.multicolor)
                for (const CellSlots& cell : refined) {
                    EXPECT_EQ(cell.slots[0], refined[0].slots[0]);
                    EXPECT_EQ(cell.slots[3], refined[0].slots[3]);
                }
        }
    }
}

TEST(PictureConversion, EachPixelShowsTheCellColorNearestToItsScreenPixels) {
    // Random screen pixels, so the two columns of a multicolor pixel differ:
    // it must match both as the screen shows them, not their average.
    std::mt19937 random(11);
    const int width = 96, height = 40;
    Picture picture{width, height, std::vector<RgbColor>(width * height)};
    for (RgbColor& c : picture.pixels) c = RgbColor(random() & 0xFFFFFF);
    for (const bool multicolor : {false, true}) {
        SCOPED_TRACE(multicolor ? "multicolor" : "hires");
        ConversionOptions options;
        options.multicolor = multicolor;
        options.dithering = Dithering::None;
        options.width = width;
        options.height = height;
        auto result = std::make_unique<ConvertedImage>();
        ConvertPicture(picture, options, *result);
        const Image& image = result->image();
        const int step = multicolor ? 2 : 1;
        int worse = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; x += step) {
                auto cost = [&](ColorCode code) {
                    double sum = 0;
                    for (int k = 0; k < step; ++k)
                        sum += Ciede2000(LabOf(picture.at(x + k, y)), LabOf(RgbOf(code)));
                    return sum;
                };
                double best = 1e9;
                for (int v = 0; v < (multicolor ? 4 : 2); ++v)
                    best = std::min(best, cost(ValueColorAt(image, x, y, PixelValue(v))));
                // The conversion's CIEDE2000 is within 0.3 % of the full one.
                worse += cost(ColorCodeAt(image, x, y)) > best * 1.006 + 0.02;
            }
        EXPECT_EQ(worse, 0);
    }
}
