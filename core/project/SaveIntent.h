#pragma once
#include "project/FileResult.h"
#include <string>

// A project's save replaces two files, and no system renames two files in one step. So before
// the first rename the save records its intent beside the image, and removes the record after
// the image's rename, which completes the save. Whoever next opens or saves the project and
// finds the record finishes or undoes that save, judging by the files themselves: an image that
// is the new one means the save completed, else the side file goes back to the old one.
namespace SaveIntent {
// The files of one save, all beside their targets under fixed hidden names, so that what a
// killed save leaves is found again: ".P.usr.vk-lock", ".P.usr.vk-save" (the record),
// ".P.usr.vk-new" (the image's temporary), ".P.ini.vk-new" and ".P.ini.vk-old" (the side file's
// temporary and its old file, kept to be brought back).
struct TFiles {
    std::string Image, Side; // the files replaced, links followed
    std::string Lock, Record, ImageNew, SideNew, SideOld;
    // Whether anything of an earlier save is there; whether its record is.
    bool AnyLeft() const;
    bool Recorded() const;
};
TFiles FilesOf(const std::string& imageTarget, const std::string& sideTarget);

// Records that the image will become `image` and the side file `side`, the old side file kept
// as SideOld (or, when there was none, to be removed on an undo).
TFileResult Record(const TFiles& files, const std::string& image, const std::string& side, bool oldSideKept);
// The save is complete: the record goes.
void Complete(const TFiles& files);
// Finishes or undoes the save a record tells of and removes every file of an earlier save.
// Call it holding the project's lock. A failure names the file that could not be mended; the
// record then stays for the next attempt.
TFileResult Recover(const TFiles& files);
} // namespace SaveIntent
