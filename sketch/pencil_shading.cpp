// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/pencil_shading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "sketch/pencil_texture.h"
#include "sketch/pencil_tone.h"

namespace sketch {
namespace {

// Rendered tone by target tone J and texture brightness h: the texture raised
// to the power b(J) at which its mean is J. Solving for the exponent rather
// than scaling keeps the strokes: a darker tone darkens the graphite more than
// the paper between it.
double MeanRendered(const std::array<uint64_t, 256>& histogram, uint64_t count, double exponent) {
    double sum = 0;
    for (size_t h = 1; h < 256; ++h)
        if (histogram[h]) sum += double(histogram[h]) * std::pow(double(h) / 255.0, exponent);
    return sum / double(count);
}

// The rendered texture at a few target tones, each evened out once more:
// raising the tile to a power brings out its lightest texels more in some
// places than in others, so each level's darkness is divided by its local mean
// and scaled to the level's own. A tone between two levels mixes them.
constexpr int kLevels = 16;  // levels 0 to kLevels, 255 k / kLevels
constexpr double kLevelSigma = 2.0;

struct ToneTable {
    std::array<std::vector<uint8_t>, kLevels + 1> level;
    std::array<uint8_t, 256> lower{};         // the level at or below each tone
    std::array<uint16_t, 256> upperWeight{};  // of the level above, in 1/256

    uint32_t At(uint8_t j, size_t texel) const {
        const size_t k = lower[j];
        const uint32_t f = upperWeight[j];
        const uint32_t lo = level[k][texel];
        const uint32_t hi = f ? level[k + 1][texel] : lo;
        return (lo * (256 - f) + hi * f + 128) >> 8;
    }
};

ToneTable MakeToneTable(const PencilTexture& texture) {
    std::array<uint64_t, 256> histogram{};
    for (uint8_t h : texture.tone) ++histogram[h];
    const uint64_t count = texture.tone.size();
    // The texture's mean brightness on a grid of exponents, falling from 1 at
    // exponent 0; each tone's exponent is interpolated between two of them.
    constexpr int kGrid = 1024;
    constexpr double kMaxExponent = 64;
    std::vector<double> exponents(kGrid), means(kGrid);
    for (int i = 0; i < kGrid; ++i) {
        const double x = double(i) / (kGrid - 1);
        exponents[size_t(i)] = kMaxExponent * x * x;
        means[size_t(i)] = MeanRendered(histogram, count, exponents[size_t(i)]);
    }
    ToneTable table{};
    for (int k = 0; k <= kLevels; ++k) {
        const double target = double(k) / kLevels;
        double exponent = kMaxExponent;
        for (size_t i = 1; i < size_t(kGrid); ++i)
            if (means[i] <= target) {
                const double span = means[i - 1] - means[i];
                const double f = span > 0 ? (means[i - 1] - target) / span : 0;
                exponent = exponents[i - 1] + f * (exponents[i] - exponents[i - 1]);
                break;
            }
        if (k == kLevels) exponent = 0;
        std::vector<float> dark(texture.tone.size());
        for (size_t i = 0; i < dark.size(); ++i)
            dark[i] =
                float(1.0 - std::pow(std::max(double(texture.tone[i]), 1.0) / 255.0, exponent));
        // Too light around a texel: its brightness is scaled down; too dark:
        // its darkness is scaled down. Either way nothing leaves 0..1.
        const std::vector<float> local = WrappedLocalMean(dark, kLevelSigma);
        const double want = 1.0 - target;
        std::vector<uint8_t>& out = table.level[size_t(k)];
        out.resize(dark.size());
        for (size_t i = 0; i < dark.size(); ++i) {
            const double m = local[i];
            double d = dark[i];
            if (m < want)
                d = 1.0 - (1.0 - d) * (1.0 - want) / (1.0 - m);
            else if (m > want)
                d = d * want / m;
            out[i] = static_cast<uint8_t>(std::lround(255.0 * (1.0 - std::clamp(d, 0.0, 1.0))));
        }
    }
    for (size_t j = 0; j < 256; ++j) {
        const size_t scaled = j * kLevels * 256 / 255;  // in 1/256 of a level
        table.lower[j] = static_cast<uint8_t>(std::min<size_t>(scaled / 256, kLevels));
        table.upperWeight[j] = table.lower[j] == kLevels ? 0 : static_cast<uint16_t>(scaled % 256);
    }
    return table;
}

// Photo levels from here up are white paper where the photo is smooth: its
// grey varies by at most kSmoothRange within the 3 x 3 block around a pixel.
constexpr int kPaperLevel = 230;
constexpr int kSmoothRange = 12;

const ToneTable& SharedToneTable() {
    static const ToneTable table = MakeToneTable(SharedPencilTexture());
    return table;
}

// Rec. 601 luma in integers, as a grey photo's own level when b = g = r.
inline uint8_t Luma(const uint8_t* p) {
    return static_cast<uint8_t>((114 * p[0] + 587 * p[1] + 299 * p[2] + 500) / 1000);
}

}  // namespace

void ShadingPass(const DibRows& photo, const DibRows& view, int32_t width, int32_t height) {
    const int32_t w = std::min({width, photo.width, view.width});
    const int32_t h = std::min({height, photo.height, view.height});
    if (w <= 0 || h <= 0) return;
    const ToneTable& table = SharedToneTable();

    const auto columns = static_cast<size_t>(w);
    GreyHistogram histogram{};
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* in = photo.Row(r);
        for (size_t c = 0; c < columns; ++c) ++histogram[Luma(in + 3 * c)];
    }
    // Half way from the photo's own level to the pencil model: the model alone
    // would lift the dark half of a half-dark photo to a light grey, the photo
    // alone would miss the model's wide white paper. Light levels are paper.
    const std::array<uint8_t, 256> model = PencilToneMap(histogram);
    std::array<uint8_t, 256> tone{};
    for (size_t v = 0; v < 256; ++v)
        tone[v] = v >= kPaperLevel ? 255 : static_cast<uint8_t>((model[v] + v + 1) / 2);
    // How far a smooth area is lifted to white paper, in 1/16: fully from
    // kPaperLevel up, fading out over the 16 levels below.
    std::array<uint8_t, 256> lift{};
    for (size_t v = 0; v < 256; ++v)
        lift[v] = static_cast<uint8_t>(std::clamp<int>(int(v) - (kPaperLevel - 16) + 1, 0, 16));

