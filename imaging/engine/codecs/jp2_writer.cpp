// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/jp2_writer.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>

#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr int32_t kLevelTooHigh = -538;  // "Specified Wavelet decomposition level was too high."

void Quiet(const char*, void*) {}

// The bytes OpenJPEG writes, with the seeks a JP2 file needs to fill in box
// lengths afterwards.
struct Output {
    std::vector<uint8_t>* bytes;
    size_t pos = 0;

    static OPJ_SIZE_T Write(void* in, OPJ_SIZE_T n, void* user) {
        auto* self = static_cast<Output*>(user);
        if (self->bytes->size() < self->pos + n) self->bytes->resize(self->pos + n);
        std::memcpy(self->bytes->data() + self->pos, in, n);
        self->pos += n;
        return n;
    }
    static OPJ_OFF_T Skip(OPJ_OFF_T n, void* user) {
        auto* self = static_cast<Output*>(user);
        const OPJ_OFF_T to = OPJ_OFF_T(self->pos) + n;
        if (to < 0) return -1;
        self->pos = size_t(to);
        if (self->bytes->size() < self->pos) self->bytes->resize(self->pos);
        return n;
    }
    static OPJ_BOOL Seek(OPJ_OFF_T to, void* user) {
        auto* self = static_cast<Output*>(user);
        if (to < 0) return OPJ_FALSE;
        self->pos = size_t(to);
        if (self->bytes->size() < self->pos) self->bytes->resize(self->pos);
        return OPJ_TRUE;
    }
};

// The library's objects for one encode, freed together.
struct Encoder {
    opj_image_t* image = nullptr;
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    ~Encoder() {
        if (stream) opj_stream_destroy(stream);
        if (codec) opj_destroy_codec(codec);
        if (image) opj_image_destroy(image);
    }
};

// Decomposition levels the picture's smaller side allows: each level halves it.
int LevelsFor(const PixBitmap& b, int levels) {
    int fit = 0;
    for (int32_t side = std::min(b.Width, b.Height); side > 1 && fit < levels; side /= 2) ++fit;
    return fit;
}

}  // namespace

int32_t EncodeJp2(const PixBitmap& b, const Jp2Encoding& e, std::vector<uint8_t>* out) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 24 && !(b.BitsPerPixel == 8 && HasGreyRamp(b)))
        return kInvalidBitsPerPixel;
    if (e.levels < 0 || e.levels > kMaxJp2Levels) return kLevelTooHigh;
    const bool colour = b.BitsPerPixel == 24;
    const OPJ_UINT32 components = colour ? 3 : 1;

    opj_image_cmptparm_t parts[3]{};
    for (opj_image_cmptparm_t& p : parts) {
        p.dx = p.dy = 1;
        p.w = OPJ_UINT32(b.Width);
        p.h = OPJ_UINT32(b.Height);
        p.prec = 8;
    }
    Encoder enc;
    enc.image = opj_image_create(components, parts, colour ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY);
    if (!enc.image) return kNoMemory;
    enc.image->x1 = OPJ_UINT32(b.Width);
    enc.image->y1 = OPJ_UINT32(b.Height);
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        const size_t base = size_t(y) * size_t(b.Width);
        if (colour) {
            for (int32_t x = 0; x < b.Width; ++x) {
                enc.image->comps[0].data[base + x] = row[3 * x + 2];  // rows hold blue first
                enc.image->comps[1].data[base + x] = row[3 * x + 1];
                enc.image->comps[2].data[base + x] = row[3 * x];
            }
        } else {
            for (int32_t x = 0; x < b.Width; ++x) enc.image->comps[0].data[base + x] = row[x];
        }
    }

    opj_cparameters_t p;
    opj_set_default_encoder_parameters(&p);
    p.numresolution = LevelsFor(b, e.levels) + 1;
    p.tcp_numlayers = 1;
    p.tcp_mct = colour ? 1 : 0;
    if (e.qualityFactor <= 2) {
        // The reversible wavelet with every bit kept.
        p.irreversible = 0;
        p.tcp_rates[0] = 0;
        p.cp_disto_alloc = 1;
    } else {
        p.irreversible = 1;
        p.tcp_distoratio[0] = float(Jp2TargetPsnr(e.qualityFactor));
        p.cp_fixed_quality = 1;
    }
    enc.codec = opj_create_compress(e.codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    if (!enc.codec) return kNoMemory;
    opj_set_error_handler(enc.codec, Quiet, nullptr);
    opj_set_warning_handler(enc.codec, Quiet, nullptr);
    opj_set_info_handler(enc.codec, Quiet, nullptr);
    if (!opj_setup_encoder(enc.codec, &p, enc.image)) return kNoMemory;

    std::vector<uint8_t> bytes;
    Output output{&bytes};
    enc.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    if (!enc.stream) return kNoMemory;
    opj_stream_set_user_data(enc.stream, &output, nullptr);
    opj_stream_set_write_function(enc.stream, Output::Write);
    opj_stream_set_skip_function(enc.stream, Output::Skip);
    opj_stream_set_seek_function(enc.stream, Output::Seek);
    if (!opj_start_compress(enc.codec, enc.image, enc.stream) ||
        !opj_encode(enc.codec, enc.stream) || !opj_end_compress(enc.codec, enc.stream))
        return kNoMemory;
    *out = std::move(bytes);
    return kSuccess;
}

}  // namespace pix
