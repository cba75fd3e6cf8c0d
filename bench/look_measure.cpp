// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how a drawing's tone follows its photo: look_measure [PHOTO...].
// For each photo named, for four generated pictures and for a chart of flat
// grey bands it draws the plain, the shaded and the colour shaded drawing and
// prints the correlation r of 16 x 16 block means against the grey photo, the
// 5th percentile of those block means, the share of paper white (255) where
// the photo is light (grey 230 and above) and smooth, the mean chroma kept
// with colour on colourful areas, and on the chart the spread of block means
// inside each band.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_photo.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/pix_bitmap.h"
#include "imaging/engine/status_codes.h"
#include "sketch/sketch_pipeline.h"

namespace {

constexpr int kBlock = 16;
constexpr int kBand = 96;  // rows of one band of the chart

struct Picture {
    std::string name;
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;  // rows from the top
    bool chart = false;
};

int Luma(const uint8_t* p) {
    return (114 * p[0] + 587 * p[1] + 299 * p[2] + 500) / 1000;
}
int Chroma(const uint8_t* p) {
    return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
}

double Hash(int x, int y, int salt) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(salt) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967296.0;
}
double Noise(double x, double y, int salt) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = Hash(ix, iy, salt) + (Hash(ix + 1, iy, salt) - Hash(ix, iy, salt)) * sx;
    const double bottom =
        Hash(ix, iy + 1, salt) + (Hash(ix + 1, iy + 1, salt) - Hash(ix, iy + 1, salt)) * sx;
    return top + (bottom - top) * sy;
}

template <typename F>
Picture Generate(const std::string& name, int w, int h, F colour) {
    Picture p{name, w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double r, g, b;
            colour(double(x) / w, double(y) / h, x, y, r, g, b);
            const double grain = (Hash(x, y, 99) - 0.5) * 6;
            uint8_t* q = &p.bgr[(size_t(y) * size_t(w) + size_t(x)) * 3];
            q[0] = uint8_t(std::clamp(b + grain, 0.0, 255.0));
            q[1] = uint8_t(std::clamp(g + grain, 0.0, 255.0));
            q[2] = uint8_t(std::clamp(r + grain, 0.0, 255.0));
        }
    return p;
}

std::vector<Picture> GeneratedPictures() {
    std::vector<Picture> out;
    out.push_back({"scene", 1024, 768, bench::ScenePixels(1024, 768)});
    // A lit sphere on a dark, cloth-like background.
    out.push_back(Generate(
        "studio", 1024, 768, [](double u, double v, int, int, double& r, double& g, double& b) {
            const double cloth =
                30 + 40 * Noise(u * 40, v * 6, 1) + 20 * Noise(u * 200, v * 200, 2);
            r = cloth * 1.1, g = cloth * 0.9, b = cloth * 0.8;
            const double dx = (u - 0.5) * 1.33, dy = v - 0.5, d = std::hypot(dx, dy);
            if (d < 0.3) {
                const double z = std::sqrt(1 - (d / 0.3) * (d / 0.3));
                const double lit = std::clamp(0.6 * z - 0.9 * dx - 0.9 * dy + 0.2, 0.0, 1.0);
                r = 20 + 235 * lit, g = 20 + 225 * lit, b = 25 + 200 * lit;
            }
        }));
    // Houses of several greys under a bright sky, with dark windows and shade.
    out.push_back(Generate(
        "street", 1024, 768, [](double u, double v, int, int, double& r, double& g, double& b) {
            double grey = 245 - 20 * v;
            const int house = int(u * 7);
            const double top = 0.25 + 0.2 * Hash(house, 0, 3);
            if (v > top) {
                grey = 90 + 140 * Hash(house, 1, 4) + 15 * Noise(u * 80, v * 80, 5);
                const double wu = std::fmod(u * 28, 1.0), wv = std::fmod(v * 14, 1.0);
                if (wu > 0.3 && wu < 0.7 && wv > 0.3 && wv < 0.75) grey = 35;
                if (std::fmod(u * 7, 1.0) > 0.8) grey *= 0.45;
            }
            if (v > 0.88) grey = 70 + 30 * Noise(u * 300, v * 20, 6);
            r = grey, g = grey * 0.98, b = grey * 0.95;
        }));
    // Colourful patches: strong hues with gradients and texture.
    out.push_back(Generate(
        "colour", 1024, 768, [](double u, double v, int, int, double& r, double& g, double& b) {
            static const double hues[6][3] = {{200, 40, 35}, {230, 180, 30}, {40, 150, 60},
                                              {40, 80, 190}, {150, 50, 160}, {156, 43, 39}};
            const int k = (int(u * 3) + 3 * int(v * 2)) % 6;
            const double shade =
                0.55 + 0.45 * std::fmod(u * 3, 1.0) + 0.1 * Noise(u * 90, v * 90, 7);
            r = hues[k][0] * shade, g = hues[k][1] * shade, b = hues[k][2] * shade;
        }));
    // Flat grey bands from dark to light, 96 rows each, no edges inside a band.
    Picture chart{"chart", 1024, 768, std::vector<uint8_t>(size_t(1024) * 768 * 3)};
    for (size_t i = 0; i < chart.bgr.size(); ++i)
        chart.bgr[i] = uint8_t(40 + 24 * int(i / 3 / 1024 / kBand));
    chart.chart = true;
    out.push_back(std::move(chart));
    return out;
}

