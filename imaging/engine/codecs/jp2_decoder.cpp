// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/jp2_decoder.h"

#include <openjpeg.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr int32_t kJp2BoxValues = -530;    // "Error in JP2 Box values."
constexpr int32_t kJp2Unsupported = -532;  // "JP2 file has a feature that is usupported."
constexpr int32_t kNoSocMarker = -534;     // "File header does not contain SOC marker."
constexpr int32_t kTooManyBits = -540;     // "... more than 30 bits per component."
constexpr int kMaxPrecision = 30;
// OpenJPEG holds every sample of the area it decodes as a 32-bit integer,
// once in its tile and once in the image it hands out, with margins for the
// wavelet filters: the image is decoded in bands of rows so that this stays
// small, and a structure per tile from the header on is bounded before the
// library sees the file.
constexpr uint64_t kLibraryBytesPerSample = 3 * sizeof(OPJ_INT32);
constexpr uint64_t kBandBytes = uint64_t{16} << 20;
// Code-block height that the bands keep to where they can, so that a block is
// decoded for as few bands as possible.
constexpr int32_t kBandAlign = 64;
constexpr uint64_t kMaxTiles = 4096;
constexpr unsigned kOpaque = 255;

constexpr uint8_t kJp2Signature[] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr uint8_t kSocSiz[] = {0xFF, 0x4F, 0xFF, 0x51};

uint32_t Be16(const uint8_t* p) {
    return uint32_t(p[0]) << 8 | p[1];
}
uint32_t Be32(const uint8_t* p) {
    return Be16(p) << 16 | Be16(p + 2);
}
bool Type(const uint8_t* p, const char (&t)[5]) {
    return std::memcmp(p, t, 4) == 0;
}

// One box of a JP2 file: its type and its contents.
struct Box {
    const uint8_t* type;
    std::span<const uint8_t> body;
};

// The boxes of `data` one after another into `boxes`: -530 for a length
// shorter than its box's header, -7 for one past the end (a truncated file).
int32_t Boxes(std::span<const uint8_t> data, std::vector<Box>* boxes) {
    size_t at = 0;
    while (at < data.size()) {
        if (data.size() - at < 8) return kFileRead;
        uint64_t length = Be32(&data[at]);
        size_t header = 8;
        if (length == 1) {
            if (data.size() - at < 16) return kFileRead;
            length = uint64_t(Be32(&data[at + 8])) << 32 | Be32(&data[at + 12]);
            header = 16;
        } else if (length == 0) {
            length = data.size() - at;  // the last box runs to the end
        }
        if (length < header) return kJp2BoxValues;
        if (length > data.size() - at) return kFileRead;
        boxes->push_back({&data[at + 4], data.subspan(at + header, size_t(length) - header)});
        at += size_t(length);
    }
    return kSuccess;
}

uint8_t OverWhite(unsigned value, unsigned alpha) {
    return static_cast<uint8_t>((value * alpha + 255 * (kOpaque - alpha) + 127) / 255);
}

// Samples of one component as 8-bit levels: signed ones shifted up, deeper
// ones scaled to 0..255 with rounding.
class Levels {
public:
    explicit Levels(const opj_image_comp_t& c)
        : data_(c.data),
          max_((int64_t{1} << c.prec) - 1),
          offset_(c.sgnd ? int64_t{1} << (c.prec - 1) : 0) {}
    uint8_t operator[](size_t i) const {
        const int64_t v = std::clamp<int64_t>(int64_t{data_[i]} + offset_, 0, max_);
        return max_ == 255 ? uint8_t(v) : uint8_t((v * 255 + max_ / 2) / max_);
    }

private:
    const OPJ_INT32* data_;
    int64_t max_;
    int64_t offset_;
};

void Quiet(const char*, void*) {}

// Notes whether the library failed for want of memory: it says so only in
// its messages ("Not enough memory ...", "Cannot allocate ...", and "Size of
// tile data exceeds system limits" when the tile's samples cannot be had).
void NoteMemoryError(const char* message, void* user) {
    const std::string_view m(message ? message : "");
    if (m.find("memory") != m.npos || m.find("alloc") != m.npos ||
        m.find("exceeds system limits") != m.npos)
        *static_cast<bool*>(user) = true;
}

