// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch_plan.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "cli/output_paths.h"
#include "cli/printable_name.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/save_options.h"

namespace cli {
namespace {

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    size_t operator()(const FileId& id) const {
        return std::hash<uint64_t>()(uint64_t(id.device) * 0x9E3779B97F4A7C15u ^
                                     uint64_t(id.inode));
    }
};

FileId IdOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

// Names a directory entry by its folder's device and inode and its own name,
// as one string: every spelling of a path gives the same one. A path whose
// folder cannot be looked at keys by its spelling; writing it fails anyway.
class EntryKeys {
public:
    std::string KeyOf(const std::string& path) {
        const size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        const std::string folder = slash == std::string::npos ? std::string(".")
                                   : slash == 0               ? std::string("/")
                                                              : path.substr(0, slash);
        if (name.empty() || name == "." || name == "..") return "path:" + path;
        auto [at, added] = folders_.try_emplace(folder);
        if (added) {
            struct stat st {};
            if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                at->second = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/";
        }
        if (at->second.empty()) return "path:" + path;
        return at->second + name;
    }

private:
    std::unordered_map<std::string, std::string> folders_;  // folder path -> key prefix
};

std::string Exists(const std::string& output) {
    return PrintableName(output) + " exists; use --force to replace it";
}

std::string CannotWrite(const std::string& output, const std::string& why) {
    return "cannot write " + PrintableName(output) + ": " + why;
}

}  // namespace

BatchPlan PlanBatch(const CliOptions& options, int32_t format) {
    BatchPlan plan;
    EntryKeys keys;
    // The inputs by entry (every spelling) and by file (links, hard links).
    std::unordered_set<std::string> inputEntries;
    std::unordered_set<FileId, FileIdHash> inputFiles;
    inputEntries.reserve(options.photos.size());
    inputFiles.reserve(options.photos.size());
    for (const std::string& photo : options.photos) {
        if (photo == kStandardStream) continue;
        inputEntries.insert(keys.KeyOf(photo));
        struct stat st {};
        if (::stat(photo.c_str(), &st) == 0) inputFiles.insert(IdOf(st));
    }
    std::unordered_set<std::string> outputs;
    outputs.reserve(options.photos.size());

    const std::string extension = options.format.value_or(".png");
    for (const std::string& photo : options.photos) {
        SketchJob job;
        job.photo = photo;
        job.output = OutputPathFor(photo, options.output, options.outputDir, extension);
        job.writePath = job.output;
        // Standard output takes PNG unless --format names another.
        const bool toOutput = job.output == kStandardStream;
        job.format = format ? format : toOutput ? pix::kFormatPng : *OutputFormatFor(job.output);
        job.qualityFactor = pix::QualityFactorFor(options.quality);
        job.colorPencil = options.colorPencil;
        job.look.threshold = options.threshold;
        job.look.tonePercent = options.tone;
        job.look.shading = options.shading;
        job.anySize = options.anySize;
        job.brightness = options.brightness;
        job.sharpen = options.sharpen;
        job.replace = options.force;

        auto refuse = [&](std::string reason) {
            plan.refused.push_back({photo, std::move(reason)});
        };
        if (toOutput) {
            plan.jobs.push_back(std::move(job));
            continue;
        }
        // What is at the output now: nothing, a file, or a link and its target.
        struct stat entry {};
        const bool exists = ::lstat(job.output.c_str(), &entry) == 0;
        struct stat target = entry;
        const bool isLink = exists && S_ISLNK(entry.st_mode);
        const bool dangling = isLink && ::stat(job.output.c_str(), &target) != 0;
        int linkError = dangling ? errno : 0;
        if (isLink && !dangling) {
            // The link stays; its target's folder gets the drawing.
            std::unique_ptr<char, decltype(&::free)> real(::realpath(job.output.c_str(), nullptr),
                                                          &::free);
            if (real)
                job.writePath = real.get();
            else
                linkError = errno;
        }
        const std::string key = keys.KeyOf(job.writePath);
        const bool intoInput =
            inputEntries.count(key) || (exists && !dangling && inputFiles.count(IdOf(target)));
        const bool intoOutput = !outputs.insert(key).second;
        if (intoInput || intoOutput) {
            refuse("output " + PrintableName(job.output) +
                   " would replace an input or another drawing");
        } else if (dangling && linkError == ENOENT) {
            refuse("output " + PrintableName(job.output) + " is a link to a missing file");
        } else if (linkError) {
            refuse(CannotWrite(job.output, std::strerror(linkError)));
        } else if (exists && S_ISDIR(target.st_mode)) {
            refuse(CannotWrite(job.output, std::strerror(EISDIR)));
        } else if (exists && !S_ISREG(target.st_mode)) {
            refuse(CannotWrite(job.output, "not a regular file"));
        } else if (exists && !options.force) {
            refuse(Exists(job.output));
        } else {
            plan.jobs.push_back(std::move(job));
        }
    }
    return plan;
}

}  // namespace cli