    // Grey levels of three photo rows, the middle one being drawn, with one
    // repeated column at either end: enough to tell a smooth pixel.
    std::array<std::vector<uint8_t>, 3> grey;
    auto greyRow = [&](int32_t r, std::vector<uint8_t>& out) {
        out.resize(columns + 2);
        const uint8_t* in = photo.Row(std::clamp(r, 0, h - 1));
        for (size_t c = 0; c < columns; ++c) out[c + 1] = Luma(in + 3 * c);
        out[0] = out[1];
        out[columns + 1] = out[columns];
    };
    greyRow(-1, grey[0]);
    greyRow(0, grey[1]);
    for (int32_t r = 0; r < h; ++r) {
        greyRow(r + 1, grey[2]);
        const uint8_t* in = photo.Row(r);
        uint8_t* v = view.Row(r);
        const size_t tileRow = size_t(r & (kPencilTextureSide - 1)) * kPencilTextureSide;
        for (size_t c = 0; c < columns; ++c, v += 3) {
            const uint8_t* p = in + 3 * c;
            const int g = grey[1][c + 1];
            const uint8_t j = tone[size_t(g)];
            int y = v[1];  // the drawing's own level; its channels are equal
            if (j != 255 || v[0] != v[1] || v[1] != v[2]) y = Luma(v);
            if (j != 255) {
                const uint32_t t = table.At(j, tileRow + (c & (kPencilTextureSide - 1)));
                y = static_cast<int>((uint32_t(y) * t + 127) / 255);
            }
            if (lift[size_t(g)]) {
                int lo = 255, hi = 0;
                for (const auto& row : grey)
                    for (size_t k = c; k < c + 3; ++k)
                        lo = std::min<int>(lo, row[k]), hi = std::max<int>(hi, row[k]);
                if (hi - lo <= kSmoothRange) y += ((255 - y) * lift[size_t(g)] + 8) / 16;
            }
            // The photo's colour around the drawn level: its channels' offsets
            // from its grey, shrunk together where they would leave 0..255.
            int o0 = p[0] - g, o1 = p[1] - g, o2 = p[2] - g;
            const int up = std::max({o0, o1, o2, 0}), down = std::min({o0, o1, o2, 0});
            if (y + up > 255 || y + down < 0) {
                int num = 255 - y, den = up;
                if (y + down < 0 && (y + up <= 255 || y * den < -down * num)) num = y, den = -down;
                o0 = o0 * num / den, o1 = o1 * num / den, o2 = o2 * num / den;
            }
            v[0] = static_cast<uint8_t>(y + o0);
            v[1] = static_cast<uint8_t>(y + o1);
            v[2] = static_cast<uint8_t>(y + o2);
        }
        std::swap(grey[0], grey[1]);
        std::swap(grey[1], grey[2]);
    }
}

}  // namespace sketch