class Jp2Decoder final : public ImageDecoder {
public:
    explicit Jp2Decoder(std::span<const uint8_t> data) : data_(data) {}
    ~Jp2Decoder() override { Release(); }

    int32_t ReadInfo(ImageInfo* info) override {
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        status_ = kFailure;  // decoded once at most
        if (bitmap.Width != width_ || bitmap.Height != height_) return kInvalidBitmap;
        for (int32_t first = 0; first < height_;) {
            const int32_t end = BandEnd(first);
            if (const int32_t s = Run(first, end); s != kSuccess) return s;
            Fill(bitmap, first);
            first = end;
        }
        Close();
        // A file that fails part of the way shows nothing, so rows are handed
        // on once all are in.
        RowBands bands(sink, bitmap.Height, false);
        return bands.Finish();
    }

private:
    // The codestream's SIZ marker: the geometry, tiles and components, checked
    // before anything is allocated.
    int32_t Parse(ImageInfo* info) {
        std::span<const uint8_t> codestream = data_;
        if (IsJp2File(data_)) {
            format_ = kFormatJp2;
            std::vector<Box> boxes;
            if (const int32_t s = Boxes(data_, &boxes); s != kSuccess) return s;
            std::optional<std::span<const uint8_t>> found;
            for (const Box& b : boxes) {
                if (Type(b.type, "jp2h")) {
                    std::vector<Box> inner;
                    // Inside a whole box a length past its end is a wrong value.
                    if (Boxes(b.body, &inner) != kSuccess) return kJp2BoxValues;
                    // Palette files are not read: expanding one multiplies
                    // the components past what the header shows.
                    for (const Box& i : inner)
                        if (Type(i.type, "pclr")) return kJp2Unsupported;
                }
                if (Type(b.type, "jp2c") && !found) found = b.body;
            }
            if (!found) return kFileFormat;
            codestream = *found;
        } else {
            format_ = kFormatJ2k;
        }
        if (!IsJ2kCodestream(codestream)) return kNoSocMarker;
        constexpr size_t kFixed = 4 + 2 + 2 + 8 * 4 + 2;
        if (codestream.size() < kFixed) return kFileRead;
        const uint8_t* p = codestream.data() + 4;
        const uint32_t lsiz = Be16(p);
        const uint32_t xsiz = Be32(p + 4), ysiz = Be32(p + 8);
        const uint32_t x0 = Be32(p + 12), y0 = Be32(p + 16);
        const uint32_t tw = Be32(p + 20), th = Be32(p + 24);
        const uint32_t tx0 = Be32(p + 28), ty0 = Be32(p + 32);
        const uint32_t components = Be16(p + 36);
        if (components == 0 || lsiz != 38 + 3 * components) return kFileFormat;
        if (codestream.size() < kFixed + 3 * size_t(components)) return kFileRead;
        if (xsiz <= x0 || ysiz <= y0 || tw == 0 || th == 0 || tx0 > x0 || ty0 > y0 ||
            uint64_t(tx0) + tw <= x0 || uint64_t(ty0) + th <= y0)
            return kFileFormat;
        const int64_t width = int64_t{xsiz} - x0, height = int64_t{ysiz} - y0;
        if (const int32_t s = CheckImageGeometry(width, height, 24); s != kSuccess) return s;
        // Grey, grey with alpha, colour, colour with alpha.
        if (components > 4) return kSubTypeUnsupported;
        int32_t fileBits = 0;
        for (uint32_t c = 0; c < components; ++c) {
            const uint8_t* s = p + 38 + 3 * c;
            const int precision = (s[0] & 0x7F) + 1;
            if (precision > kMaxPrecision) return kTooManyBits;
            if (s[1] != 1 || s[2] != 1) return kSubTypeUnsupported;  // subsampled
            fileBits += precision;
        }
        const uint64_t tiles =
            uint64_t((xsiz - tx0 + uint64_t(tw) - 1) / tw) * ((ysiz - ty0 + uint64_t(th) - 1) / th);
        if (tiles > kMaxTiles) return kNotSupported;

        width_ = int32_t(width);
        height_ = int32_t(height);
        components_ = int32_t(components);
        x0_ = x0;
        y0_ = y0;
        tileY0_ = ty0;
        tileHeight_ = th;
        tiles_ = tiles;
        const uint64_t rowBytes = uint64_t(width) * components * kLibraryBytesPerSample;
        // Bands of whole code-blocks at least: narrower ones would decode the
        // same blocks again and again. Such a band must leave the load within
        // its budget.
        if (rowBytes * uint64_t(std::min(height_, kBandAlign)) > DecoderWorkBudget(width, height))
            return kNoMemory;
        const uint64_t rows = std::max<uint64_t>(kBandBytes / rowBytes, kBandAlign);
        bandRows_ = int32_t(std::min<uint64_t>(rows - rows % kBandAlign, uint64_t(height)));
        *info = ImageInfo{};
        info->format = format_;
        info->width = width_;
        info->height = height_;
        info->bitsPerPixel = components <= 2 ? 8 : 24;
        info->channels = components_;
        info->fileBitsPerPixel = fileBits;
        if (components <= 2) SetGreyRamp(info);
        return kSuccess;
    }