bool Load(const std::string& path, Picture* p) {
    PixBitmap b{};
    P_InitBitmap(&b, sizeof b, 0, 0, 0);
    if (pix::LoadBitmapFile(path, &b, 24) != pix::kSuccess || b.BitsPerPixel != 24) {
        P_FreeBitmap(&b);
        return false;
    }
    p->name = path;
    p->width = b.Width;
    p->height = b.Height;
    p->bgr.resize(size_t(b.Width) * size_t(b.Height) * 3);
    for (int y = 0; y < b.Height; ++y)
        std::memcpy(&p->bgr[size_t(y) * size_t(b.Width) * 3], PixRow(b, y), size_t(b.Width) * 3);
    P_FreeBitmap(&b);
    return true;
}

// The drawing of `p` as rows from the top.
std::vector<uint8_t> Draw(const Picture& p, sketch::BlendMode mode, bool shading) {
    PixBitmap photo{}, drawing{};
    P_InitBitmap(&photo, sizeof photo, p.width, p.height, 24);
    P_AllocateBitmap(&photo, sizeof photo);
    for (int y = 0; y < p.height; ++y)
        std::memcpy(PixRow(photo, y), &p.bgr[size_t(y) * size_t(p.width) * 3], size_t(p.width) * 3);
    P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
    sketch::DrawingLook look;
    look.shading = shading;
    std::vector<uint8_t> out;
    if (sketch::DrawSketch(photo, mode, look, &drawing).ok()) {
        out.resize(p.bgr.size());
        for (int y = 0; y < p.height; ++y)
            std::memcpy(&out[size_t(y) * size_t(p.width) * 3], PixRow(drawing, y),
                        size_t(p.width) * 3);
    }
    P_FreeBitmap(&photo);
    P_FreeBitmap(&drawing);
    return out;
}

std::vector<double> BlockMeans(const std::vector<uint8_t>& bgr, int w, int h) {
    std::vector<double> means;
    for (int by = 0; by + kBlock <= h; by += kBlock)
        for (int bx = 0; bx + kBlock <= w; bx += kBlock) {
            long sum = 0;
            for (int y = by; y < by + kBlock; ++y)
                for (int x = bx; x < bx + kBlock; ++x)
                    sum += Luma(&bgr[(size_t(y) * size_t(w) + size_t(x)) * 3]);
            means.push_back(double(sum) / (kBlock * kBlock));
        }
    return means;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = double(a.size());
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) ma += a[i] / n, mb += b[i] / n;
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

