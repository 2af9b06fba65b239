#include "project/FileDescriptor_posix.h"
#include "project/FileUtil.h"
#include "project/StagedFile.h"
#include "project/UndoSlots.h"
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <sys/stat.h>
#include <system_error>

namespace {
std::string Reason(int code) {
    return std::generic_category().message(code);
}

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a name leads to, following symbolic links one at a time, so that a dangling link
// leads to the name its target will have.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0)
            return current;
        const std::string next(target, static_cast<size_t>(length));
        current = next.starts_with('/') ? next : Folder(current) + "/" + next;
    }
    return current;
}

// A random short name (a dot and eight characters) in `folder`, so it fits wherever the
// target's name fits.
std::string TemporaryName(const std::string& folder) {
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
    thread_local std::minstd_rand random(static_cast<unsigned>(getpid()) * 7919u + counter++);
    std::string base = ".vk";
    for (int i = 0; i < 6; ++i)
        base += Letters[random() % (sizeof Letters - 1)];
    return (folder == "/" ? "" : folder) + "/" + base;
}

using TSlots = TUndoSlots<char, PATH_MAX>;
TSlots Slots;

void OnStopSignal(int signal) {
    RemoveTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

struct TStagedFile::TState {
    enum class TKind { Regular, InPlace, Descriptor } Kind = TKind::Regular;
    int Descriptor = -1;   // the open descriptor the name leads to
    std::string Temporary; // a prepared regular file's bytes, not yet renamed
    std::string Bytes;     // what an output that is no regular file gets at Commit
    int TemporarySlot = -1;
    std::string Kept; // the second name of the old file
    int KeptSlot = -1;
    std::string FixedTemporary, FixedKept;
    bool Keeping = false;
    bool Existed = false;
    bool Committed = false;
};

TStagedFile::TStagedFile(std::string path)
    : Name(std::move(path)), Real(Name == "-" ? Name : FollowLinks(Name)), State(std::make_unique<TState>()) {
    State->Descriptor = Name == "-" ? STDOUT_FILENO : DescriptorNamed(Name);
}

TStagedFile::~TStagedFile() {
    if (!State->Temporary.empty())
        unlink(State->Temporary.c_str());
    Slots.Release(State->TemporarySlot);
    Settle();
}

bool TStagedFile::Exists() const {
    struct stat info;
    return State->Descriptor < 0 && stat(Real.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool TStagedFile::Replaces() const {
    return State->Kind == TState::TKind::Regular;
}

void TStagedFile::UseNames(std::string temporary, std::string kept) {
    State->FixedTemporary = std::move(temporary);
    State->FixedKept = std::move(kept);
}

TFileResult TStagedFile::Prepare(const std::string& bytes) {
    TState& s = *State;
    auto fail = [&](int code) { return TFileResult::WriteFailure(Name, code, Reason(code)); };
    if (s.Descriptor >= 0) {
        s.Kind = TState::TKind::Descriptor;
        s.Bytes = bytes;
        return {};
    }
    struct stat old;
    s.Existed = stat(Real.c_str(), &old) == 0;
    if (s.Existed && S_ISDIR(old.st_mode))
        return fail(EISDIR);
    if (s.Existed && !S_ISREG(old.st_mode)) {
        s.Kind = TState::TKind::InPlace;
        s.Bytes = bytes;
        return {};
    }
    // Renaming over a write-protected file would succeed, so protect it explicitly, from
    // root too, as Windows does a read-only file.
    if (s.Existed && access(Real.c_str(), W_OK) != 0)
        return fail(errno);
    if (s.Existed && (old.st_mode & 0222) == 0)
        return fail(EACCES);
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        s.Temporary = s.FixedTemporary.empty() ? TemporaryName(Folder(Real)) : s.FixedTemporary;
        fd = open(s.Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || !s.FixedTemporary.empty()))
            break;
    }
    if (fd < 0) {
        const int code = errno;
        s.Temporary.clear();
        return fail(code);
    }
    s.TemporarySlot = Slots.Claim(s.Temporary, Real, TSlots::RemovePath);
    PosixFile::TFd file(fd);
    // A replaced file keeps its permissions; a new one gets the user's default ones.
    if ((s.Existed && fchmod(file.Get(), old.st_mode & 07777) != 0) ||
        !PosixFile::WriteAll(file.Get(), bytes) || fsync(file.Get()) != 0 || !file.Close()) {
        const int code = errno;
        unlink(s.Temporary.c_str());
        s.Temporary.clear();
        Slots.Release(s.TemporarySlot);
        return fail(code);
    }
    return {};
}

TFileResult TStagedFile::KeepOld() {
    TState& s = *State;
    s.Keeping = true;
    if (s.Kind != TState::TKind::Regular || !s.Existed)
        return {};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = s.FixedKept.empty() ? TemporaryName(Folder(Real)) : s.FixedKept;
        if (link(Real.c_str(), name.c_str()) == 0) {
            s.Kept = name;
            s.KeptSlot = Slots.Claim(s.Kept, Real, TSlots::RemovePath);
            return {};
        }
        if (errno != EEXIST || !s.FixedKept.empty())
            break;
    }
    return TFileResult::WriteFailure(Name, errno, Reason(errno));
}