    static OPJ_SIZE_T OnRead(void* out, OPJ_SIZE_T n, void* user) {
        auto* self = static_cast<Jp2Decoder*>(user);
        const size_t left = self->data_.size() - self->pos_;
        if (left == 0) return OPJ_SIZE_T(-1);
        n = std::min(n, left);
        std::memcpy(out, self->data_.data() + self->pos_, n);
        self->pos_ += n;
        return n;
    }
    static OPJ_OFF_T OnSkip(OPJ_OFF_T n, void* user) {
        auto* self = static_cast<Jp2Decoder*>(user);
        const OPJ_OFF_T to = OPJ_OFF_T(self->pos_) + n;
        if (to < 0 || to > OPJ_OFF_T(self->data_.size())) {
            self->pos_ = self->data_.size();
            return -1;
        }
        self->pos_ = size_t(to);
        return n;
    }
    static OPJ_BOOL OnSeek(OPJ_OFF_T to, void* user) {
        auto* self = static_cast<Jp2Decoder*>(user);
        if (to < 0 || to > OPJ_OFF_T(self->data_.size())) return OPJ_FALSE;
        self->pos_ = size_t(to);
        return OPJ_TRUE;
    }

    // End of the band of rows that starts at `first`: a file of several
    // tiles is cut at tile rows where one fits.
    int32_t BandEnd(int32_t first) const {
        const int32_t end = std::min(height_, first + bandRows_);
        if (tiles_ == 1 || end == height_) return end;
        // Tile rows start at tileY0_ + k * tileHeight_ on the reference grid.
        const uint64_t top = uint64_t(y0_) + uint64_t(end);
        const uint64_t boundary = top - (top - tileY0_) % tileHeight_;
        if (boundary <= uint64_t(y0_) + uint64_t(first)) return end;
        return int32_t(boundary - y0_);
    }

    void Release() {
        if (image_) opj_image_destroy(image_);
        if (codec_) opj_destroy_codec(codec_);
        if (stream_) opj_stream_destroy(stream_);
        image_ = nullptr;
        codec_ = nullptr;
        stream_ = nullptr;
    }

    // Frees the library's state once every band is in. Its band buffers come
    // from the heap, which would otherwise keep them while the rest of the
    // load and the drawing take their pictures.
    void Close() {
        Release();
#if defined(__GLIBC__)
        malloc_trim(0);
#endif
    }

