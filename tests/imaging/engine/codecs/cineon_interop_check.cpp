// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the Cineon decoder against another program's reading of the same
// file. `--source OUT.ppm` writes the 16-bit photo-like test picture that the
// script hands to the other program. `FILE.cin RAW.pnm SHOWN.pnm` compares our
// decoded pixels with two readings of FILE.cin by ImageMagick: RAW holds the
// code values (a 16-bit PGM or PPM in file order, before any log-to-linear
// step), where every sample must match exactly; SHOWN holds the picture as it
// is displayed (sRGB), where the mean absolute difference must stay within 2
// levels. `--decode FILE.cin OUT.pnm` writes our decoded picture to look at.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/engine/codecs/cineon_decoder.h"
#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/status_codes.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kSourceWidth = 96;
constexpr int kSourceHeight = 64;
constexpr size_t kOrientationAt = 192;
constexpr double kMaxMeanDifference = 2.0;

Bytes ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}

// A small landscape in display values from 0 to 1: sky, a lit orange ball,
// textured ground, a skin-coloured patch, a deep shadow and a grey ramp, so
// that smooth gradients, saturated colour, near-black and near-white all occur.
Rgb SourcePixel(int x, int y) {
    const double u = double(x) / (kSourceWidth - 1), v = double(y) / (kSourceHeight - 1);
    if (y >= kSourceHeight - 4) return Scale({1, 1, 1}, u);  // neutral ramp, black to white
    Rgb p;
    if (v < 0.4) {
        p = Mix({0.30, 0.50, 0.85}, {0.80, 0.88, 0.97}, v / 0.4);
    } else {
        const double texture = 0.06 * std::sin(x * 0.9) * std::cos(y * 1.3);
        p = Scale(Mix({0.35, 0.55, 0.20}, {0.30, 0.20, 0.10}, (v - 0.4) / 0.6), 1 + texture * 3);
    }
    const double dx = x - 66, dy = y - 20, r = 12;
    if (dx * dx + dy * dy < r * r) {
        // Lit from the upper left; the rim falls into shadow.
        const double nz = std::sqrt(1 - (dx * dx + dy * dy) / (r * r));
        const double light = std::max(0.0, (-dx - dy) / r * 0.5 + nz * 0.7);
        p = Mix(Scale({0.95, 0.45, 0.08}, 0.15 + 0.85 * light), {1, 1, 1},
                std::pow(light, 12) * 0.8);
    }
    if (x >= 10 && x < 26 && y >= 30 && y < 48)
        p = Mix({0.92, 0.74, 0.62}, {0.62, 0.42, 0.32}, (y - 30) / 18.0);
    if (x >= 40 && x < 56 && y >= 46) p = Scale({0.05, 0.04, 0.06}, 1 - u * 0.5);
    return p;
}

int WriteSource(const char* path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kSourceWidth << ' ' << kSourceHeight << "\n65535\n";
    for (int y = 0; y < kSourceHeight; ++y)
        for (int x = 0; x < kSourceWidth; ++x) {
            const Rgb p = SourcePixel(x, y);
            for (double c : {p.r, p.g, p.b}) {
                const auto v = uint16_t(std::lround(std::clamp(c, 0.0, 1.0) * 65535));
                out.put(char(v >> 8)).put(char(v & 0xFF));
            }
        }
    return out ? 0 : 2;
}

// A binary PGM or PPM of 8- or 16-bit samples.
struct Pnm {
    int width = 0, height = 0, channels = 0, max = 0;
    std::vector<uint16_t> samples;
};

bool ParsePnm(const Bytes& b, Pnm* pnm) {
    std::string head(b.begin(), b.begin() + std::min<size_t>(b.size(), 64));
    std::istringstream in(head);
    std::string magic;
    in >> magic >> pnm->width >> pnm->height >> pnm->max;
    if ((magic != "P5" && magic != "P6") || (pnm->max != 255 && pnm->max != 65535) ||
        pnm->width <= 0 || pnm->height <= 0 || !in)
        return false;
    pnm->channels = magic == "P5" ? 1 : 3;
    const size_t at = size_t(in.tellg()) + 1;
    const size_t n = size_t(pnm->width) * pnm->height * pnm->channels;
    const size_t bytes = pnm->max == 255 ? 1 : 2;
    if (b.size() < at + bytes * n) return false;
    for (size_t i = 0; i < n; ++i)
        pnm->samples.push_back(bytes == 1 ? b[at + i]
                                          : uint16_t((b[at + 2 * i] << 8) | b[at + 2 * i + 1]));
    return true;
}

bool ReadPnm(const char* path, Pnm* pnm) {
    if (ParsePnm(ReadAll(path), pnm)) return true;
    std::printf("%s: cannot read the other program's pixels\n", path);
    return false;
}

// Our decoded picture, reached in the other program's order: it reads lines of
// the file as rows and pixels as columns, whatever the orientation.
class OurReading {
public:
    ~OurReading() { P_FreeBitmap(&bitmap_); }

    bool Load(const char* cinPath) {
        const Bytes cin = ReadAll(cinPath);
        const int32_t status = pix::DecodeImage(cin, &bitmap_, &info_);
        if (status != pix::kSuccess) {
            std::printf("%s: decoder status %d\n", cinPath, int(status));
            return false;
        }
        orientation_ = cin[kOrientationAt];
        return true;
    }

    const pix::ImageInfo& info() const { return info_; }
    int orientation() const { return orientation_; }
    bool transposed() const { return orientation_ >= 4; }

