// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_options.h"

#include <getopt.h>

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output_paths.h"
#include "imaging/engine/retouch_ops.h"
#include "sketch/blend_pass.h"
#include "sketch/sketch_pass.h"
#include "strakel_version.h"

namespace cli {
namespace {

constexpr unsigned kMaxJobs = 1024;

// Codes of the options that have no short form.
enum : int {
    kColor = 256,
    kBrightness,
    kSharpen,
    kAnySize,
    kList,
    kThreshold,
    kTone,
    kShading,
    kQuality,
    kFormat,
};

constexpr int32_t kQualityMin = 1;
constexpr int32_t kQualityMax = 100;

// A leading ':' makes getopt_long report a missing value as ':' and keeps it
// from printing messages of its own.
constexpr char kShortOptions[] = ":o:d:j:fq0hV";

const option kLongOptions[] = {
    {"color", no_argument, nullptr, kColor},
    {"threshold", required_argument, nullptr, kThreshold},
    {"tone", required_argument, nullptr, kTone},
    {"shading", no_argument, nullptr, kShading},
    {"brightness", required_argument, nullptr, kBrightness},
    {"sharpen", required_argument, nullptr, kSharpen},
    {"quality", required_argument, nullptr, kQuality},
    {"format", required_argument, nullptr, kFormat},
    {"output", required_argument, nullptr, 'o'},
    {"dir", required_argument, nullptr, 'd'},
    {"force", no_argument, nullptr, 'f'},
    {"jobs", required_argument, nullptr, 'j'},
    {"any-size", no_argument, nullptr, kAnySize},
    {"list", required_argument, nullptr, kList},
    {"null", no_argument, nullptr, '0'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

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

// The name of a known option: its long name when `asLong` or when it has no
// short one, else its letter.
std::string OptionName(int code, bool asLong = false) {
    if (code < 256 && !asLong) return std::string("-") + static_cast<char>(code);
    for (const option* o = kLongOptions; o->name; ++o)
        if (o->val == code) return std::string("--") + o->name;
    return "?";
}

// What an option with a value says when the value is missing or unusable,
// naming the option as it was written (`asLong`: in its long form).
std::string ValueError(int code, bool asLong) {
    const std::string name = OptionName(code, asLong);
    switch (code) {
        case 'o':
        case kList:
            return "option " + name + " needs a file name";
        case 'd':
            return "option " + name + " needs a folder";
        case 'j':
            return "option " + name + " needs a number from 1 to " + std::to_string(kMaxJobs);
        case kBrightness:
            return RangeError(name, pix::kBrightnessMin, pix::kBrightnessMax);
        case kSharpen:
            return RangeError(name, pix::kSharpenMin, pix::kSharpenMax);
        case kThreshold:
            return RangeError(name, sketch::kMinEdgeThreshold, sketch::kMaxEdgeThreshold);
        case kTone:
            return RangeError(name, sketch::kMinTonePercent, sketch::kMaxTonePercent);
        case kQuality:
            return RangeError(name, kQualityMin, kQualityMax);
        case kFormat:
            return "option " + name + " needs one of " + OutputExtensions();
        default:
            return "option " + name + " needs a value";
    }
}

// The long options that `word` ("--na" or "--na=value") abbreviates, when it
// is no option's whole name.
std::vector<std::string> Abbreviated(const std::string& word) {
    const std::string prefix = word.substr(2, word.find('=') - 2);
    std::vector<std::string> names;
    for (const option* o = kLongOptions; o->name; ++o) {
        if (prefix == o->name) return {};
        if (std::string_view(o->name).starts_with(prefix)) names.push_back(o->name);
    }
    return names;
}

bool IsKnown(int code) {
    for (const option* o = kLongOptions; o->name; ++o)
        if (o->val == code) return true;
    return false;
}

}  // namespace

std::string UsageText() {
    return "Usage: strakel-sketch [--color] [--threshold T] [--tone W] [--shading]\n"
           "                      [--brightness C] [--sharpen A] [-o OUT | -d DIR] [-f]\n"
           "                      [--format EXT] [--quality Q] [-j N] [-q] [--any-size]\n"
           "                      [--list FILE] [--] PHOTO...\n"
           "Turns each photo into a pencil drawing.\n"
           "\n"
           "      --color         colour pencil drawing (25 % colour photo), not pencil\n"
           "      --threshold=T   edge threshold, from 0 to 255 (default 14): a pixel is\n"
           "                      a stroke where its difference exceeds T, so a lower T\n"
           "                      draws more and fainter lines\n"
           "      --tone=W        blend W % of the photo back in, from 0 to 100\n"
           "                      (default 20, with --color 25)\n"
           "      --shading       shade dark areas with pencil strokes, denser where the\n"
           "                      photo is darker; light areas stay white paper\n"
           "      --brightness=C  retouch the drawing's brightness by C, from -1000 to 1000\n"
           "                      (each channel times (1000 + C) / 1000), as the window's\n"
           "                      brightness dialog does\n"
           "      --sharpen=A     sharpen the drawing by A, from 0 to 1000, as the window's\n"
           "                      Sharpen dialog does; applied after --brightness\n"
           "  -o, --output=OUT    write the drawing of the one photo to OUT; its\n"
           "                      extension chooses the format (.png, .bmp, .jpg,\n"
           "                      .tif, .sgi, .jp2 or .j2k); - writes it to standard\n"
           "                      output, in the format of --format (default PNG)\n"
           "  -d, --dir=DIR       write each drawing into DIR as NAME-sketch.png\n"
           "                      (default: beside its photo)\n"
           "  -f, --force         replace drawings and other files that exist at the\n"
           "                      outputs (a link keeps pointing at its file, which\n"
           "                      gets the drawing); without it they are refused\n"
           "      --format=EXT    write the format of extension EXT (png, bmp, jpg,\n"
           "                      tif, sgi, jp2, j2k, ...), named NAME-sketch.EXT\n"
           "                      without -o\n"
           "      --quality=Q     JPEG and JPEG 2000 quality from 1 to 100, libjpeg's\n"
           "                      scale (default 90; 100 is lossless JPEG 2000)\n"
           "  -j, --jobs=N        sketch N photos at a time (default: one per core)\n"
           "      --any-size      also take photos whose both sides exceed 1024 pixels,\n"
           "                      up to " +
           std::to_string(kAnySizeMaxPixels / 1'000'000) +
           " megapixels\n"
           "      --list=FILE     also draw the photos named in FILE, one per line\n"
           "                      (- reads the names from standard input)\n"
           "  -0, --null          the names of --list end with a NUL byte, not a line end\n"
           "  -q, --quiet         print nothing but errors\n"
           "  -h, --help          show this text\n"
           "  -V, --version       show the version\n"
           "\n"
           "Options and photos may come in any order; after -- every word is a photo.\n"
           "The photo - is read from standard input; its drawing needs -o.\n"
           "A progress bar is drawn on standard error when it is a terminal.\n"
           "\n"
           "Exit status: 0 when every photo was drawn, 1 when any failed, 2 for bad usage.\n"
           "\n" +
           StrakelHelpFooter();
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    CliOptions& o = parsed.options;
    auto fail = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };

    // getopt_long reorders the words it is given, so it gets copies.
    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.push_back("strakel-sketch");
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    // optind = 0 makes glibc start over, forgetting any earlier parse.
    optind = 0;
    opterr = 0;
    int longIndex = -1;
    for (int code;
         (code = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, &longIndex)) != -1;
         longIndex = -1) {
        const std::string value = optarg ? optarg : "";
        // Whether the option was written in its long form. getopt_long leaves
        // longIndex alone for a short one and for a missing value, which ends
        // the word just taken.
        const bool asLong =
            longIndex >= 0 || (code == ':' && std::string_view(argv[optind - 1]).starts_with("--"));
        auto valueError = [asLong](int option) { return ValueError(option, asLong); };
        switch (code) {
            case kColor:
                o.colorPencil = true;
                break;
            case kAnySize:
                o.anySize = true;
                break;
            case kShading:
                o.shading = true;
                break;
            case kThreshold:
                if (!ParseRanged(value, sketch::kMinEdgeThreshold, sketch::kMaxEdgeThreshold,
                                 &o.threshold))
                    return fail(valueError(code));
                break;
            case kTone: {
                int32_t tone = 0;
                if (!ParseRanged(value, sketch::kMinTonePercent, sketch::kMaxTonePercent, &tone))
                    return fail(valueError(code));
                o.tone = tone;
                break;
            }
            case 'f':
                o.force = true;
                break;
            case 'q':
                o.quiet = true;
                break;
            case '0':
                o.nullSeparated = true;
                break;
            case 'h':
                o.help = true;
                break;
            case 'V':
                o.version = true;
                break;
            case kBrightness:
                if (!ParseRanged(value, pix::kBrightnessMin, pix::kBrightnessMax, &o.brightness))
                    return fail(valueError(code));
                break;
            case kSharpen:
                if (!ParseRanged(value, pix::kSharpenMin, pix::kSharpenMax, &o.sharpen))
                    return fail(valueError(code));
                break;
            case 'j':
                if (!ParseJobs(value, &o.jobs)) return fail(valueError(code));
                break;
            case kQuality:
                if (!ParseRanged(value, kQualityMin, kQualityMax, &o.quality))
                    return fail(valueError(code));
                break;
            case kFormat: {
                std::string ext = value.empty() || value[0] == '.' ? value : "." + value;
                for (char& ch : ext) ch = char(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
                if (!OutputFormatFor("x" + ext)) return fail(valueError(code));
                o.format = ext;
                break;
            }
            case 'o':
            case 'd':
            case kList: {
                std::optional<std::string>& slot = code == 'o'   ? o.output
                                                   : code == 'd' ? o.outputDir
                                                                 : o.list;
                if (value.empty()) return fail(valueError(code));
                if (slot) return fail("option " + OptionName(code) + " given twice");
                slot = value;
                break;
            }
            case ':':
                return fail(valueError(optopt));
            default: {
                // An unknown short option sets optopt to its letter, an
                // unknown long one leaves it 0; a known long option given a
                // value it does not take sets optopt to its code.
                const std::string word = argv[optind - 1];
                if (word.starts_with("--")) {
                    if (const auto names = Abbreviated(word); names.size() > 1) {
                        std::string message = "option '" + word.substr(0, word.find('=')) +
                                              "' is ambiguous; possibilities:";
                        for (const std::string& name : names) message += " '--" + name + "'";
                        return fail(message);
                    }
                }
                if (optopt != 0 && IsKnown(optopt) && word.rfind("--", 0) == 0)
                    return fail("option " + word.substr(0, word.find('=')) + " takes no value");
                if (optopt != 0)
                    return fail(std::string("unknown option -") + static_cast<char>(optopt));
                return fail("unknown option " + word.substr(0, word.find('=')));
            }
        }
    }
    for (int i = optind; i < argc; ++i) o.photos.push_back(argv[i]);

    if (o.help || o.version) return parsed;
    for (const std::string& photo : o.photos)
        if (photo == kStandardStream && o.list == kStandardStream)
            return fail("photo - and --list - both read standard input");
    if (o.output && o.outputDir) return fail("options -o and -d exclude each other");
    if (!o.list) {
        if (std::string error = PhotoCountError(o); !error.empty()) return fail(error);
    }
    return parsed;
}

std::string PhotoCountError(const CliOptions& options) {
    if (options.photos.empty()) return "no photo given";
    if (options.output && options.photos.size() > 1) return "option -o takes exactly one photo";
    size_t fromInput = 0;
    for (const std::string& photo : options.photos) fromInput += photo == kStandardStream;
    if (fromInput > 1) return "photo - (standard input) given twice";
    if (fromInput && options.list == kStandardStream)
        return "photo - and --list - both read standard input";
    if (fromInput && !options.output) return "photo - (standard input) needs -o";
    return {};
}

}  // namespace cli
