#include "cli/sketch_job.h"

#include <cerrno>
#include <system_error>

#include "cli/cli_options.h"
#include "cli/printable_name.h"
#include "imaging/control/status/status_message.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/status_codes.h"
#include "platform/pixel_memory.h"
#include "sketch/photo_size_rule.h"
#include "sketch/retouch.h"
#include "sketch/sketch_pipeline.h"

namespace cli {
namespace {

// Frees an engine bitmap's pixels when it goes out of scope.
struct OwnedBitmap {
    OwnedBitmap() { P_InitBitmap(&bitmap, sizeof bitmap, 0, 0, 0); }
    ~OwnedBitmap() { P_FreeBitmap(&bitmap); }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    PixBitmap bitmap{};
};

}  // namespace

std::string SizeRefusal(int32_t width, int32_t height, bool anySize) {
    if (!anySize) {
        if (!sketch::PhotoTooLarge(width, height)) return "";
        return std::string(sketch::kPhotoTooLargeMessage) + " (use --any-size to draw it anyway)";
    }
    if (int64_t{width} * height <= kAnySizeMaxPixels) return "";
    return "photo of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels exceeds the limit of " + std::to_string(kAnySizeMaxPixels / 1'000'000) +
           " megapixels";
}

std::string RunSketchJob(const SketchJob& job) {
    const sketch::PhotoSize size = sketch::ReadPhotoSize(job.photo);
    if (size.status != pix::kSuccess) return StatusMessage(size.status);
    if (std::string refusal = SizeRefusal(size.width, size.height, job.anySize); !refusal.empty())
        return refusal;

    OwnedBitmap photo;
    const int32_t loaded = pix::LoadBitmapFile(job.photo, &photo.bitmap, 0);
    if (loaded != pix::kSuccess) return StatusMessage(loaded);

    OwnedBitmap drawing;
    const sketch::BlendMode mode =
        job.colorPencil ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil;
    const sketch::PipelineResult drawn =
        sketch::DrawSketch(photo.bitmap, mode, job.look, &drawing.bitmap);
    if (!drawn.ok()) return drawn.message + ": " + StatusMessage(drawn.status);
    // The photo is done with: its memory goes before the retouch and the
    // encoder take theirs.
    P_FreeBitmap(&photo.bitmap);
    const sketch::PipelineResult retouched =
        sketch::Retouch(&drawing.bitmap, {job.brightness, job.sharpen});
    if (!retouched.ok()) return retouched.message + ": " + StatusMessage(retouched.status);

    // The PNG encoder takes its buffers from the kept picture blocks; the other
    // encoders take theirs from the heap, so the kept blocks go back to the
    // system first, or they would stand beside the encoder's memory.
    if (job.format != pix::kFormatPng) ReleaseFreedPixelMemory();

    int error = 0;
    pix::SaveOptions save;
    save.qualityFactor = job.qualityFactor;
    save.replaceExisting = job.replace;
    const std::string& path = job.writePath.empty() ? job.output : job.writePath;
    const int32_t saved = pix::SaveBitmapFile(drawing.bitmap, path, job.format, save, &error);
    if (saved == pix::kSuccess) return {};
    // A file that appeared at the output since the batch was planned.
    if (error == EEXIST && !job.replace)
        return PrintableName(job.output) + " exists; use --force to replace it";
    return "cannot write " + PrintableName(job.output) + ": " +
           (error ? std::generic_category().message(error) : StatusMessage(saved));
}

}  // namespace cli
