// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/decoder_factory.h"

#include <cstring>
#include <initializer_list>

#include "imaging/engine/codecs/bmp_decoder.h"
#include "imaging/engine/codecs/cineon_decoder.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/jp2_decoder.h"
#include "imaging/engine/codecs/jpeg_decoder.h"
#include "imaging/engine/codecs/png_decoder.h"
#include "imaging/engine/codecs/sgi_decoder.h"
#include "imaging/engine/codecs/tiff_decoder.h"

namespace pix {
namespace {
bool StartsWith(std::span<const uint8_t> data, std::initializer_list<uint8_t> magic) {
    return data.size() >= magic.size() &&
           std::memcmp(data.data(), magic.begin(), magic.size()) == 0;
}
}  // namespace

int32_t DetectImageFormat(std::span<const uint8_t> data) {
    if (StartsWith(data, {'B', 'M'})) return kFormatBmp;
    if (StartsWith(data, {0xFF, 0xD8, 0xFF})) return kFormatJpeg;
    if (StartsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return kFormatPng;
    if (StartsWith(data, {'I', 'I', 42, 0}) || StartsWith(data, {'M', 'M', 0, 42}) ||
        StartsWith(data, {'I', 'I', 43, 0}) || StartsWith(data, {'M', 'M', 0, 43}))
        return kFormatTiff;
    if (StartsWith(data, {0x01, 0xDA})) return kFormatSgi;
    if (StartsWith(data, {0x80, 0x2A, 0x5F, 0xD7}) || StartsWith(data, {0xD7, 0x5F, 0x2A, 0x80}))
        return kFormatCineon;
    if (IsJp2File(data)) return kFormatJp2;
    if (IsJ2kCodestream(data)) return kFormatJ2k;
    return kFormatUnknown;
}

std::unique_ptr<ImageDecoder> CreateDecoder(int32_t format, std::span<const uint8_t> data) {
    switch (format) {
        case kFormatBmp:
            return CreateBmpDecoder(data);
        case kFormatJpeg:
            return CreateJpegDecoder(data);
        case kFormatPng:
            return CreatePngDecoder(data);
        case kFormatTiff:
            return CreateTiffDecoder(data);
        case kFormatSgi:
            return CreateSgiDecoder(data);
        case kFormatCineon:
            return CreateCineonDecoder(data);
        case kFormatJp2:
        case kFormatJ2k:
            return CreateJp2Decoder(data);
        default:
            return nullptr;
    }
}

}  // namespace pix