    bool Matches(const char* cinPath, const Pnm& other) const {
        const int lines = other.height, perLine = other.width;
        if (info_.width == (transposed() ? lines : perLine) &&
            info_.height == (transposed() ? perLine : lines) && info_.channels == other.channels)
            return true;
        std::printf("%s: %dx%d, %d channels; the other program read %dx%d, %d channels\n", cinPath,
                    info_.width, info_.height, info_.channels, perLine, lines, other.channels);
        return false;
    }

    // Channel c (0 red) of sample i of file line `line`, of `lines` lines of
    // `perLine` samples.
    uint8_t At(int line, int i, int c, int lines, int perLine) const {
        int x, y;
        if (transposed()) {
            x = orientation_ & 1 ? lines - 1 - line : line;
            y = orientation_ & 2 ? perLine - 1 - i : i;
        } else {
            x = orientation_ & 2 ? perLine - 1 - i : i;
            y = orientation_ & 1 ? lines - 1 - line : line;
        }
        const uint8_t* px = PixRow(bitmap_, y) + (info_.channels == 1 ? x : 3 * x);
        return info_.channels == 1 ? px[0] : px[2 - c];
    }

    const PixBitmap& bitmap() const { return bitmap_; }

private:
    PixBitmap bitmap_{};
    pix::ImageInfo info_;
    int orientation_ = 0;
};

// Every sample of ours against the display value of the code the other
// program read.
bool CompareCodes(const char* cinPath, const OurReading& ours, const Pnm& raw) {
    const int bits = ours.info().fileBitsPerPixel / ours.info().channels;
    const uint32_t max = (1u << bits) - 1;
    int failed = 0, checked = 0;
    for (int line = 0; line < raw.height; ++line)
        for (int i = 0; i < raw.width; ++i)
            for (int c = 0; c < raw.channels; ++c) {
                const uint32_t v = raw.samples[(size_t(line) * raw.width + i) * raw.channels + c];
                // Programs widen codes to 16 bits by scaling or by shifting; only
                // a shifted value has all its low bits clear (small codes agree).
                const int low = 16 - bits;
                const uint32_t code =
                    (v & ((1u << low) - 1)) == 0 ? v >> low : (v * max + 32767) / 65535;
                const uint8_t want = pix::CineonDisplayValue(code, bits);
                const uint8_t got = ours.At(line, i, c, raw.height, raw.width);
                ++checked;
                if (got != want && failed++ < 5)
                    std::printf("%s: line %d pixel %d channel %d: code %u, want %d, got %d\n",
                                cinPath, line, i, c, code, want, got);
            }
    std::printf("%s: %d bits, orientation %d: codes of %d samples, %d differ\n", cinPath, bits,
                ours.orientation(), checked, failed);
    return failed == 0;
}

// The mean absolute difference, in 8-bit levels, from the picture the other
// program displays.
bool CompareShown(const char* cinPath, const OurReading& ours, const Pnm& shown) {
    double sum = 0, worst = 0;
    for (int line = 0; line < shown.height; ++line)
        for (int i = 0; i < shown.width; ++i)
            for (int c = 0; c < shown.channels; ++c) {
                const double want =
                    shown.samples[(size_t(line) * shown.width + i) * shown.channels + c] * 255.0 /
                    shown.max;
                const double d = std::abs(ours.At(line, i, c, shown.height, shown.width) - want);
                sum += d;
                worst = std::max(worst, d);
            }
    const double mean = sum / double(shown.samples.size());
    std::printf("%s: shown picture: mean difference %.2f levels, largest %.1f\n", cinPath, mean,
                worst);
    if (mean <= kMaxMeanDifference) return true;
    std::printf("%s: mean difference %.2f is over %.1f\n", cinPath, mean, kMaxMeanDifference);
    return false;
}

int Compare(const char* cinPath, const char* rawPath, const char* shownPath) {
    Pnm raw, shown;
    if (!ReadPnm(rawPath, &raw) || !ReadPnm(shownPath, &shown)) return 2;
    OurReading ours;
    if (!ours.Load(cinPath)) return 1;
    if (!ours.Matches(cinPath, raw) || !ours.Matches(cinPath, shown)) return 1;
    const bool codes = CompareCodes(cinPath, ours, raw);
    const bool picture = CompareShown(cinPath, ours, shown);
    return codes && picture ? 0 : 1;
}

int Decode(const char* cinPath, const char* outPath) {
    OurReading ours;
    if (!ours.Load(cinPath)) return 1;
    const PixBitmap& b = ours.bitmap();
    const bool grey = ours.info().channels == 1;
    std::ofstream out(outPath, std::ios::binary);
    out << (grey ? "P5\n" : "P6\n") << b.Width << ' ' << b.Height << "\n255\n";
    for (int y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        for (int x = 0; x < b.Width; ++x) {
            if (grey) {
                out.put(char(row[x]));
            } else {
                const uint8_t* px = row + 3 * x;
                out.put(char(px[2])).put(char(px[1])).put(char(px[0]));
            }
        }
    }
    return out ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 3 && first == "--source") return WriteSource(argv[2]);
    if (argc == 4 && first == "--decode") return Decode(argv[2], argv[3]);
    if (argc == 4) return Compare(argv[1], argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: %s --source OUT.ppm | %s FILE.cin RAW.pnm SHOWN.pnm | "
                 "%s --decode FILE.cin OUT.pnm\n",
                 argv[0], argv[0], argv[0]);
    return 2;
}
