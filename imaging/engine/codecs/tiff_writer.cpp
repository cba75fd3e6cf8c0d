// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/tiff_writer.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "imaging/engine/codecs/tiff_chain.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr int32_t kInvalidCompression = -23;
// Rows per strip for JPEG: a multiple of the 16-row blocks of subsampled colour.
constexpr uint32_t kJpegStripRows = 64;
constexpr int kFullChromaQuality = 90;

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

TIFF* Open(MemoryFile* file, const char* mode) {
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, nullptr);
    TIFF* tif =
        TIFFClientOpenExt("memory", mode, file, Read, Write, Seek, Close, Size, Map, Unmap, opts);
    TIFFOpenOptionsFree(opts);
    return tif;
}

// Whether the 8-bit page's first 2^bits palette entries are the even grey ramp.
bool GreyLevels(const PixBitmap& b, int32_t bits) {
    if (!b.Palette) return bits == 8;
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
        const int v = (i * 255 + (n - 1) / 2) / (n - 1);
        const RGBQUAD& c = b.Palette[i];
        if (c.rgbRed != v || c.rgbGreen != v || c.rgbBlue != v) return false;
    }
    return true;
}

int32_t Check(const TiffPage& p, TiffCompression compression) {
    const PixBitmap& b = *p.bitmap;
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    const bool colour = p.bits == 24;
    if (colour != (b.BitsPerPixel == 24) || (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) ||
        (p.bits != 1 && p.bits != 4 && p.bits != 8 && p.bits != 24))
        return kInvalidBitsPerPixel;
    if (compression == TiffCompression::kJpeg && !colour && (p.bits != 8 || !GreyLevels(b, 8)))
        return kInvalidCompression;
    return kSuccess;
}

int32_t WritePage(TIFF* tif, const TiffPage& p, const TiffEncoding& e, int32_t pageIndex,
                  int32_t pageCount) {
    const PixBitmap& b = *p.bitmap;
    const bool colour = p.bits == 24;
    const bool palette = !colour && !GreyLevels(b, p.bits);
    const uint16_t spp = colour ? 3 : 1;
    const bool jpeg = e.compression == TiffCompression::kJpeg;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(b.Width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(b.Height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(colour ? 8 : p.bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    if (p.reduced)
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_REDUCEDIMAGE));
    else if (pageCount > 1)
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
    if (!p.reduced && pageCount > 1)
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(pageIndex), uint16_t(pageCount));
    const uint16_t scheme = e.compression == TiffCompression::kLzw       ? COMPRESSION_LZW
                            : e.compression == TiffCompression::kDeflate ? COMPRESSION_ADOBE_DEFLATE
                            : jpeg                                       ? COMPRESSION_JPEG
                                                                         : COMPRESSION_NONE;
    TIFFSetField(tif, TIFFTAG_COMPRESSION, scheme);
    if (jpeg && colour) {
        // libtiff turns the RGB rows into subsampled YCbCr itself.
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_YCBCR));
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, int(JPEGCOLORMODE_RGB));
        // Full-resolution colour from quality 90 up, as in JPEG files.
        if (e.jpegQuality >= kFullChromaQuality)
            TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, uint16_t(1), uint16_t(1));
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                     uint16_t(colour    ? PHOTOMETRIC_RGB
                              : palette ? PHOTOMETRIC_PALETTE
                                        : PHOTOMETRIC_MINISBLACK));
    }
    if (jpeg) TIFFSetField(tif, TIFFTAG_JPEGQUALITY, std::clamp(e.jpegQuality, 1, 100));
    // Horizontal differencing makes the smooth tones of photographs and
    // drawings compress far better; palette indices and packed pixels are not tones.
    if ((scheme == COMPRESSION_LZW || scheme == COMPRESSION_ADOBE_DEFLATE) && !palette &&
        p.bits >= 8)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, jpeg ? kJpegStripRows : TIFFDefaultStripSize(tif, 0));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(b.XResolution));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(b.YResolution));
    std::vector<uint16_t> map;
    if (palette) {
        const size_t n = size_t(1) << p.bits;
        map.assign(3 * n, 0);
        for (size_t i = 0; i < n; ++i) {
            map[i] = uint16_t(b.Palette[i].rgbRed * 257);
            map[n + i] = uint16_t(b.Palette[i].rgbGreen * 257);
            map[2 * n + i] = uint16_t(b.Palette[i].rgbBlue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
    }
    const size_t rowBytes = colour ? size_t(b.Width) * 3 : (size_t(b.Width) * p.bits + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* src = PixRow(b, y);
        if (colour) {
            for (size_t x = 0; x < size_t(b.Width); ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
        } else if (p.bits == 8) {
            std::memcpy(row.data(), src, rowBytes);
        } else {
            std::fill(row.begin(), row.end(), 0);
            const int perByte = 8 / p.bits;
            for (int32_t x = 0; x < b.Width; ++x)
                row[size_t(x / perByte)] |= uint8_t(src[x] << (8 - p.bits * (x % perByte + 1)));
        }
        if (TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) < 0) return kNoMemory;
    }
    return TIFFWriteDirectory(tif) ? kSuccess : kNoMemory;
}

int32_t WritePages(TIFF* tif, std::span<const TiffPage> pages, const TiffEncoding& e) {
    int32_t count = 0;
    for (const TiffPage& p : pages) count += p.reduced ? 0 : 1;
    int32_t index = 0;
    for (const TiffPage& p : pages) {
        if (int32_t s = WritePage(tif, p, e, index, count); s != kSuccess) return s;
        index += p.reduced ? 0 : 1;
    }
    return kSuccess;
}

struct Directory {
    uint64_t offset;
    bool reduced;
};

// The directories of a classic TIFF in chain order, or false.
bool ListDirectories(std::vector<uint8_t>* bytes, std::vector<Directory>* out) {
    out->clear();
    if (bytes->size() < 8) return false;
    const uint8_t* h = bytes->data();
    const bool classic = (h[0] == 'I' && h[1] == 'I' && h[2] == 42 && h[3] == 0) ||
                         (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && h[3] == 42);
    if (!classic) return false;
    MemoryFile file{bytes};
    TIFF* tif = Open(&file, "r");
    if (!tif) return false;
    bool ok = true;
    do {
        uint32_t type = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_SUBFILETYPE, &type);
        out->push_back({TIFFCurrentDirOffset(tif), (type & FILETYPE_REDUCEDIMAGE) != 0});
        if (out->size() > kMaxTiffDirectories) ok = false;
    } while (ok && TIFFReadDirectory(tif));
    TIFFClose(tif);
    return ok;
}

