#include "project/SaveIntent.h"
#include "project/FileUtil.h"
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace SaveIntent {
namespace {
constexpr const char* Heading = "varokconfig save";

uint64_t Hash(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
    return text;
}

// The hash of what a file holds now, or "" when it cannot be read.
std::string HashOf(const std::string& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) ? Hex(Hash(bytes)) : "";
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::symlink_status(FilePath(path), ignored).type() !=
           std::filesystem::file_type::not_found;
}

// A hidden name beside `target`; a very long name is shortened, with its hash, so the result
// still fits where the target's name fits.
std::string Beside(const std::string& target, const char* suffix) {
    const std::filesystem::path path = FilePath(target);
    std::string base = PathText(path.filename());
    if (base.size() > 200) {
        const std::string hash = Hex(Hash(base));
        size_t cut = 180;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base = base.substr(0, cut) + "~" + hash;
    }
    return PathText(path.parent_path() / FilePath("." + base + suffix));
}

struct TRecorded {
    std::string Image, Side;
    bool OldSideKept = false;
    bool Whole = false;
};

// A record cut short by a kill was being written: no rename had happened yet.
TRecorded Parse(const std::string& text) {
    TRecorded record;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != Heading)
        return record;
    while (std::getline(lines, line)) {
        if (line.starts_with("image="))
            record.Image = line.substr(6);
        else if (line.starts_with("side="))
            record.Side = line.substr(5);
        else if (line == "old side=kept")
            record.OldSideKept = true;
        else if (line == "end")
            record.Whole = !record.Image.empty() && !record.Side.empty();
    }
    return record;
}

TFileResult Unmendable(const std::string& path) {
    return TFileResult::WriteFailure(path, 0, "a save of this project that was stopped could not be undone");
}
} // namespace

bool TFiles::AnyLeft() const {
    for (const std::string* name : {&Lock, &Record, &ImageNew, &SideNew, &SideOld})
        if (Exists(*name))
            return true;
    return false;
}

bool TFiles::Recorded() const {
    return Exists(Record);
}

TFiles FilesOf(const std::string& imageTarget, const std::string& sideTarget) {
    return {imageTarget,
            sideTarget,
            Beside(imageTarget, ".vk-lock"),
            Beside(imageTarget, ".vk-save"),
            Beside(imageTarget, ".vk-new"),
            Beside(sideTarget, ".vk-new"),
            Beside(sideTarget, ".vk-old")};
}

TFileResult Record(const TFiles& files, const std::string& image, const std::string& side, bool oldSideKept) {
    const std::string text = std::string(Heading) + "\nimage=" + Hex(Hash(image)) +
                             "\nside=" + Hex(Hash(side)) + "\nold side=" + (oldSideKept ? "kept" : "none") +
                             "\nend\n";
    return WriteNewFileDurably(files.Record, text);
}

void Complete(const TFiles& files) {
    RemoveFile(files.Record);
    SyncFolder(files.Record);
}

TFileResult Recover(const TFiles& files) {
    std::string text;
    const TRecorded record = ReadFileBytes(files.Record, text, 4096) ? Parse(text) : TRecorded{};
    if (record.Whole) {
        const bool sideIsNew = HashOf(files.Side) == record.Side;
        if (HashOf(files.Image) == record.Image) {
            // The image is the new one: so is the side file, which went first, unless a stop
            // came between two renames that the new image did not need (it equals the old).
            if (!sideIsNew && Exists(files.SideNew) && !MoveOver(files.SideNew, files.Side))
                return Unmendable(files.Side);
        } else if (sideIsNew) {
            // A kept old file that is gone was brought back already, by the stop handler.
            if (record.OldSideKept ? Exists(files.SideOld) && !MoveOver(files.SideOld, files.Side)
                                   : !RemoveFile(files.Side))
                return Unmendable(files.Side);
        }
    }
    for (const std::string* name : {&files.ImageNew, &files.SideNew, &files.SideOld})
        RemoveFile(*name);
    Complete(files);
    SyncFolder(files.Side);
    return {};
}
} // namespace SaveIntent
