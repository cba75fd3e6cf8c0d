// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/file_save.h"

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/bmp_writer.h"
#include "imaging/engine/codecs/format_table.h"
#include "imaging/engine/codecs/jp2_writer.h"
#include "imaging/engine/codecs/jpeg_writer.h"
#include "imaging/engine/codecs/png_writer.h"
#include "imaging/engine/codecs/reduce_depth.h"
#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/codecs/sgi_writer.h"
#include "imaging/engine/codecs/stamp.h"
#include "imaging/engine/codecs/tiff_writer.h"
#include "imaging/engine/file_read.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
constexpr int32_t kInvalidQualityFactor = -21;  // "Invalid QFactor specified."
constexpr int32_t kInvalidCompression = -23;    // "Invalid compression format."

// Whether the format (with this compression) holds 8 bits per pixel only as grey.
bool GreyOnly8(int32_t format, int32_t compression) {
    return format == kFormatJpeg || format == kFormatSgi || format == kFormatJp2 ||
           format == kFormatJ2k || (format == kFormatTiff && compression == kCompressionJpeg);
}

// A page brought to the depth it is saved at; owns its pixels when converted.
class PreparedPage {
public:
    PreparedPage() { P_InitBitmap(&converted_, sizeof(converted_), 0, 0, 0); }
    ~PreparedPage() { P_FreeBitmap(&converted_); }
    PreparedPage(const PreparedPage&) = delete;
    PreparedPage& operator=(const PreparedPage&) = delete;

    int32_t Prepare(const PixBitmap& source, int32_t bits, bool greyOnly) {
        bits_ = bits;
        page_ = &source;
        if (bits == 24) {
            if (source.BitsPerPixel == 24) return kSuccess;
            page_ = &converted_;
            return ConvertForSave(source, 24, false, &converted_);
        }
        if (bits == 8 && greyOnly) {
            if (source.BitsPerPixel == 8 && HasGreyRamp(source)) return kSuccess;
            page_ = &converted_;
            return ConvertForSave(source, 8, true, &converted_);
        }
        // A palette picture keeps its palette at 8 bits; everything else is reduced.
        if (bits == 8 && source.BitsPerPixel == 8) return kSuccess;
        page_ = &converted_;
        return ReduceToPalette(source, bits, &converted_);
    }
    const PixBitmap& page() const { return *page_; }
    int32_t bits() const { return bits_; }

private:
    PixBitmap converted_;
    const PixBitmap* page_ = nullptr;
    int32_t bits_ = 0;
};

TiffCompression TiffCompressionOf(int32_t c) {
    switch (c) {
        case kCompressionNone:
            return TiffCompression::kNone;
        case kCompressionDeflate:
            return TiffCompression::kDeflate;
        case kCompressionJpeg:
            return TiffCompression::kJpeg;
        default:
            return TiffCompression::kLzw;
    }
}

// The whole file's bytes for pages already at their depths; `stamp` (or null)
// follows the first page in the formats that carry one.
int32_t Encode(std::span<PreparedPage* const> pages, const PixBitmap* stamp, int32_t format,
               int32_t compression, const SaveOptions& o, const std::string& path,
               std::vector<uint8_t>* bytes) {
    const PixBitmap& b = pages[0]->page();
    const int32_t bits = pages[0]->bits();
    switch (format) {
        case kFormatBmp:
            return EncodeBmp(b, bytes, bits, compression == kCompressionRle);
        case kFormatPng:
            return EncodePng(b, bytes, kFastPng, bits);
        case kFormatJpeg:
            return EncodeJpeg(b, JpegQuality(o.qualityFactor),
                              compression == kCompressionProgressiveJpeg, bytes, stamp);
        case kFormatJp2:
        case kFormatJ2k:
            return EncodeJp2(b, {format == kFormatJ2k, o.qualityFactor, o.jpeg2000Levels}, bytes);
        case kFormatSgi:
            return EncodeSgi(b, compression == kCompressionRle, bytes);
        case kFormatTiff: {
            std::vector<TiffPage> tiff;
            for (size_t i = 0; i < pages.size(); ++i) {
                tiff.push_back({&pages[i]->page(), pages[i]->bits()});
                if (i == 0 && stamp) tiff.push_back({stamp, stamp->BitsPerPixel, true});
            }
            const TiffEncoding e{TiffCompressionOf(compression), JpegQuality(o.qualityFactor)};
            if (o.placement == PagePlacement::kNewFile) return EncodeTiff(tiff, e, bytes);
            FileBytes existing;
            const int32_t read = ReadImageFile(path.c_str(), &existing);
            if (read == kFileNotFound && o.placement != PagePlacement::kReplace)
                return EncodeTiff(tiff, e, bytes);
            if (read != kSuccess) return read;
            return AddTiffPages(existing.bytes(), tiff, e, o.placement, o.page, bytes);
        }
        default:
            return kNotSupported;
    }
}
}  // namespace

