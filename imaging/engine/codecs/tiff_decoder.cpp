// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/tiff_decoder.h"

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/engine/codecs/byte_order.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/codecs/tiff_chain.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

// Largest single block the library may allocate while reading (a strip or tile).
constexpr tmsize_t kMaxTiffAlloc = tmsize_t{1} << 30;
constexpr double kCmPerInch = 2.54;
constexpr uint16_t kPhotometricTag = 262;
constexpr uint16_t kShortType = 3;
constexpr uint16_t kLongType = 4;

// The photometric interpretation that the directory at byte `ifd` declares
// (0: the first directory), or -1. The library replaces a palette whose colour
// map it could not read with grey, so the declared value is read here from the
// bytes themselves.
int DeclaredPhotometric(std::span<const uint8_t> d, uint64_t ifd) {
    if (d.size() < 16) return -1;
    const bool le = d[0] == 'I';
    auto u16 = [&](uint64_t at) { return le ? Le16(&d[at]) : Be16(&d[at]); };
    auto u32 = [&](uint64_t at) { return le ? Le32(&d[at]) : Be32(&d[at]); };
    auto u64 = [&](uint64_t at) {
        return (uint64_t(u32(at + (le ? 4 : 0))) << 32) | u32(at + (le ? 0 : 4));
    };
    const bool big = u16(2) == 43;
    if (ifd == 0) ifd = big ? u64(8) : u32(4);
    const uint64_t countBytes = big ? 8 : 2, entryBytes = big ? 20 : 12, valueAt = big ? 12 : 8;
    if (ifd > d.size() || d.size() - ifd < countBytes) return -1;
    const uint64_t entries = big ? u64(ifd) : u16(ifd);
    const uint64_t room = (d.size() - ifd - countBytes) / entryBytes;
    for (uint64_t i = 0; i < std::min(entries, room); ++i) {
        const uint64_t at = ifd + countBytes + i * entryBytes;
        if (u16(at) != kPhotometricTag) continue;
        const uint16_t type = u16(at + 2);
        if (type == kShortType) return u16(at + valueAt);
        if (type == kLongType) return static_cast<int>(u32(at + valueAt) & 0xFFFF);
        return -1;
    }
    return -1;
}

// Whether the current directory is a reduced-resolution image (a stamp or a
// preview of the page before it) rather than a page of its own.
bool IsReducedImage(TIFF* tif) {
    uint32_t type = 0;
    uint16_t oldType = 0;
    if (TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &type) && (type & FILETYPE_REDUCEDIMAGE))
        return true;
    return TIFFGetField(tif, TIFFTAG_OSUBFILETYPE, &oldType) && oldType == OFILETYPE_REDUCEDIMAGE;
}

class TiffDecoder final : public ImageDecoder {
public:
    explicit TiffDecoder(std::span<const uint8_t> data) : data_(data) {}
    ~TiffDecoder() override {
        if (tif_) TIFFClose(tif_);
    }

