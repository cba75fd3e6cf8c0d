#include "sketch/pencil_shading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "sketch/pencil_texture.h"
#include "sketch/pencil_tone.h"

namespace sketch {
namespace {

// Rendered tone by target tone J and texture brightness h, for the whole range
// of both: T(J, h) = 255 (h / 255)^b(J), where b(J) makes the mean of T over
// the texture equal J. Solving for the exponent rather than scaling keeps the
// strokes: a darker tone darkens the graphite more than the paper between it.
struct ToneTable {
    std::array<std::array<uint8_t, 256>, 256> t;
};

double MeanRendered(const std::array<uint64_t, 256>& histogram, uint64_t count, double exponent) {
    double sum = 0;
    for (size_t h = 1; h < 256; ++h)
        if (histogram[h]) sum += double(histogram[h]) * std::pow(double(h) / 255.0, exponent);
    return sum / double(count);
}

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
    for (size_t j = 0; j < 256; ++j) {
        double exponent = kMaxExponent;
        const double target = double(j) / 255.0;
        for (size_t i = 1; i < size_t(kGrid); ++i)
            if (means[i] <= target) {
                const double span = means[i - 1] - means[i];
                const double f = span > 0 ? (means[i - 1] - target) / span : 0;
                exponent = exponents[i - 1] + f * (exponents[i] - exponents[i - 1]);
                break;
            }
        if (j == 255) exponent = 0;
        for (size_t h = 0; h < 256; ++h)
            table.t[j][h] = static_cast<uint8_t>(
                std::lround(255.0 * std::pow(std::max(double(h), 1.0) / 255.0, exponent)));
    }
    return table;
}

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
    const PencilTexture& texture = SharedPencilTexture();
    const ToneTable& table = SharedToneTable();

    const auto columns = static_cast<size_t>(w);
    // The grey levels are worked out again in the second sweep rather than
    // kept: a plane of them would cost a third of a picture.
    GreyHistogram histogram{};
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* in = photo.Row(r);
        for (size_t c = 0; c < columns; ++c) ++histogram[Luma(in + 3 * c)];
    }
    // Two thirds of the way from the photo's own level to the pencil model:
    // the model alone would lift the dark half of a half-dark photo to a
    // light grey, the photo alone would miss the model's wide white paper.
    const std::array<uint8_t, 256> model = PencilToneMap(histogram);
    std::array<uint8_t, 256> tone{};
    for (size_t v = 0; v < 256; ++v) tone[v] = static_cast<uint8_t>((2 * model[v] + v + 1) / 3);

    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* in = photo.Row(r);
        uint8_t* v = view.Row(r);
        for (size_t c = 0; c < columns; ++c, v += 3) {
            const uint8_t j = tone[Luma(in + 3 * c)];
            if (j == 255) continue;
            const uint32_t t = table.t[j][texture.At(int32_t(c), r)];
            for (int k = 0; k < 3; ++k) v[k] = static_cast<uint8_t>((v[k] * t + 127) / 255);
        }
    }
}

}  // namespace sketch
