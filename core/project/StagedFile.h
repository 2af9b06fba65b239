#pragma once
#include "project/FileResult.h"
#include <memory>
#include <string>

// One output written in two steps, so that several outputs make one save that happens whole
// or not at all: Prepare writes the bytes to a temporary file beside the target and flushes it
// to the disk; Commit renames it over the target. Until Commit the old file is untouched; an
// uncommitted temporary is removed when the object goes, and by RemoveTemporaries.
//
// The target is decided by what it is, never by its name alone: a symbolic link is written
// through (its target created when it dangles), so the link stays a link; "-" is standard
// output, and so is a name that leads to one of this process's open descriptors ("/dev/stdout",
// "/dev/fd/3"): the bytes go through that descriptor, since renaming over what it names would
// replace a file the caller only appends to; a device or a FIFO takes the bytes in place at
// Commit, since renaming over it would destroy it.
class TStagedFile {
public:
    explicit TStagedFile(std::string path);
    ~TStagedFile();
    TStagedFile(const TStagedFile&) = delete;
    TStagedFile& operator=(const TStagedFile&) = delete;

    // The name the user gave, and the file that will be replaced (links followed).
    const std::string& Path() const { return Name; }
    const std::string& Target() const { return Real; }
    // Whether the target exists now as a regular file.
    bool Exists() const;
    // Whether Prepare made a temporary that Rename puts in place of the target (a regular
    // file), rather than bytes that go through a descriptor or into a device.
    bool Replaces() const;

    // Fixed names for the temporary and the kept old file, in place of random ones: a save that
    // holds the project's lock uses them so that the next one finds what a killed save left.
    void UseNames(std::string temporary, std::string kept);

    TFileResult Prepare(const std::string& bytes);
    // Keeps a second name for the file the target is now, so that Restore can bring it back
    // after Commit (a file that did not exist is removed again by Restore).
    TFileResult KeepOld();
    // Rename, then Sync.
    TFileResult Commit();
    // Puts the prepared bytes in place of the target; with `settles`, lets that file go (Settle)
    // in the same step, which a stop signal cannot split.
    TFileResult Rename(TStagedFile* settles = nullptr);
    // Makes a rename durable on the disk.
    void Sync();
    // Undoes Rename with what KeepOld kept; false when that is not possible.
    bool Restore();
    // The save this file belongs to is complete: what KeepOld kept is let go.
    void Settle();

private:
    TFileResult RenameNow();
    struct TState;
    std::string Name;
    std::string Real;
    std::unique_ptr<TState> State;
};

// While it lives, a stop signal removes `path` too, once the old files are back: a save's own
// record and lock, which would otherwise stay until the project is next opened.
class TRemovedOnStop {
public:
    explicit TRemovedOnStop(const std::string& path);
    ~TRemovedOnStop();
    TRemovedOnStop(const TRemovedOnStop&) = delete;
    TRemovedOnStop& operator=(const TRemovedOnStop&) = delete;

private:
    int Slot;
};

// Removes the temporaries of every uncommitted staged file and brings back the files kept
// for a restore. Safe inside a signal handler.
void RemoveTemporaries();
// From now on SIGINT and SIGTERM (Ctrl+C and the console's close on Windows) first run
// RemoveTemporaries, then end the program as they would have.
void RemoveTemporariesOnSignal();