double Percentile5(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 20];
}

// The largest spread of block means among the blocks inside one band of the
// chart; the first and last row of blocks of each band hold the drawn line
// between two bands and are left out.
double BandSpread(const std::vector<double>& means, int w, int h) {
    const int columns = w / kBlock;
    double worst = 0;
    for (int band = 0; (band + 1) * kBand <= h; ++band) {
        double lo = 255, hi = 0;
        for (int by = band * kBand + kBlock; by + 2 * kBlock <= (band + 1) * kBand; by += kBlock)
            for (int bx = 0; bx < columns; ++bx) {
                const double m = means[size_t(by / kBlock) * size_t(columns) + size_t(bx)];
                lo = std::min(lo, m), hi = std::max(hi, m);
            }
        if (std::getenv("LOOK_BANDS")) std::printf("\n  band %d: %.1f to %.1f", band, lo, hi);
        worst = std::max(worst, hi - lo);
    }
    return worst;
}

// Share of paper white (all three bytes 255) among the pixels whose 3 x 3
// neighbourhood in the photo is light (230 and above) and varies by at most 8.
double PaperWhite(const Picture& p, const std::vector<uint8_t>& drawing) {
    long light = 0, white = 0;
    for (int y = 1; y + 1 < p.height; ++y)
        for (int x = 1; x + 1 < p.width; ++x) {
            int lo = 255, hi = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int g =
                        Luma(&p.bgr[(size_t(y + dy) * size_t(p.width) + size_t(x + dx)) * 3]);
                    lo = std::min(lo, g), hi = std::max(hi, g);
                }
            if (lo < 230 || hi - lo > 8) continue;
            ++light;
            const uint8_t* d = &drawing[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
            white += d[0] == 255 && d[1] == 255 && d[2] == 255;
        }
    return light ? double(white) / double(light) : -1;
}

// Mean chroma of the drawing over the mean chroma of the photo, where the
// photo's chroma is 60 or more.
double ChromaKept(const Picture& p, const std::vector<uint8_t>& drawing) {
    double photo = 0, drawn = 0;
    for (size_t i = 0; i < p.bgr.size(); i += 3)
        if (Chroma(&p.bgr[i]) >= 60) photo += Chroma(&p.bgr[i]), drawn += Chroma(&drawing[i]);
    return photo > 0 ? drawn / photo : -1;
}

void Report(const Picture& p) {
    const std::vector<double> photo = BlockMeans(p.bgr, p.width, p.height);
    std::printf("%-28s", p.name.c_str());
    for (const bool shading : {false, true}) {
        const std::vector<uint8_t> d = Draw(p, sketch::BlendMode::kPencil, shading);
        if (d.empty()) {
            std::printf("  drawing failed\n");
            return;
        }
        const std::vector<double> means = BlockMeans(d, p.width, p.height);
        std::printf("  %s r %.3f p5 %5.1f", shading ? "shaded" : "plain", Correlation(photo, means),
                    Percentile5(means));
        if (p.chart) std::printf(" spread %4.1f", BandSpread(means, p.width, p.height));
        if (shading) {
            const double white = PaperWhite(p, d);
            if (white >= 0) std::printf(" white %.3f", white);
        }
    }
    const std::vector<uint8_t> colour = Draw(p, sketch::BlendMode::kColorPencil, true);
    const double kept = colour.empty() ? -1 : ChromaKept(p, colour);
    if (kept >= 0) std::printf("  colour chroma kept %.2f", kept);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        Picture p;
        if (!Load(argv[i], &p)) {
            std::fprintf(stderr, "look_measure: cannot load %s\n", argv[i]);
            status = 1;
            continue;
        }
        Report(p);
    }
    for (const Picture& p : GeneratedPictures()) Report(p);
    return status;
}
