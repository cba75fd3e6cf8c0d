#include "imaging/engine/codecs/bmp_writer.h"

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
constexpr uint32_t kFileHeaderBytes = 14;
constexpr double kInchesPerMeter = 0.0254;

void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
}  // namespace

int32_t EncodeBmp(const PixBitmap& b, std::vector<uint8_t>* out) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    const uint32_t colors = b.BitsPerPixel == 8 ? 256 : 0;
    const uint32_t stride = DibRowStride(b.Width, b.BitsPerPixel);
    const uint64_t pixels = uint64_t(stride) * b.Height;
    const uint64_t offset = kFileHeaderBytes + sizeof(BITMAPINFOHEADER) + 4 * colors;
    if (offset + pixels > 0xFFFFFFFFu) return kInvalidSize;
    out->assign(offset + pixels, 0);
    uint8_t* p = out->data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, uint32_t(offset + pixels));
    Put32(p + 10, uint32_t(offset));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = b.Width;
    h.biHeight = b.Height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(b.BitsPerPixel);
    h.biCompression = BI_RGB;
    h.biSizeImage = uint32_t(pixels);
    h.biXPelsPerMeter = int32_t(b.XResolution / kInchesPerMeter + 0.5);
    h.biYPelsPerMeter = int32_t(b.YResolution / kInchesPerMeter + 0.5);
    h.biClrUsed = colors;
    // The header's fields are little-endian on disk, as on our targets.
    std::memcpy(p + kFileHeaderBytes, &h, sizeof(h));
    Put16(p + kFileHeaderBytes + 12, 1);
    if (colors) std::memcpy(p + kFileHeaderBytes + sizeof(h), b.Palette, 4 * colors);
    const size_t rowBytes = size_t(b.Width) * (b.BitsPerPixel / 8);
    for (int32_t y = 0; y < b.Height; ++y)
        std::memcpy(p + offset + uint64_t(stride) * (b.Height - 1 - y), PixRow(b, y), rowBytes);
    return kSuccess;
}

}  // namespace pix