TFileResult TStagedFile::Commit() {
    TFileResult renamed = Rename();
    if (renamed)
        Sync();
    return renamed;
}

TFileResult TStagedFile::Rename(TStagedFile* settles) {
    if (!settles)
        return RenameNow();
    // A stop signal waits until the pair is settled: it then finds the new files, not half of them.
    sigset_t stops, before;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    TFileResult renamed = RenameNow();
    if (renamed)
        settles->Settle();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return renamed;
}

TFileResult TStagedFile::RenameNow() {
    TState& s = *State;
    if (s.Kind == TState::TKind::Descriptor) {
        if (s.Descriptor == STDOUT_FILENO)
            return WriteStandardOutput(s.Bytes);
        if (!PosixFile::WriteAll(s.Descriptor, s.Bytes))
            return TFileResult::WriteFailure(Name, errno, Reason(errno));
        return {};
    }
    if (s.Kind == TState::TKind::InPlace) {
        PosixFile::TFd fd(open(Real.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
        struct stat info;
        if (fd.Get() < 0 || fstat(fd.Get(), &info) != 0 || !PosixFile::WriteAll(fd.Get(), s.Bytes) ||
            // Replaced by a regular file meanwhile: it must not keep an old tail.
            (S_ISREG(info.st_mode) && ftruncate(fd.Get(), static_cast<off_t>(s.Bytes.size())) != 0) ||
            !fd.Close())
            return TFileResult::WriteFailure(Name, errno, Reason(errno));
        return {};
    }
    // A stop signal from here on must undo the rename: the kept copy is the old file itself,
    // so bringing it back before the rename happened changes nothing.
    if (!s.Kept.empty())
        Slots.Change(s.KeptSlot, TSlots::MovePathBack);
    else if (s.Keeping && !s.Existed)
        s.KeptSlot = Slots.Claim(Real, Real, TSlots::RemoveTarget);
    if (rename(s.Temporary.c_str(), Real.c_str()) != 0) {
        const int code = errno;
        if (!s.Kept.empty())
            Slots.Change(s.KeptSlot, TSlots::RemovePath);
        else
            Slots.Release(s.KeptSlot);
        return TFileResult::WriteFailure(Name, code, Reason(code));
    }
    s.Committed = true;
    s.Temporary.clear();
    Slots.Release(s.TemporarySlot);
    return {};
}

void TStagedFile::Sync() {
    // The new file is complete either way; this makes the rename itself durable.
    PosixFile::TFd folder(open(Folder(Real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        fsync(folder.Get());
}

void TStagedFile::Settle() {
    Slots.Release(State->KeptSlot);
    if (!State->Kept.empty())
        unlink(State->Kept.c_str());
    State->Kept.clear();
}

bool TStagedFile::Restore() {
    TState& s = *State;
    if (!s.Committed || !s.Keeping)
        return !s.Committed;
    bool restored = false;
    if (!s.Kept.empty()) {
        restored = rename(s.Kept.c_str(), Real.c_str()) == 0;
        if (restored)
            s.Kept.clear();
    } else if (!s.Existed) {
        restored = unlink(Real.c_str()) == 0;
    }
    Slots.Release(s.KeptSlot);
    s.Committed = !restored;
    return restored;
}

TRemovedOnStop::TRemovedOnStop(const std::string& path) : Slot(Slots.Claim(path, path, TSlots::RemovePath)) {}

TRemovedOnStop::~TRemovedOnStop() {
    Slots.Release(Slot);
}

void RemoveTemporaries() {
    // Old files come back before any temporary goes, so a second stop in between loses none.
    Slots.UndoAll([](TSlots::TUndo undo, const char* path, const char* target) {
        if (undo == TSlots::MovePathBack)
            rename(path, target);
        else if (undo == TSlots::RemoveTarget)
            unlink(target);
    });
    Slots.UndoAll([](TSlots::TUndo undo, const char* path, const char*) {
        if (undo == TSlots::RemovePath)
            unlink(path);
    });
}

void RemoveTemporariesOnSignal() {
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}
