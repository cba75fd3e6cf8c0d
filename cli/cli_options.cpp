#include "cli/cli_options.h"

#include <charconv>
#include <string>

#include "imaging/engine/retouch_ops.h"

namespace cli {
namespace {

constexpr unsigned kMaxJobs = 1024;

bool ParseJobs(const std::string& text, unsigned* jobs) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > kMaxJobs)
        return false;
    *jobs = value;
    return true;
}

// A whole decimal number from `minimum` to `maximum`.
bool ParseRanged(const std::string& text, int32_t minimum, int32_t maximum, int32_t* out) {
    int32_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last || value < minimum || value > maximum)
        return false;
    *out = value;
    return true;
}

std::string RangeError(const std::string& option, int32_t minimum, int32_t maximum) {
    return "option " + option + " needs a whole number from " + std::to_string(minimum) + " to " +
           std::to_string(maximum);
}

}  // namespace

std::string UsageText() {
    return "Usage: strakel-sketch [--color] [--brightness C] [--sharpen A] [-o OUT | -d DIR]\n"
           "                      [-j N] [--any-size] PHOTO...\n"
           "Turns each photo into a pencil drawing.\n"
           "\n"
           "  --color     colour pencil drawing (25 % colour photo) instead of pencil\n"
           "  --brightness C\n"
           "              retouch the drawing's brightness by C, from -1000 to 1000\n"
           "              (each channel times (1000 + C) / 1000), as the window's\n"
           "              brightness dialog does\n"
           "  --sharpen A sharpen the drawing by A, from 0 to 1000, as the window's\n"
           "              Sharpen dialog does; applied after --brightness\n"
           "  -o OUT      write the drawing of the one photo to OUT (.bmp or .png)\n"
           "  -d DIR      write each drawing into DIR as NAME-sketch.png\n"
           "              (default: beside its photo)\n"
           "  -j N        sketch N photos at a time (default: one per core)\n"
           "  --any-size  also take photos whose both sides exceed 1024 pixels, up to " +
           std::to_string(kAnySizeMaxPixels / 1'000'000) +
           " megapixels\n"
           "  --help      show this text\n"
           "  --version   show the version\n"
           "\n"
           "Exit status: 0 when every photo was drawn, 1 when any failed, 2 for bad usage.\n";
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    CliOptions& o = parsed.options;
    auto fail = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    bool onlyPhotos = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPhotos || a.empty() || a[0] != '-' || a == "-") {
            o.photos.push_back(a);
            continue;
        }
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--") {
            onlyPhotos = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--color") {
            o.colorPencil = true;
        } else if (a == "--any-size") {
            o.anySize = true;
        } else if (a == "--brightness") {
            if (!value(&v) ||
                !ParseRanged(v, pix::kBrightnessMin, pix::kBrightnessMax, &o.brightness))
                return fail(RangeError(a, pix::kBrightnessMin, pix::kBrightnessMax));
        } else if (a == "--sharpen") {
            if (!value(&v) || !ParseRanged(v, pix::kSharpenMin, pix::kSharpenMax, &o.sharpen))
                return fail(RangeError(a, pix::kSharpenMin, pix::kSharpenMax));
        } else if (a == "-o") {
            if (!value(&v) || v.empty()) return fail("option -o needs a file name");
            if (o.output) return fail("option -o given twice");
            o.output = v;
        } else if (a == "-d") {
            if (!value(&v) || v.empty()) return fail("option -d needs a folder");
            if (o.outputDir) return fail("option -d given twice");
            o.outputDir = v;
        } else if (a == "-j") {
            if (!value(&v) || !ParseJobs(v, &o.jobs))
                return fail("option -j needs a number from 1 to 1024");
        } else {
            return fail("unknown option " + a);
        }
    }
    if (o.help || o.version) return parsed;
    if (o.output && o.outputDir) return fail("options -o and -d exclude each other");
    if (o.photos.empty()) return fail("no photo given");
    if (o.output && o.photos.size() > 1) return fail("option -o takes exactly one photo");
    return parsed;
}

}  // namespace cli
