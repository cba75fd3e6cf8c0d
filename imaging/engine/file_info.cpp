// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/file_info.h"

#include <algorithm>

#include "imaging/engine/codecs/decoder_factory.h"
#include "imaging/engine/file_read.h"
#include "imaging/engine/status_codes.h"

namespace pix {

void FillFileInfo(const ImageInfo& image, uint64_t fileSize, PixFileInfo* info) {
    const PixFileInfo keep = *info;
    *info = PixFileInfo{};
    info->StructSize = keep.StructSize;
    info->PageNumber = keep.PageNumber;
    info->Flags = keep.Flags;
    info->LoadResolution = keep.LoadResolution;
    info->Format = image.format;
    info->FileSize = static_cast<uint32_t>(std::min<uint64_t>(fileSize, 0xFFFFFFFFu));
    info->Compression = image.compression;
    info->TotalPages = image.pages;
    info->Width = image.width;
    info->Height = image.height;
    info->BitsPerPixel = image.bitsPerPixel;
    info->FileBitsPerPixel = image.fileBitsPerPixel;
    info->Channels = image.channels;
    info->XResolution = image.xResolution > 0 ? image.xResolution : 96;
    info->YResolution = image.yResolution > 0 ? image.yResolution : 96;
    info->ViewPerspective = 1;
    info->Orientation = image.orientation;
    info->Colors = image.bitsPerPixel == 8 ? image.colors : 0;
    info->Grey = image.grey ? -1 : 0;
    info->Interlaced = image.interlaced ? -1 : 0;
    info->SingleImage = kInfoNotAnimated;
    std::copy(image.palette.begin(), image.palette.end(), info->Palette);
}

}  // namespace pix

namespace {
int32_t CheckInfoRecord(const PixFileInfo* info, uint32_t infoSize) {
    if (!info) return pix::kInvalidParameter;
    if (infoSize != sizeof(PixFileInfo) || info->StructSize != sizeof(PixFileInfo))
        return pix::kInvalidStructSize;
    return pix::kSuccess;
}
}  // namespace

int32_t pix::FileInfoFromBytes(std::span<const uint8_t> file, PixFileInfo* info, uint32_t infoSize,
                               const PixLoadOptions* options) {
    if (const int32_t s = CheckInfoRecord(info, infoSize); s != kSuccess) return s;
    auto decoder = CreateDecoder(DetectImageFormat(file), file);
    if (!decoder) return kFileFormat;
    ImageInfo image;
    if (const int32_t s = decoder->ReadInfo(&image); s != kSuccess) return s;
    const int32_t page = options ? options->PageNumber : 0;
    if (page < 0 || page >= image.pages) return kInvalidParameter;
    info->PageNumber = page;
    FillFileInfo(image, file.size(), info);
    return kSuccess;
}

int32_t P_FileInfo(const char* fileName, PixFileInfo* info, uint32_t infoSize, int32_t /*flags*/,
                   const PixLoadOptions* options) {
    if (const int32_t s = CheckInfoRecord(info, infoSize); s != pix::kSuccess) return s;
    pix::FileBytes file;
    if (const int32_t s = pix::ReadImageFile(fileName, &file); s != pix::kSuccess) return s;
    return pix::FileInfoFromBytes(file.bytes(), info, infoSize, options);
}
