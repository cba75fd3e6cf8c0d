#include "imaging/engine/codecs/tiff_decoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/engine/codecs/byte_order.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

// Largest single block the library may allocate while reading (a strip or tile).
constexpr tmsize_t kMaxTiffAlloc = tmsize_t{1} << 30;
constexpr double kCmPerInch = 2.54;
constexpr uint16_t kPhotometricTag = 262;
constexpr uint16_t kShortType = 3;
constexpr uint16_t kLongType = 4;

// Most directories looked at for pages; later ones are not counted.
constexpr tdir_t kMaxDirectories = 65535;

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
        } while (++dir < kMaxDirectories && TIFFReadDirectory(tif_));
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

    int32_t DecodeRgba(PixBitmap& bitmap, BandSink& sink) {
        char message[1024];
        TIFFRGBAImage img;
        if (!TIFFRGBAImageBegin(&img, tif_, 1, message)) return Failure();
        img.req_orientation = ORIENTATION_TOPLEFT;
        raster_.resize(size_t(width_) * kBandRows);
        RowBands bands(sink, height_, false);
        int32_t status = kSuccess;
        for (int32_t y = 0; y < height_ && status == kSuccess; y += kBandRows) {
            const int32_t n = std::min(kBandRows, height_ - y);
            img.row_offset = y;
            img.col_offset = 0;
            if (!TIFFRGBAImageGet(&img, raster_.data(), static_cast<uint32_t>(width_),
                                  static_cast<uint32_t>(n))) {
                status = Failure();
                break;
            }
            for (int32_t i = 0; i < n; ++i) {
                const uint32_t* src = raster_.data() + size_t(i) * width_;
                uint8_t* dst = PixRow(bitmap, y + i);
                if (grey_) {
                    for (int32_t x = 0; x < width_; ++x)
                        dst[x] = static_cast<uint8_t>(TIFFGetR(src[x]));
                } else {
                    for (int32_t x = 0; x < width_; ++x, dst += 3) {
                        dst[0] = static_cast<uint8_t>(TIFFGetB(src[x]));
                        dst[1] = static_cast<uint8_t>(TIFFGetG(src[x]));
                        dst[2] = static_cast<uint8_t>(TIFFGetR(src[x]));
                    }
                }
            }
            status = bands.Advance(n);
        }
        TIFFRGBAImageEnd(&img);
        return status == kSuccess ? bands.Finish() : status;
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
    std::vector<uint8_t> line_;
    std::vector<uint32_t> raster_;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreateTiffDecoder(std::span<const uint8_t> data) {
    return std::make_unique<TiffDecoder>(data);
}

}  // namespace pix