    int32_t ReadInfo(ImageInfo* info) override {
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        const int32_t s = palette_ ? DecodePalette(bitmap, sink) : DecodeRgba(bitmap, sink);
        if (s != kSuccess) status_ = s;
        return s;
    }

private:
    static tmsize_t Read(thandle_t h, void* buf, tmsize_t size) {
        auto* self = static_cast<TiffDecoder*>(h);
        const size_t left = self->data_.size() - self->pos_;
        const size_t n = std::min<size_t>(left, static_cast<size_t>(std::max<tmsize_t>(size, 0)));
        if (n < static_cast<size_t>(size)) self->truncated_ = true;
        std::memcpy(buf, self->data_.data() + self->pos_, n);
        self->pos_ += n;
        return static_cast<tmsize_t>(n);
    }
    static tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }
    static toff_t Seek(thandle_t h, toff_t off, int whence) {
        auto* self = static_cast<TiffDecoder*>(h);
        uint64_t base = whence == SEEK_CUR   ? self->pos_
                        : whence == SEEK_END ? self->data_.size()
                                             : 0;
        const uint64_t to = base + off;
        if (to < base) return static_cast<toff_t>(-1);
        self->pos_ = std::min<uint64_t>(to, self->data_.size());
        return self->pos_;
    }
    static int Close(thandle_t) { return 0; }
    static toff_t Size(thandle_t h) { return static_cast<TiffDecoder*>(h)->data_.size(); }
    static int Map(thandle_t h, void** base, toff_t* size) {
        auto* self = static_cast<TiffDecoder*>(h);
        *base = const_cast<uint8_t*>(self->data_.data());
        *size = self->data_.size();
        return 1;
    }
    static void Unmap(thandle_t, void*, toff_t) {}
    static int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

    int32_t Failure() const { return truncated_ ? kFileRead : kFileFormat; }

    int32_t Parse(ImageInfo* info) {
        // libtiff stops quietly where a chain of directories loops; such a
        // file is damaged.
        const TiffChainEnd end = WalkTiffChain(data_).end;
        if (end == TiffChainEnd::kLoop || end == TiffChainEnd::kTooLong) return kFileFormat;
        TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
        if (!opts) return kNoMemory;
        TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxTiffAlloc);
        TIFFOpenOptionsSetErrorHandlerExtR(opts, Quiet, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, nullptr);
        tif_ = TIFFClientOpenExt("memory", "r", this, Read, Write, Seek, Close, Size, Map, Unmap,
                                 opts);
        TIFFOpenOptionsFree(opts);
        if (!tif_)
            return DeclaredPhotometric(data_, 0) == PHOTOMETRIC_PALETTE ? kFileRead : Failure();
        // Pages are the full-resolution directories; the first one is read.
        int32_t pages = 0;
        tdir_t first = 0;
        tdir_t dir = 0;
        do {
            if (!IsReducedImage(tif_) && pages++ == 0) first = dir;
        } while (++dir < kMaxTiffDirectories && TIFFReadDirectory(tif_));
        if (!TIFFSetDirectory(tif_, first)) return Failure();
        const bool declaredPalette =
            DeclaredPhotometric(data_, TIFFCurrentDirOffset(tif_)) == PHOTOMETRIC_PALETTE;
        uint32_t w = 0, h = 0;
        uint16_t spp = 1, bps = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, compression = 1;
        TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_BITSPERSAMPLE, &bps);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
        if (!TIFFGetField(tif_, TIFFTAG_PHOTOMETRIC, &photometric)) return kFileFormat;
        // A palette file whose colour map is short or cut off cannot be drawn.
        if (declaredPalette && photometric != PHOTOMETRIC_PALETTE) return kFileRead;
        char message[1024];
        if (!TIFFRGBAImageOK(tif_, message)) return kSubTypeUnsupported;

        const bool grey =
            (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
        palette_ = photometric == PHOTOMETRIC_PALETTE && spp == 1 && bps <= 8 && (8 % bps) == 0 &&
                   !TIFFIsTiled(tif_);
        grey_ = grey;
        const int32_t bits = grey || palette_ ? 8 : 24;
        if (const int32_t s = CheckImageGeometry(w, h, bits); s != kSuccess) return s;
        width_ = static_cast<int32_t>(w);
        height_ = static_cast<int32_t>(h);
        bps_ = bps;

        *info = ImageInfo{};
        info->format = kFormatTiff;
        info->width = width_;
        info->height = height_;
        info->bitsPerPixel = bits;
        info->fileBitsPerPixel = spp * bps;
        info->channels = spp;
        info->compression = compression;
        info->pages = std::max<int32_t>(1, pages);
        float xres = 0, yres = 0;
        uint16_t unit = RESUNIT_INCH;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_RESOLUTIONUNIT, &unit);
        if (TIFFGetField(tif_, TIFFTAG_XRESOLUTION, &xres) &&
            TIFFGetField(tif_, TIFFTAG_YRESOLUTION, &yres) && unit != RESUNIT_NONE && xres > 0 &&
            yres > 0 && xres < 1e6f && yres < 1e6f) {
            const double f = unit == RESUNIT_CENTIMETER ? kCmPerInch : 1.0;
            info->xResolution = static_cast<int32_t>(xres * f + 0.5);
            info->yResolution = static_cast<int32_t>(yres * f + 0.5);
        }
        if (palette_) {
            uint16_t *r, *g, *b;
            if (!TIFFGetField(tif_, TIFFTAG_COLORMAP, &r, &g, &b)) return kFileFormat;
            const int count = 1 << bps;
            // Some writers store 8-bit values in the 16-bit map.
            bool eight = true;
            for (int i = 0; i < count; ++i) eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
            const int shift = eight ? 0 : 8;
            for (int i = 0; i < count; ++i)
                info->palette[i] = RGBQUAD{uint8_t(b[i] >> shift), uint8_t(g[i] >> shift),
                                           uint8_t(r[i] >> shift), 0};
            info->colors = count;
        } else if (grey) {
            SetGreyRamp(info);
        }
        return kSuccess;
    }

    int32_t DecodePalette(PixBitmap& bitmap, BandSink& sink) {
        const tmsize_t size = TIFFScanlineSize(tif_);
        if (size <= 0 || uint64_t(size) * 8 < uint64_t(width_) * bps_) return Failure();
        line_.resize(static_cast<size_t>(size));
        RowBands bands(sink, height_, false);
        const int perByte = 8 / bps_;
        const uint8_t mask = static_cast<uint8_t>((1u << bps_) - 1);
        for (int32_t y = 0; y < height_; ++y) {
            if (TIFFReadScanline(tif_, line_.data(), static_cast<uint32_t>(y), 0) < 0)
                return Failure();
            uint8_t* dst = PixRow(bitmap, y);
            if (bps_ == 8) {
                std::memcpy(dst, line_.data(), width_);
            } else {
                for (int32_t x = 0; x < width_; ++x) {
                    const int shift = 8 - bps_ * (x % perByte + 1);
                    dst[x] = (line_[x / perByte] >> shift) & mask;
                }
            }
            if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
        }
        return bands.Finish();
    }

    // Every other layout goes through libtiff's RGBA conversion, fed with rows
    // that are decoded here: each strip or tile is decoded exactly once, and
    // the conversion runs a band of at most 32 rows at a time.
    int32_t DecodeRgba(PixBitmap& bitmap, BandSink& sink) {
        char message[1024];
        TIFFRGBAImage img;
        if (!TIFFRGBAImageBegin(&img, tif_, 1, message)) return Failure();
        // The rows are turned upright here, for the whole picture.
        const int orientation = img.orientation;
        img.req_orientation = img.orientation;
        flipX_ = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT ||
                 orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
        flipY_ = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
                 orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
        RowBands bands(sink, height_, flipY_);
        int32_t status = kSuccess;
        try {
            status = TIFFIsTiled(tif_) ? DecodeTiles(img, bitmap, bands)
                                       : DecodeStrips(img, bitmap, bands);
        } catch (const std::bad_alloc&) {
            status = kNoMemory;
        }
        TIFFRGBAImageEnd(&img);
        raster_ = {};
        for (auto& p : planes_) p = {};
        return status == kSuccess ? bands.Finish() : status;
    }

    // The planes that the conversion reads (sample numbers): one for
    // interleaved samples; for separate ones the colour planes (grey counts
    // one) and the alpha plane after them.
    std::vector<uint16_t> PlanesOf(const TIFFRGBAImage& img) {
        if (img.isContig) return {0};
        const bool oneColour = img.photometric == PHOTOMETRIC_MINISBLACK ||
                               img.photometric == PHOTOMETRIC_MINISWHITE ||
                               img.photometric == PHOTOMETRIC_PALETTE;
        const uint16_t colours = oneColour ? 1 : 3;
        colourPlanes_ = colours;
        std::vector<uint16_t> planes;
        for (uint16_t c = 0; c < colours; ++c) planes.push_back(c);
        if (img.alpha) planes.push_back(colours);
        return planes;
    }

    // Rows of subsampled colour that are stored together (1 otherwise).
    uint16_t VerticalSubsampling(const TIFFRGBAImage& img) const {
        if (img.photometric != PHOTOMETRIC_YCBCR) return 1;
        uint16_t h = 1, v = 1;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_YCBCRSUBSAMPLING, &h, &v);
        return std::max<uint16_t>(v, 1);
    }

    // Converts `rows` rows of `cols` pixels whose samples start at `from`
    // (one pointer per plane, rows `skew` pixels longer than `cols`), file row
    // `y` and column `x` onwards, into the bitmap.
    void Convert(TIFFRGBAImage& img, uint8_t* const* from, uint32_t x, uint32_t y, uint32_t cols,
                 uint32_t rows, int32_t skew, PixBitmap& bitmap) {
        uint32_t* raster = raster_.data();
        if (img.isContig) {
            img.put.contig(&img, raster, x, y, cols, rows, skew, 0, from[0]);
        } else {
            uint8_t* grey = from[0];
            const bool colour = colourPlanes_ == 3;
            uint8_t* alpha = img.alpha ? from[colourPlanes_] : nullptr;
            img.put.separate(&img, raster, x, y, cols, rows, skew, 0, grey, colour ? from[1] : grey,
                             colour ? from[2] : grey, alpha);
        }
        for (uint32_t i = 0; i < rows; ++i) {
            const uint32_t* src = raster + size_t(i) * cols;
            const int32_t fileRow = static_cast<int32_t>(y + i);
            uint8_t* row = PixRow(bitmap, flipY_ ? height_ - 1 - fileRow : fileRow);
            for (uint32_t c = 0; c < cols; ++c) {
                const int32_t fileCol = static_cast<int32_t>(x + c);
                const int32_t at = flipX_ ? width_ - 1 - fileCol : fileCol;
                if (grey_) {
                    row[at] = static_cast<uint8_t>(TIFFGetR(src[c]));
                } else {
                    uint8_t* dst = row + size_t(at) * 3;
                    dst[0] = static_cast<uint8_t>(TIFFGetB(src[c]));
                    dst[1] = static_cast<uint8_t>(TIFFGetG(src[c]));
                    dst[2] = static_cast<uint8_t>(TIFFGetR(src[c]));
                }
            }
        }
    }

    int32_t DecodeStrips(TIFFRGBAImage& img, PixBitmap& bitmap, RowBands& bands) {
        const std::vector<uint16_t> planes = PlanesOf(img);
        const uint16_t ver = VerticalSubsampling(img);
        raster_.resize(size_t(width_) * kBandRows);
        std::array<uint8_t*, 4> from{};
        if (img.isContig && ver == 1) {
            // Interleaved rows one after another: libtiff decodes each strip
            // once, a row at a time, however tall the strip is.
            const tmsize_t line = TIFFScanlineSize(tif_);
            if (line <= 0) return Failure();
            if (uint64_t(line) > uint64_t(kMaxTiffAlloc) / kBandRows) return kNoMemory;
            planes_[0].resize(size_t(line) * kBandRows);
            from[0] = planes_[0].data();
            for (int32_t y = 0; y < height_; y += kBandRows) {
                const int32_t n = std::min(kBandRows, height_ - y);
                for (int32_t i = 0; i < n; ++i)
                    if (TIFFReadScanline(tif_, planes_[0].data() + size_t(i) * size_t(line),
                                         static_cast<uint32_t>(y + i), 0) < 0)
                        return Failure();
                Convert(img, from.data(), 0, uint32_t(y), uint32_t(width_), uint32_t(n), 0, bitmap);
                if (const int32_t s = bands.Advance(n); s != kSuccess) return s;
            }
            return kSuccess;
        }
        // Separate planes or rows of subsampled colour: each strip of each
        // plane is decoded whole, once, and converted band by band.
        uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        rowsPerStrip = std::clamp<uint32_t>(rowsPerStrip, 1, uint32_t(height_));
        const uint64_t stripBytes = TIFFVStripSize64(tif_, rowsPerStrip);
        const uint64_t blockRowBytes = TIFFVStripSize64(tif_, ver);
        if (stripBytes == 0 || blockRowBytes == 0) return Failure();
        if (stripBytes > uint64_t(kMaxTiffAlloc)) return kNoMemory;
        for (size_t p = 0; p < planes.size(); ++p) {
            planes_[p].resize(size_t(stripBytes));
        }
        const uint32_t band = kBandRows - kBandRows % ver;
        for (uint32_t y = 0; y < uint32_t(height_); y += rowsPerStrip) {
            const uint32_t rows = std::min(rowsPerStrip, uint32_t(height_) - y);
            const tmsize_t want = static_cast<tmsize_t>(TIFFVStripSize64(tif_, rows));
            for (size_t p = 0; p < planes.size(); ++p)
                if (TIFFReadEncodedStrip(tif_, TIFFComputeStrip(tif_, y, planes[p]),
                                         planes_[p].data(), want) < 0)
                    return Failure();
            for (uint32_t sub = 0; sub < rows; sub += band) {
                const uint32_t n = std::min(band, rows - sub);
                const size_t offset = size_t(sub / ver) * size_t(blockRowBytes);
                for (size_t p = 0; p < planes.size(); ++p) from[p] = planes_[p].data() + offset;
                Convert(img, from.data(), 0, y + sub, uint32_t(width_), n, 0, bitmap);
                if (const int32_t s = bands.Advance(int32_t(n)); s != kSuccess) return s;
            }
        }
        return kSuccess;
    }

    int32_t DecodeTiles(TIFFRGBAImage& img, PixBitmap& bitmap, RowBands& bands) {
        const std::vector<uint16_t> planes = PlanesOf(img);
        const uint16_t ver = VerticalSubsampling(img);
        uint32_t tw = 0, th = 0;
        TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif_, TIFFTAG_TILELENGTH, &th);
        if (tw == 0 || th == 0) return Failure();
        const uint64_t tileBytes = TIFFTileSize64(tif_);
        const uint64_t blockRowBytes = TIFFVTileSize64(tif_, ver);
        if (tileBytes == 0 || blockRowBytes == 0) return Failure();
        if (tileBytes > uint64_t(kMaxTiffAlloc)) return kNoMemory;
        for (size_t p = 0; p < planes.size(); ++p) planes_[p].resize(size_t(tileBytes));
        // A tile row is converted across the picture at most.
        const uint32_t rasterWidth = std::min(tw, uint32_t(width_));
        const uint32_t band = kBandRows - kBandRows % ver;
        raster_.resize(size_t(rasterWidth) * band);
        std::array<uint8_t*, 4> from{};
        for (uint32_t y = 0; y < uint32_t(height_); y += th) {
            const uint32_t rows = std::min(th, uint32_t(height_) - y);
            for (uint32_t x = 0; x < uint32_t(width_); x += tw) {
                const uint32_t cols = std::min(tw, uint32_t(width_) - x);
                for (size_t p = 0; p < planes.size(); ++p)
                    if (TIFFReadTile(tif_, planes_[p].data(), x, y, 0, planes[p]) < 0)
                        return Failure();
                for (uint32_t sub = 0; sub < rows; sub += band) {
                    const uint32_t n = std::min(band, rows - sub);
                    const size_t offset = size_t(sub / ver) * size_t(blockRowBytes);
                    for (size_t p = 0; p < planes.size(); ++p) from[p] = planes_[p].data() + offset;
                    Convert(img, from.data(), x, y + sub, cols, n, int32_t(tw - cols), bitmap);
                }
            }
            if (const int32_t s = bands.Advance(int32_t(rows)); s != kSuccess) return s;
        }
        return kSuccess;
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool truncated_ = false;
    TIFF* tif_ = nullptr;
    int32_t status_ = kFailure;
    bool palette_ = false;
    bool grey_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int bps_ = 8;
    uint16_t colourPlanes_ = 1;  // of separate planes
    bool flipX_ = false;
    bool flipY_ = false;
    std::vector<uint8_t> line_;
    std::vector<uint32_t> raster_;
    // Decoded samples of the current strip, tile or band, one buffer per plane.
    std::array<std::vector<uint8_t>, 4> planes_;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreateTiffDecoder(std::span<const uint8_t> data) {
    return std::make_unique<TiffDecoder>(data);
}

}  // namespace pix