int32_t SaveOptionsFromRecord(const PixSaveFileOptions& r, int32_t bitsPerPixel,
                              int32_t qualityFactor, SaveOptions* out) {
    if (r.StructSize != sizeof(PixSaveFileOptions)) return kInvalidStructSize;
    SaveOptions o;
    o.bitsPerPixel = bitsPerPixel;
    o.qualityFactor = qualityFactor;
    o.compression = r.Compression;
    o.progressive = r.Progressive != 0;
    if (r.Flags & kSaveWithStamp) {
        o.stamp = true;
        o.stampWidth = r.StampWidth;
        o.stampHeight = r.StampHeight;
        o.stampBits = r.StampBits;
    }
    const uint32_t placement = r.Flags & (kSaveInsertPage | kSaveReplacePage);
    if (placement == (kSaveInsertPage | kSaveReplacePage)) return kInvalidParameter;
    if (placement == kSaveInsertPage) {
        o.placement = PagePlacement::kInsert;
        o.page = r.PageNumber;
    } else if (placement == kSaveReplacePage) {
        o.placement = PagePlacement::kReplace;
        o.page = r.PageNumber;
    } else {
        o.placement =
            r.PageNumber >= kSaveAppendPage ? PagePlacement::kAppend : PagePlacement::kNewFile;
    }
    *out = o;
    return kSuccess;
}

int32_t SaveBitmapPages(std::span<const PixBitmap* const> pages, const std::string& path,
                        int32_t format, const SaveOptions& options, int* systemError) {
    if (systemError) *systemError = 0;
    const FileFormatEntry* entry = FindFileFormat(format);
    if (!entry || entry->saveDepths == 0) return kNotSupported;
    if (pages.empty()) return kInvalidBitmap;
    for (const PixBitmap* p : pages)
        if (!p || !(p->Flags & kBitmapAllocated) || !p->Data) return kInvalidBitmap;
    if (options.qualityFactor < kBestQualityFactor ||
        options.qualityFactor > kSmallestQualityFactor)
        return kInvalidQualityFactor;
    int32_t compression = options.compression;
    if (format == kFormatJpeg && options.progressive && compression == kCompressionDefault)
        compression = kCompressionProgressiveJpeg;
    compression = ResolveCompression(format, compression);
    for (const PixBitmap* p : pages) {
        const int32_t bits = options.bitsPerPixel == 0 ? p->BitsPerPixel : options.bitsPerPixel;
        if (!CanSaveDepth(format, bits) || (p->BitsPerPixel != 8 && p->BitsPerPixel != 24))
            return kInvalidBitsPerPixel;
        if (!CanSaveCompression(format, compression, bits)) return kInvalidCompression;
    }
    const bool multiPage = format == kFormatTiff;
    if ((pages.size() > 1 || options.placement != PagePlacement::kNewFile) && !multiPage)
        return kNotSupported;
    if (options.stamp && format != kFormatJpeg && format != kFormatTiff) return kNotSupported;
    if (!ReportProgress(0)) return kUserAbort;

    std::vector<std::unique_ptr<PreparedPage>> prepared;
    std::vector<PreparedPage*> order;
    for (size_t i = 0; i < pages.size(); ++i) {
        const PixBitmap& p = *pages[i];
        const int32_t bits = options.bitsPerPixel == 0 ? p.BitsPerPixel : options.bitsPerPixel;
        prepared.push_back(std::make_unique<PreparedPage>());
        if (int32_t s = prepared.back()->Prepare(p, bits, GreyOnly8(format, compression));
            s != kSuccess)
            return s;
        order.push_back(prepared.back().get());
        if (pages.size() > 1 && !ReportProgress(int32_t(50 * (i + 1) / pages.size())))
            return kUserAbort;
    }
    PixBitmap stamp;
    P_InitBitmap(&stamp, sizeof(stamp), 0, 0, 0);
    if (options.stamp) {
        const int32_t stampBits =
            options.stampBits == 0 && GreyOnly8(format, compression) && order[0]->bits() == 8
                ? 8
                : options.stampBits;
        if (int32_t s =
                MakeStamp(*pages[0], options.stampWidth, options.stampHeight, stampBits, &stamp);
            s != kSuccess) {
            P_FreeBitmap(&stamp);
            return s;
        }
    }
    std::vector<uint8_t> bytes;
    const int32_t status =
        Encode(order, options.stamp ? &stamp : nullptr, format, compression, options, path, &bytes);
    P_FreeBitmap(&stamp);
    if (status != kSuccess) return status;
    if (!ReportProgress(100)) return kUserAbort;
    return WriteFileAtomically(path, bytes, systemError, options.replaceExisting);
}

int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       const SaveOptions& options, int* systemError) {
    const PixBitmap* pages[] = {&bitmap};
    return SaveBitmapPages(pages, path, format, options, systemError);
}

int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       int* systemError) {
    return SaveBitmapFile(bitmap, path, format, SaveOptions{}, systemError);
}

}  // namespace pix

