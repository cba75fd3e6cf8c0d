// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/jpeg_writer.h"

// clang-format off
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
// clang-format on

#include <algorithm>

#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr int kFullChromaQuality = 90;
// Bytes an APP1 segment holds after its length field.
constexpr size_t kMaxSegmentData = 65533;
// Qualities tried for an EXIF thumbnail, best first, until it fits one segment.
constexpr int kThumbnailQualities[] = {90, 75, 50, 25};

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void OnMessage(j_common_ptr, int) {}

// Runs libjpeg; kept free of objects with destructors because errors leave
// through longjmp. The library allocates `*buffer`; the caller frees it.
// `exif`, when not empty, is written as the APP1 segment after the JFIF header.
int32_t Write(jpeg_compress_struct* cinfo, ErrorManager* err, const PixBitmap& b, int quality,
              bool progressive, const uint8_t* exif, size_t exifSize, unsigned char** buffer,
              unsigned long* size) {
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = OnError;
    err->pub.emit_message = OnMessage;
    if (setjmp(err->jump)) return kNoMemory;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, buffer, size);
    cinfo->image_width = JDIMENSION(b.Width);
    cinfo->image_height = JDIMENSION(b.Height);
    cinfo->input_components = b.BitsPerPixel == 8 ? 1 : 3;
    cinfo->in_color_space = b.BitsPerPixel == 8 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    // Full-resolution colour from quality 90 up: halved chroma blurs the thin
    // coloured lines of drawings, and at high quality it saves little.
    if (b.BitsPerPixel == 24 && quality >= kFullChromaQuality)
        for (int i = 0; i < 3; ++i)
            cinfo->comp_info[i].h_samp_factor = cinfo->comp_info[i].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(cinfo);
    cinfo->density_unit = 1;  // dots per inch
    cinfo->X_density = uint16_t(std::clamp(b.XResolution, 1, 65535));
    cinfo->Y_density = uint16_t(std::clamp(b.YResolution, 1, 65535));
    jpeg_start_compress(cinfo, TRUE);
    if (exifSize) jpeg_write_marker(cinfo, JPEG_APP0 + 1, exif, unsigned(exifSize));
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = PixRow(b, int32_t(cinfo->next_scanline));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return kSuccess;
}

void Put16(std::vector<uint8_t>* v, uint32_t x) {
    v->push_back(uint8_t(x));
    v->push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>* v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
// One 12-byte directory entry, little-endian.
void Entry(std::vector<uint8_t>* v, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    Put16(v, tag);
    Put16(v, type);
    Put32(v, count);
    if (type == 3 && count == 1) {
        Put16(v, value);
        Put16(v, 0);
    } else {
        Put32(v, value);
    }
}

// The EXIF segment's data around a JPEG thumbnail: the TIFF header, a first
// directory with the resolution unit, and the thumbnail's directory (JPEG
// compression, 72 dpi, the thumbnail's place and length) followed by the
// thumbnail itself.
std::vector<uint8_t> ExifWithThumbnail(const std::vector<uint8_t>& thumbnail) {
    constexpr uint32_t kFirst = 8, kFirstBytes = 2 + 12 + 4;
    constexpr uint32_t kSecond = kFirst + kFirstBytes, kSecondBytes = 2 + 6 * 12 + 4;
    constexpr uint32_t kRationals = kSecond + kSecondBytes, kData = kRationals + 16;
    std::vector<uint8_t> v = {'E', 'x', 'i', 'f', 0, 0};
    const std::vector<uint8_t> header = {'I', 'I', 42, 0};
    v.insert(v.end(), header.begin(), header.end());
    Put32(&v, kFirst);
    Put16(&v, 1);
    Entry(&v, 0x0128, 3, 1, 2);  // resolution unit: inch
    Put32(&v, kSecond);
    Put16(&v, 6);
    Entry(&v, 0x0103, 3, 1, 6);  // compression: JPEG
    Entry(&v, 0x011A, 5, 1, kRationals);
    Entry(&v, 0x011B, 5, 1, kRationals + 8);
    Entry(&v, 0x0128, 3, 1, 2);
    Entry(&v, 0x0201, 4, 1, kData);
    Entry(&v, 0x0202, 4, 1, uint32_t(thumbnail.size()));
    Put32(&v, 0);
    for (int i = 0; i < 2; ++i) {
        Put32(&v, 72);
        Put32(&v, 1);
    }
    v.insert(v.end(), thumbnail.begin(), thumbnail.end());
    return v;
}

int32_t Encode(const PixBitmap& b, int quality, bool progressive, const std::vector<uint8_t>& exif,
               std::vector<uint8_t>* out) {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int32_t status = Write(&cinfo, &err, b, std::clamp(quality, 1, 100), progressive,
                                 exif.data(), exif.size(), &buffer, &size);
    jpeg_destroy_compress(&cinfo);
    if (status == kSuccess) out->assign(buffer, buffer + size);
    std::free(buffer);
    return status;
}

bool Encodable(const PixBitmap& b) {
    return b.BitsPerPixel == 24 || (b.BitsPerPixel == 8 && HasGreyRamp(b));
}

}  // namespace

int32_t EncodeJpeg(const PixBitmap& b, int quality, bool progressive, std::vector<uint8_t>* out,
                   const PixBitmap* thumbnail) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    if (!Encodable(b)) return kInvalidBitsPerPixel;
    std::vector<uint8_t> exif;
    if (thumbnail) {
        if (!(thumbnail->Flags & kBitmapAllocated) || !Encodable(*thumbnail))
            return kInvalidBitsPerPixel;
        for (const int q : kThumbnailQualities) {
            std::vector<uint8_t> small;
            if (int32_t s = Encode(*thumbnail, std::min(q, quality), false, {}, &small);
                s != kSuccess)
                return s;
            exif = ExifWithThumbnail(small);
            if (exif.size() <= kMaxSegmentData) break;
        }
        if (exif.size() > kMaxSegmentData) return kInvalidSize;
    }
    return Encode(b, quality, progressive, exif, out);
}

}  // namespace pix
