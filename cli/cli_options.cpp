#include "cli/cli_options.h"

#include <charconv>
#include <string>

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

}  // namespace

std::string UsageText() {
    return "Usage: strakel-sketch [--color] [-o OUT | -d DIR] [-j N] [--any-size] PHOTO...\n"
           "Turns each photo into a pencil drawing.\n"
           "\n"
           "  --color     colour pencil drawing (25 % colour photo) instead of pencil\n"
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
