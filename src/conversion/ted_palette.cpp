#include "conversion/ted_palette.h"

#include <algorithm>
#include <cmath>

#include "document/colors.h"

namespace pixolat {

const std::vector<PaletteColor>& TedPalette() {
    static const std::vector<PaletteColor> palette = [] {
        std::vector<PaletteColor> colors;
        for (int code = 0; code < 128; ++code) {
            const auto& t = ColorTriplet(code);
            const RgbColor rgb = MakeRgbColor(t[0], t[1], t[2]);
            if (std::any_of(colors.begin(), colors.end(),
                            [rgb](const PaletteColor& c) { return c.rgb == rgb; }))
                continue;
            PaletteColor color;
            color.code = code;
            color.rgb = rgb;
            color.linear = LinearOf(rgb);
            color.lab = LabFromLinear(color.linear);
            color.chroma = std::hypot(color.lab.a, color.lab.b);
            colors.push_back(color);
        }
        return colors;
    }();
    return palette;
}

}  // namespace pixolat
