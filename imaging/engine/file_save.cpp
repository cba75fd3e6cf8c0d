#include "imaging/engine/file_save.h"

#include <cstring>
#include <vector>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/bmp_writer.h"
#include "imaging/engine/codecs/format_table.h"
#include "imaging/engine/codecs/jpeg_writer.h"
#include "imaging/engine/codecs/png_writer.h"
#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/codecs/sgi_writer.h"
#include "imaging/engine/codecs/tiff_writer.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
constexpr int32_t kInvalidQualityFactor = -21;  // "Invalid QFactor specified."
constexpr int32_t kInvalidCompression = -23;    // "Invalid compression format."

// Formats that hold 8 bits per pixel only as grey.
bool GreyOnly8(int32_t format) {
    return format == kFormatJpeg || format == kFormatSgi;
}

// A page brought to the depth it is saved at; owns its pixels when converted.
class PreparedPage {
public:
    PreparedPage() { P_InitBitmap(&converted_, sizeof(converted_), 0, 0, 0); }
    ~PreparedPage() { P_FreeBitmap(&converted_); }
    PreparedPage(const PreparedPage&) = delete;
    PreparedPage& operator=(const PreparedPage&) = delete;

    int32_t Prepare(const PixBitmap& source, int32_t bits, int32_t format) {
        const bool toGrey = bits == 8 && GreyOnly8(format);
        if (bits == source.BitsPerPixel && !(toGrey && !HasGreyRamp(source))) {
            page_ = &source;
            return kSuccess;
        }
        page_ = &converted_;
        return ConvertForSave(source, bits, toGrey, &converted_);
    }
    const PixBitmap& page() const { return *page_; }

private:
    PixBitmap converted_;
    const PixBitmap* page_ = nullptr;
};

int32_t Encode(const PixBitmap& b, int32_t format, const SaveOptions& o,
               std::vector<uint8_t>* bytes) {
    const int32_t c = o.compression;
    switch (format) {
        case kFormatBmp:
            if (c != kCompressionDefault && c != kCompressionNone) return kInvalidCompression;
            return EncodeBmp(b, bytes);
        case kFormatPng:
            if (c != kCompressionDefault && c != kCompressionDeflate) return kInvalidCompression;
            return EncodePng(b, bytes);
        case kFormatJpeg:
            if (c != kCompressionDefault && c != kCompressionJpeg &&
                c != kCompressionProgressiveJpeg)
                return kInvalidCompression;
            return EncodeJpeg(b, JpegQuality(o.qualityFactor),
                              o.progressive || c == kCompressionProgressiveJpeg, bytes);
        case kFormatSgi:
            if (c != kCompressionDefault && c != kCompressionNone && c != kCompressionRle)
                return kInvalidCompression;
            return EncodeSgi(b, c != kCompressionNone, bytes);
        case kFormatTiff: {
            TiffCompression t;
            switch (c) {
                case kCompressionNone:
                    t = TiffCompression::kNone;
                    break;
                case kCompressionDefault:
                case kCompressionLzw:
                    t = TiffCompression::kLzw;
                    break;
                case kCompressionDeflate:
                    t = TiffCompression::kDeflate;
                    break;
                default:
                    return kInvalidCompression;
            }
            return EncodeTiff(b, t, bytes);
        }
        default:
            return kNotSupported;
    }
}

bool Allocated(const PixBitmap* b) {
    return b && (b->Flags & kBitmapAllocated) && b->Data &&
           (b->BitsPerPixel == 8 || b->BitsPerPixel == 24);
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
    for (const PixBitmap* p : pages) {
        const int32_t bits = options.bitsPerPixel == 0 ? p->BitsPerPixel : options.bitsPerPixel;
        if (!CanSaveDepth(format, bits) || !Allocated(p)) return kInvalidBitsPerPixel;
    }
    if (pages.size() > 1 || options.stamp || options.placement != PagePlacement::kNewFile)
        return kNotSupported;
    if (!ReportProgress(0)) return kUserAbort;
    const PixBitmap& bitmap = *pages[0];
    PreparedPage prepared;
    const int32_t bits = options.bitsPerPixel == 0 ? bitmap.BitsPerPixel : options.bitsPerPixel;
    if (int32_t s = prepared.Prepare(bitmap, bits, format); s != kSuccess) return s;
    std::vector<uint8_t> bytes;
    if (int32_t s = Encode(prepared.page(), format, options, &bytes); s != kSuccess) return s;
    if (!ReportProgress(100)) return kUserAbort;
    return WriteFileAtomically(path, bytes, systemError);
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
int32_t OptionsOf(const PixSaveFileOptions* record, int32_t bitsPerPixel, int32_t qualityFactor,
                  pix::SaveOptions* out) {
    PixSaveFileOptions defaults;
    if (!record) {
        P_GetDefaultSaveFileOption(&defaults, sizeof(defaults));
        record = &defaults;
    }
    return pix::SaveOptionsFromRecord(*record, bitsPerPixel, qualityFactor, out);
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
