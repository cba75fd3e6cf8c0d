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
int32_t Write(jpeg_compress_struct* cinfo, ErrorManager* err, const PixBitmap& b, int quality,
              bool progressive, unsigned char** buffer, unsigned long* size) {
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
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = PixRow(b, int32_t(cinfo->next_scanline));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return kSuccess;
}

}  // namespace

int32_t EncodeJpeg(const PixBitmap& b, int quality, bool progressive, std::vector<uint8_t>* out) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    if (b.BitsPerPixel == 8 && !HasGreyRamp(b)) return kInvalidBitsPerPixel;
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int32_t status =
        Write(&cinfo, &err, b, std::clamp(quality, 1, 100), progressive, &buffer, &size);
    jpeg_destroy_compress(&cinfo);
    if (status == kSuccess) out->assign(buffer, buffer + size);
    std::free(buffer);
    return status;
}

}  // namespace pix