// Points the header and every directory's next-directory field along `chain`.
bool Relink(std::vector<uint8_t>* bytes, const std::vector<uint64_t>& chain) {
    uint8_t* d = bytes->data();
    const size_t size = bytes->size();
    const bool little = d[0] == 'I';
    auto get16 = [&](size_t at) {
        return little ? uint32_t(d[at] | d[at + 1] << 8) : uint32_t(d[at] << 8 | d[at + 1]);
    };
    auto put32 = [&](size_t at, uint64_t v) {
        for (int i = 0; i < 4; ++i) d[at + size_t(little ? i : 3 - i)] = uint8_t(v >> (8 * i));
    };
    put32(4, chain.empty() ? 0 : chain[0]);
    for (size_t i = 0; i < chain.size(); ++i) {
        const uint64_t at = chain[i];
        if (at > size || size - at < 2) return false;
        const uint64_t next = at + 2 + 12 * uint64_t(get16(size_t(at)));
        if (next > size || size - next < 4) return false;
        put32(size_t(next), i + 1 < chain.size() ? chain[i + 1] : 0);
    }
    return true;
}

}  // namespace

int32_t EncodeTiff(std::span<const TiffPage> pages, const TiffEncoding& e,
                   std::vector<uint8_t>* out) {
    for (const TiffPage& p : pages)
        if (int32_t s = Check(p, e.compression); s != kSuccess) return s;
    out->clear();
    MemoryFile file{out};
    TIFF* tif = Open(&file, "w");
    if (!tif) return kNoMemory;
    const int32_t status = WritePages(tif, pages, e);
    TIFFClose(tif);
    if (status != kSuccess) out->clear();
    return status;
}

int32_t EncodeTiff(const PixBitmap& b, TiffCompression compression, std::vector<uint8_t>* out) {
    const TiffPage page{&b, b.BitsPerPixel};
    return EncodeTiff(std::span(&page, 1), TiffEncoding{compression, 100}, out);
}

int32_t AddTiffPages(std::span<const uint8_t> existing, std::span<const TiffPage> pages,
                     const TiffEncoding& e, PagePlacement placement, int32_t page,
                     std::vector<uint8_t>* out) {
    for (const TiffPage& p : pages)
        if (int32_t s = Check(p, e.compression); s != kSuccess) return s;
    // libtiff follows the chain to its end to link a page to it, for ever when
    // it loops: only a chain that ends in 0, every directory of it readable,
    // takes pages.
    const TiffChain walked = WalkTiffChain(existing);
    if (walked.end != TiffChainEnd::kZero) return kFileFormat;
    out->assign(existing.begin(), existing.end());
    std::vector<Directory> old;
    if (!ListDirectories(out, &old) || old.size() != walked.offsets.size()) return kFileFormat;
    // Pages: each directory that is not a reduced image, with the reduced ones after it.
    std::vector<std::vector<uint64_t>> groups;
    for (const Directory& d : old) {
        if (!d.reduced || groups.empty()) groups.emplace_back();
        groups.back().push_back(d.offset);
    }
    const size_t at = std::min(size_t(std::max(page, 0)), groups.size());
    if (placement == PagePlacement::kReplace && (page < 0 || size_t(page) >= groups.size()))
        return kInvalidParameter;

    MemoryFile file{out};
    TIFF* tif = Open(&file, "a");
    if (!tif) return kFileFormat;
    int32_t status = kSuccess;
    for (const TiffPage& p : pages)
        if (status == kSuccess) status = WritePage(tif, p, e, 0, 2);
    TIFFClose(tif);
    if (status != kSuccess) return status;

    std::vector<Directory> all;
    if (!ListDirectories(out, &all) || all.size() != old.size() + pages.size()) return kFileFormat;
    std::vector<uint64_t> added;
    for (size_t i = old.size(); i < all.size(); ++i) added.push_back(all[i].offset);
    if (placement == PagePlacement::kAppend) return kSuccess;
    std::vector<uint64_t> chain;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (g == at) chain.insert(chain.end(), added.begin(), added.end());
        if (g == at && placement == PagePlacement::kReplace) continue;
        chain.insert(chain.end(), groups[g].begin(), groups[g].end());
    }
    if (at == groups.size()) chain.insert(chain.end(), added.begin(), added.end());
    return Relink(out, chain) ? kSuccess : kFileFormat;
}

}  // namespace pix