    // Opens the stream and reads the main header again from the file's start.
    int32_t Open() {
        Release();
        pos_ = 0;
        stream_ = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
        codec_ = opj_create_decompress(format_ == kFormatJp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
        if (!stream_ || !codec_) return kNoMemory;
        opj_stream_set_user_data(stream_, this, nullptr);
        opj_stream_set_user_data_length(stream_, data_.size());
        opj_stream_set_read_function(stream_, OnRead);
        opj_stream_set_skip_function(stream_, OnSkip);
        opj_stream_set_seek_function(stream_, OnSeek);
        opj_set_error_handler(codec_, NoteMemoryError, &outOfMemory_);
        opj_set_warning_handler(codec_, Quiet, nullptr);
        opj_set_info_handler(codec_, Quiet, nullptr);
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        if (!opj_setup_decoder(codec_, &parameters)) return kFailure;
        if (!opj_read_header(stream_, codec_, &image_) || !image_)
            return outOfMemory_ ? kNoMemory : kFileFormat;
        return kSuccess;
    }

    // Decodes rows `first` to `end` (exclusive) into image_. A file of one
    // tile keeps its codec from band to band, as the library allows; a file
    // of several tiles is read again for every band.
    int32_t Run(int32_t first, int32_t end) {
        if (!codec_ || tiles_ > 1)
            if (const int32_t s = Open(); s != kSuccess) return s;
        if (!opj_set_decode_area(codec_, image_, OPJ_INT32(x0_), OPJ_INT32(y0_ + uint32_t(first)),
                                 OPJ_INT32(x0_ + uint32_t(width_)), OPJ_INT32(y0_ + uint32_t(end))))
            return outOfMemory_ ? kNoMemory : kFileFormat;
        const bool last = end == height_;
        if (!opj_decode(codec_, stream_, image_) || (last && !opj_end_decompress(codec_, stream_)))
            return outOfMemory_ ? kNoMemory : pos_ >= data_.size() ? kFileRead : kFileFormat;
        // What the library delivers must be what the header promised.
        if (int32_t(image_->numcomps) != components_) return kFileFormat;
        if (image_->color_space == OPJ_CLRSPC_SYCC || image_->color_space == OPJ_CLRSPC_EYCC ||
            image_->color_space == OPJ_CLRSPC_CMYK)
            return kSubTypeUnsupported;
        for (OPJ_UINT32 c = 0; c < image_->numcomps; ++c) {
            const opj_image_comp_t& comp = image_->comps[c];
            if (!comp.data || int32_t(comp.w) != width_ || int32_t(comp.h) != end - first ||
                comp.prec == 0 || comp.prec > kMaxPrecision)
                return kFileFormat;
        }
        return kSuccess;
    }

    // The decoded band, which starts at bitmap row `first`, into the bitmap.
    void Fill(PixBitmap& bitmap, int32_t first) const {
        const bool colour = components_ >= 3;
        const bool alpha = components_ == 2 || components_ == 4;
        const int colours = colour ? 3 : 1;
        Levels c0(image_->comps[0]);
        std::optional<Levels> c1, c2, a;
        if (colour) {
            c1.emplace(image_->comps[1]);
            c2.emplace(image_->comps[2]);
        }
        if (alpha) a.emplace(image_->comps[colours]);
        const auto rows = int32_t(image_->comps[0].h);
        for (int32_t y = 0; y < rows; ++y) {
            uint8_t* row = PixRow(bitmap, first + y);
            const size_t base = size_t(y) * size_t(width_);
            for (int32_t x = 0; x < width_; ++x) {
                const size_t i = base + size_t(x);
                const unsigned cover = alpha ? (*a)[i] : kOpaque;
                if (colour) {
                    row[3 * x] = OverWhite((*c2)[i], cover);  // blue first
                    row[3 * x + 1] = OverWhite((*c1)[i], cover);
                    row[3 * x + 2] = OverWhite(c0[i], cover);
                } else {
                    row[x] = OverWhite(c0[i], cover);
                }
            }
        }
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool outOfMemory_ = false;
    int32_t status_ = kFailure;
    int32_t format_ = kFormatJ2k;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t components_ = 0;
    uint32_t x0_ = 0;  // the image's origin on the reference grid
    uint32_t y0_ = 0;
    uint32_t tileY0_ = 0;
    uint32_t tileHeight_ = 1;
    uint64_t tiles_ = 1;
    int32_t bandRows_ = 1;
    opj_stream_t* stream_ = nullptr;
    opj_codec_t* codec_ = nullptr;
    opj_image_t* image_ = nullptr;
};

}  // namespace

bool IsJp2File(std::span<const uint8_t> data) {
    return data.size() >= sizeof kJp2Signature &&
           std::memcmp(data.data(), kJp2Signature, sizeof kJp2Signature) == 0;
}

bool IsJ2kCodestream(std::span<const uint8_t> data) {
    return data.size() >= sizeof kSocSiz && std::memcmp(data.data(), kSocSiz, sizeof kSocSiz) == 0;
}

std::unique_ptr<ImageDecoder> CreateJp2Decoder(std::span<const uint8_t> data) {
    return std::make_unique<Jp2Decoder>(data);
}

}  // namespace pix
