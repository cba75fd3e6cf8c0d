// Checks the Cineon decoder against another program's reading of the same
// file. `--source OUT.ppm` writes the 16-bit test picture that the script
// hands to the other program; `FILE.cin RAW.pnm` compares our decoded pixels
// with the raw code values that the other program read from FILE.cin (a
// 16-bit PGM or PPM in file order, before any log-to-linear step).
#include <cstdint>
#include <cstdio>
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

constexpr int kSourceWidth = 7;
constexpr int kSourceHeight = 5;
constexpr size_t kOrientationAt = 192;

Bytes ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int WriteSource(const char* path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kSourceWidth << ' ' << kSourceHeight << "\n65535\n";
    for (int y = 0; y < kSourceHeight; ++y)
        for (int x = 0; x < kSourceWidth; ++x) {
            const uint16_t rgb[3] = {uint16_t(x * 9000 + y * 700), uint16_t(y * 15000 + x * 300),
                                     uint16_t((x * y * 2900 + 1500) % 65536)};
            for (uint16_t v : rgb) out.put(char(v >> 8)).put(char(v & 0xFF));
        }
    return out ? 0 : 2;
}

struct Raw {
    int width = 0, height = 0, channels = 0;
    std::vector<uint16_t> samples;
};

bool ParsePnm(const Bytes& b, Raw* raw) {
    std::string head(b.begin(), b.begin() + std::min<size_t>(b.size(), 64));
    std::istringstream in(head);
    std::string magic;
    int max = 0;
    in >> magic >> raw->width >> raw->height >> max;
    if ((magic != "P5" && magic != "P6") || max != 65535 || raw->width <= 0 || raw->height <= 0)
        return false;
    raw->channels = magic == "P5" ? 1 : 3;
    const size_t at = size_t(in.tellg()) + 1;
    const size_t n = size_t(raw->width) * raw->height * raw->channels;
    if (b.size() < at + 2 * n) return false;
    for (size_t i = 0; i < n; ++i)
        raw->samples.push_back(uint16_t((b[at + 2 * i] << 8) | b[at + 2 * i + 1]));
    return true;
}

int Compare(const char* cinPath, const char* rawPath) {
    const Bytes cin = ReadAll(cinPath);
    Raw raw;
    if (!ParsePnm(ReadAll(rawPath), &raw)) {
        std::printf("%s: cannot read the other program's pixels\n", rawPath);
        return 2;
    }
    PixBitmap bitmap{};
    pix::ImageInfo info;
    const int32_t status = pix::DecodeImage(cin, &bitmap, &info);
    if (status != pix::kSuccess) {
        std::printf("%s: decoder status %d\n", cinPath, int(status));
        return 1;
    }
    const int bits = info.fileBitsPerPixel / info.channels;
    const uint32_t max = (1u << bits) - 1;
    const int orientation = cin[kOrientationAt];
    const bool transposed = orientation >= 4;
    // The other program reads lines of the file as rows, pixels as columns.
    const int lines = raw.height, perLine = raw.width;
    int failed = 0, checked = 0;
    if (info.width != (transposed ? lines : perLine) ||
        info.height != (transposed ? perLine : lines) || info.channels != raw.channels) {
        std::printf("%s: %dx%d, %d channels; the other program read %dx%d, %d channels\n", cinPath,
                    info.width, info.height, info.channels, perLine, lines, raw.channels);
        P_FreeBitmap(&bitmap);
        return 1;
    }
    for (int line = 0; line < lines; ++line)
        for (int i = 0; i < perLine; ++i) {
            int x, y;
            if (transposed) {
                x = orientation & 1 ? lines - 1 - line : line;
                y = orientation & 2 ? perLine - 1 - i : i;
            } else {
                x = orientation & 2 ? perLine - 1 - i : i;
                y = orientation & 1 ? lines - 1 - line : line;
            }
            const uint8_t* px = PixRow(bitmap, y) + (raw.channels == 1 ? x : 3 * x);
            for (int c = 0; c < raw.channels; ++c) {
                const uint32_t v = raw.samples[(size_t(line) * perLine + i) * raw.channels + c];
                // Programs widen codes to 16 bits by scaling or by shifting; only
                // a shifted value has all its low bits clear (small codes agree).
                const int low = 16 - bits;
                const uint32_t code =
                    (v & ((1u << low) - 1)) == 0 ? v >> low : (v * max + 32767) / 65535;
                const uint8_t want = pix::CineonDisplayValue(code, bits);
                const uint8_t got = raw.channels == 1 ? px[0] : px[2 - c];
                ++checked;
                if (got != want && failed++ < 5)
                    std::printf("%s: line %d pixel %d channel %d: code %u, want %d, got %d\n",
                                cinPath, line, i, c, code, want, got);
            }
        }
    P_FreeBitmap(&bitmap);
    std::printf("%s: %d bits, orientation %d: %d samples, %d differ\n", cinPath, bits, orientation,
                checked, failed);
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--source") return WriteSource(argv[2]);
    if (argc == 3) return Compare(argv[1], argv[2]);
    std::fprintf(stderr, "usage: %s --source OUT.ppm | %s FILE.cin RAW.pnm\n", argv[0], argv[0]);
    return 2;
}
