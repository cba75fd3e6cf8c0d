#include "imaging/engine/codecs/tiff_writer.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

// The file in memory that libtiff writes, seeks in and reads back.
struct MemoryFile {
    std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

tmsize_t Read(thandle_t h, void* buf, tmsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    const size_t left = f->pos < f->bytes->size() ? f->bytes->size() - f->pos : 0;
    const size_t n = std::min(left, size_t(std::max<tmsize_t>(size, 0)));
    std::memcpy(buf, f->bytes->data() + f->pos, n);
    f->pos += n;
    return tmsize_t(n);
}
tmsize_t Write(thandle_t h, void* buf, tmsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    if (size < 0) return -1;
    const size_t end = f->pos + size_t(size);
    if (end > f->bytes->size()) f->bytes->resize(end);
    std::memcpy(f->bytes->data() + f->pos, buf, size_t(size));
    f->pos = end;
    return size;
}
toff_t Seek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->bytes->size() : 0;
    f->pos = size_t(base + off);
    return toff_t(f->pos);
}
int Close(thandle_t) {
    return 0;
}
toff_t Size(thandle_t h) {
    return toff_t(static_cast<MemoryFile*>(h)->bytes->size());
}
int Map(thandle_t, void**, toff_t*) {
    return 0;
}
void Unmap(thandle_t, void*, toff_t) {}
int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

int32_t WriteImage(TIFF* tif, const PixBitmap& b, TiffCompression compression) {
    const bool colour = b.BitsPerPixel == 24;
    const bool palette = !colour && !HasGreyRamp(b);
    const uint16_t spp = colour ? 3 : 1;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(b.Width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(b.Height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 uint16_t(colour    ? PHOTOMETRIC_RGB
                          : palette ? PHOTOMETRIC_PALETTE
                                    : PHOTOMETRIC_MINISBLACK));
    const uint16_t scheme = compression == TiffCompression::kLzw       ? COMPRESSION_LZW
                            : compression == TiffCompression::kDeflate ? COMPRESSION_ADOBE_DEFLATE
                                                                       : COMPRESSION_NONE;
    TIFFSetField(tif, TIFFTAG_COMPRESSION, scheme);
    // Horizontal differencing makes the smooth tones of photographs and
    // drawings compress far better; palette indices are not tones.
    if (scheme != COMPRESSION_NONE && !palette)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(b.XResolution));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(b.YResolution));
    std::vector<uint16_t> map;
    if (palette) {
        map.resize(3 * 256);
        for (int i = 0; i < 256; ++i) {
            map[i] = uint16_t(b.Palette[i].rgbRed * 257);
            map[256 + i] = uint16_t(b.Palette[i].rgbGreen * 257);
            map[512 + i] = uint16_t(b.Palette[i].rgbBlue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
    }
    std::vector<uint8_t> row(size_t(b.Width) * spp);
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* src = PixRow(b, y);
        if (colour) {
            for (size_t x = 0; x < size_t(b.Width); ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
        } else {
            std::memcpy(row.data(), src, row.size());
        }
        if (TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) < 0) return kNoMemory;
    }
    return TIFFWriteDirectory(tif) ? kSuccess : kNoMemory;
}

}  // namespace

int32_t EncodeTiff(const PixBitmap& b, TiffCompression compression, std::vector<uint8_t>* out) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    out->clear();
    MemoryFile file{out};
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return kNoMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, nullptr);
    TIFF* tif =
        TIFFClientOpenExt("memory", "w", &file, Read, Write, Seek, Close, Size, Map, Unmap, opts);
    TIFFOpenOptionsFree(opts);
    if (!tif) return kNoMemory;
    int32_t status = WriteImage(tif, b, compression);
    TIFFClose(tif);
    if (status != kSuccess) out->clear();
    return status;
}

}  // namespace pix
