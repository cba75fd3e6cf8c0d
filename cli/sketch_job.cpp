// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/sketch_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli/cli_options.h"
#include "cli/printable_name.h"
#include "imaging/control/status/status_message.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_info.h"
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

sketch::PhotoSize PhotoSizeOf(const SketchJob& job) {
    if (!job.photoBytes) return sketch::ReadPhotoSize(job.photo);
    PixLoadOptions options{};
    P_GetDefaultLoadFileOption(&options, sizeof options);
    PixFileInfo info{};
    info.StructSize = sizeof info;
    sketch::PhotoSize size;
    size.status = pix::FileInfoFromBytes(*job.photoBytes, &info, sizeof info, &options);
    if (size.status == pix::kSuccess) {
        size.width = info.Width;
        size.height = info.Height;
    }
    return size;
}

int32_t LoadPhoto(const SketchJob& job, PixBitmap* out) {
    if (!job.photoBytes) return pix::LoadBitmapFile(job.photo, out, 0);
    // As LoadBitmapFile does for a file: the first page, blue-green-red.
    PixLoadOptions options{};
    P_GetDefaultLoadFileOption(&options, sizeof options);
    P_InitBitmap(out, sizeof *out, 0, 0, 0);
    constexpr int32_t kBlueGreenRed = 4;
    return pix::LoadFileFromBytes(*job.photoBytes, out, sizeof *out, 0, kBlueGreenRed, kLoadOnePage,
                                  nullptr, nullptr, &options, nullptr);
}

std::string CannotWriteStandardOutput(int error) {
    return "cannot write standard output: " + std::generic_category().message(error);
}

// Encodes the drawing into a private temporary folder, then copies the file
// to standard output; the file and its folder are gone before the copy.
std::string SaveToStandardOutput(const PixBitmap& drawing, int32_t format,
                                 const pix::SaveOptions& save) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "strakel-sketch-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return "cannot make a temporary folder: " + std::generic_category().message(errno);
    const std::string path = folder + "/drawing";
    int error = 0;
    const int32_t saved = pix::SaveBitmapFile(drawing, path, format, save, &error);
    const int file = saved == pix::kSuccess ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    const int openError = errno;
    ::unlink(path.c_str());
    ::rmdir(folder.c_str());
    if (saved != pix::kSuccess)
        return "cannot write standard output: " +
               (error ? std::generic_category().message(error) : StatusMessage(saved));
    if (file < 0) return CannotWriteStandardOutput(openError);
    std::string failure;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            failure = CannotWriteStandardOutput(errno);
            break;
        }
        if (n == 0) break;
        for (ssize_t at = 0; at < n;) {
            const ssize_t written = ::write(STDOUT_FILENO, buffer + at, size_t(n - at));
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) {
                failure = CannotWriteStandardOutput(errno);
                break;
            }
            at += written;
        }
        if (!failure.empty()) break;
    }
    ::close(file);
    return failure;
}

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
    const sketch::PhotoSize size = PhotoSizeOf(job);
    if (size.status != pix::kSuccess) return StatusMessage(size.status);
    if (std::string refusal = SizeRefusal(size.width, size.height, job.anySize); !refusal.empty())
        return refusal;

    OwnedBitmap photo;
    const int32_t loaded = LoadPhoto(job, &photo.bitmap);
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
    if (job.output == kStandardStream)
        return SaveToStandardOutput(drawing.bitmap, job.format, save);
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