namespace {
// The engine calls take the JPEG 2000 levels from the record installed with
// P_SetJ2KOptions (the image control installs its own before every save);
// the pix:: saves take them from their SaveOptions only.
int32_t OptionsOf(const PixSaveFileOptions* record, int32_t bitsPerPixel, int32_t qualityFactor,
                  pix::SaveOptions* out) {
    PixSaveFileOptions defaults;
    if (!record) {
        P_GetDefaultSaveFileOption(&defaults, sizeof(defaults));
        record = &defaults;
    }
    const int32_t s = pix::SaveOptionsFromRecord(*record, bitsPerPixel, qualityFactor, out);
    if (s != pix::kSuccess) return s;
    PixJ2KOptions j2k;
    if (P_GetJ2KOptions(&j2k, sizeof j2k) == pix::kSuccess) out->jpeg2000Levels = j2k.Levels;
    return pix::kSuccess;
}
}  // namespace

int32_t P_SaveBitmap(const char* fileName, const PixBitmap* bitmap, int32_t format,
                     int32_t bitsPerPixel, int32_t qualityFactor,
                     const PixSaveFileOptions* options) {
    if (!fileName) return pix::kInvalidFileName;
    if (!bitmap) return pix::kInvalidBitmap;
    pix::SaveOptions o;
    if (int32_t s = OptionsOf(options, bitsPerPixel, qualityFactor, &o); s != pix::kSuccess)
        return s;
    return pix::SaveBitmapFile(*bitmap, fileName, format, o);
}

int32_t P_SaveBitmapList(const char* fileName, HBITMAPLIST list, int32_t format,
                         int32_t bitsPerPixel, int32_t qualityFactor,
                         const PixSaveFileOptions* options) {
    if (!fileName) return pix::kInvalidFileName;
    uint32_t count = 0;
    if (P_GetBitmapListCount(list, &count) != pix::kSuccess || count == 0)
        return pix::kInvalidBitmap;
    pix::SaveOptions o;
    if (int32_t s = OptionsOf(options, bitsPerPixel, qualityFactor, &o); s != pix::kSuccess)
        return s;
    std::vector<PixBitmap> items(count);
    std::vector<const PixBitmap*> pages(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (P_GetBitmapListItem(list, i, &items[i], sizeof(PixBitmap)) != pix::kSuccess)
            return pix::kInvalidBitmap;
        pages[i] = &items[i];
    }
    return pix::SaveBitmapPages(pages, fileName, format, o);
}

int32_t P_SaveFile(const char* fileName, PixBitmap* bitmap, int32_t format, int32_t bitsPerPixel,
                   int32_t qualityFactor, uint32_t saveFlags, PixSaveCallback callback,
                   void* userData, const PixSaveFileOptions* options) {
    if (!fileName) return pix::kInvalidFileName;
    if (!bitmap || (bitmap->BitsPerPixel != 8 && bitmap->BitsPerPixel != 24) ||
        bitmap->Width <= 0 || bitmap->Height <= 0)
        return pix::kInvalidBitmap;
    if (!callback) return pix::kInvalidParameter;
    pix::SaveOptions o;
    if (int32_t s = OptionsOf(options, bitsPerPixel, qualityFactor, &o); s != pix::kSuccess)
        return s;
    if (saveFlags & kSaveFileStamp) {
        PixSaveFileOptions defaults;
        const PixSaveFileOptions* r = options;
        if (!r) {
            P_GetDefaultSaveFileOption(&defaults, sizeof(defaults));
            r = &defaults;
        }
        o.stamp = true;
        o.stampWidth = r->StampWidth;
        o.stampHeight = r->StampHeight;
        o.stampBits = r->StampBits;
    }
    PixBitmap rows;
    if (int32_t s =
            P_InitBitmap(&rows, sizeof(rows), bitmap->Width, bitmap->Height, bitmap->BitsPerPixel);
        s != pix::kSuccess)
        return s;
    if (int32_t s = P_AllocateBitmap(&rows, sizeof(rows)); s != pix::kSuccess) return s;
    rows.XResolution = bitmap->XResolution;
    rows.YResolution = bitmap->YResolution;
    if (bitmap->BitsPerPixel == 8 && bitmap->Palette)
        std::memcpy(rows.Palette, bitmap->Palette, 256 * sizeof(RGBQUAD));
    const uint32_t rowBytes = uint32_t(bitmap->Width) * uint32_t(bitmap->BitsPerPixel / 8);
    int32_t status = pix::kSuccess;
    for (int32_t y = 0; y < bitmap->Height && status == pix::kSuccess; ++y)
        if (callback(bitmap, y, PixRow(rows, y), rowBytes, userData) != pix::kSuccess)
            status = pix::kUserAbort;
    if (status == pix::kSuccess) status = pix::SaveBitmapFile(rows, fileName, format, o);
    P_FreeBitmap(&rows);
    return status;
}
