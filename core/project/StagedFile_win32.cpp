#include "project/FileHandle_win32.h"
#include "project/FileUtil.h"
#include "project/StagedFile.h"
#include "project/UndoSlots.h"
#include <atomic>
#include <cwchar>

namespace {
using WindowsFile::Reason;

using TSlots = TUndoSlots<wchar_t, 4096>;
TSlots Slots;

BOOL WINAPI OnConsoleStop(DWORD) {
    RemoveTemporaries();
    // Not handled: the system ends the program as it would have.
    return FALSE;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? L"." : path.substr(0, separator + 1);
}

// A new short name ("vrk" and four digits) in `folder`, created empty so no one else takes it.
std::wstring NewTemporary(const std::wstring& folder) {
    wchar_t name[MAX_PATH];
    return GetTempFileNameW(folder.c_str(), L"vrk", 0, name) ? std::wstring(name) : std::wstring();
}
} // namespace

struct TStagedFile::TState {
    enum class TKind { Regular, InPlace, StandardOutput } Kind = TKind::Regular;
    std::wstring Temporary;
    std::string Bytes;
    int TemporarySlot = -1;
    std::wstring Kept;
    int KeptSlot = -1;
    std::wstring FixedTemporary, FixedKept;
    bool Keeping = false;
    bool Existed = false;
    bool Committed = false;
};

TStagedFile::TStagedFile(std::string path)
    : Name(std::move(path)), Real(Name), State(std::make_unique<TState>()) {}

TStagedFile::~TStagedFile() {
    if (!State->Temporary.empty())
        DeleteFileW(State->Temporary.c_str());
    Slots.Release(State->TemporarySlot);
    Settle();
}

bool TStagedFile::Replaces() const {
    return State->Kind == TState::TKind::Regular;
}

void TStagedFile::UseNames(std::string temporary, std::string kept) {
    State->FixedTemporary = FilePath(temporary).wstring();
    State->FixedKept = kept.empty() ? std::wstring() : FilePath(kept).wstring();
}

bool TStagedFile::Exists() const {
    const DWORD attributes = GetFileAttributesW(FilePath(Real).c_str());
    return Name != "-" && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TFileResult TStagedFile::Prepare(const std::string& bytes) {
    TState& s = *State;
    auto fail = [&](DWORD code) {
        return TFileResult::WriteFailure(Name, static_cast<int>(code), Reason(code));
    };
    if (Name == "-") {
        s.Kind = TState::TKind::StandardOutput;
        s.Bytes = bytes;
        return {};
    }
    const std::wstring target = FilePath(Real).wstring();
    {
        // A pipe or a device (NUL, CON) is written in place; renaming over it is no option.
        WindowsFile::THandle existing(CreateFileW(target.c_str(), GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (existing.Valid() && GetFileType(existing.Get()) != FILE_TYPE_DISK) {
            s.Kind = TState::TKind::InPlace;
            s.Bytes = bytes;
            return {};
        }
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    s.Existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (s.Existed && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(ERROR_DIRECTORY);
    // A read-only old file would make the move fail only at Commit; say so before anything moves.
    if (s.Existed && (attributes & FILE_ATTRIBUTE_READONLY))
        return fail(ERROR_ACCESS_DENIED);
    s.Temporary = s.FixedTemporary.empty() ? NewTemporary(FolderOf(target)) : s.FixedTemporary;
    if (s.Temporary.empty())
        return fail(GetLastError());
    s.TemporarySlot = Slots.Claim(s.Temporary, target, TSlots::RemovePath);
    // A fixed name is never taken over from another file (the save's lock has cleared the
    // ones a stopped save left).
    WindowsFile::THandle file(CreateFileW(s.Temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                          s.FixedTemporary.empty() ? CREATE_ALWAYS : CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || !WindowsFile::WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) ||
        !file.Close()) {
        const DWORD code = GetLastError();
        DeleteFileW(s.Temporary.c_str());
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
    const std::wstring target = FilePath(Real).wstring();
    std::wstring name = s.FixedKept.empty() ? NewTemporary(FolderOf(target)) : s.FixedKept;
    if (!name.empty() && s.FixedKept.empty())
        DeleteFileW(name.c_str());
    if (name.empty() || !CreateHardLinkW(name.c_str(), target.c_str(), nullptr)) {
        const DWORD code = GetLastError();
        return TFileResult::WriteFailure(Name, static_cast<int>(code), Reason(code));
    }
    s.Kept = name;
    s.KeptSlot = Slots.Claim(s.Kept, target, TSlots::RemovePath);
    return {};
}

TFileResult TStagedFile::Commit() {
    TFileResult renamed = Rename();
    if (renamed)
        Sync();
    return renamed;
}

TFileResult TStagedFile::Rename(TStagedFile* settles) {
    TFileResult renamed = RenameNow();
    if (renamed && settles)
        settles->Settle();
    return renamed;
}

TFileResult TStagedFile::RenameNow() {
    TState& s = *State;
    if (s.Kind == TState::TKind::StandardOutput)
        return WriteStandardOutput(s.Bytes);
    const std::wstring target = FilePath(Real).wstring();
    if (s.Kind == TState::TKind::InPlace) {
        WindowsFile::THandle existing(CreateFileW(target.c_str(), GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!existing.Valid() || !WindowsFile::WriteAll(existing.Get(), s.Bytes) || !existing.Close()) {
            const DWORD code = GetLastError();
            return TFileResult::WriteFailure(Name, static_cast<int>(code), Reason(code));
        }
        return {};
    }
    // A stop from here on must undo the move: the kept copy is the old file itself, so bringing
    // it back before the move happened changes nothing.
    if (!s.Kept.empty())
        Slots.Change(s.KeptSlot, TSlots::MovePathBack);
    else if (s.Keeping && !s.Existed)
        s.KeptSlot = Slots.Claim(target, target, TSlots::RemoveTarget);
    if (!WindowsFile::MoveReplacing(s.Temporary.c_str(), target.c_str())) {
        const DWORD code = GetLastError();
        if (!s.Kept.empty())
            Slots.Change(s.KeptSlot, TSlots::RemovePath);
        else
            Slots.Release(s.KeptSlot);
        return TFileResult::WriteFailure(Name, static_cast<int>(code), Reason(code));
    }
    s.Committed = true;
    s.Temporary.clear();
    Slots.Release(s.TemporarySlot);
    return {};
}

// MOVEFILE_WRITE_THROUGH has made the move durable already.
void TStagedFile::Sync() {}

void TStagedFile::Settle() {
    Slots.Release(State->KeptSlot);
    if (!State->Kept.empty())
        DeleteFileW(State->Kept.c_str());
    State->Kept.clear();
}

bool TStagedFile::Restore() {
    TState& s = *State;
    if (!s.Committed || !s.Keeping)
        return !s.Committed;
    const std::wstring target = FilePath(Real).wstring();
    bool restored = false;
    if (!s.Kept.empty()) {
        restored = WindowsFile::MoveReplacing(s.Kept.c_str(), target.c_str());
        if (restored)
            s.Kept.clear();
    } else if (!s.Existed) {
        restored = DeleteFileW(target.c_str()) != 0;
    }
    Slots.Release(s.KeptSlot);
    s.Committed = !restored;
    return restored;
}

TRemovedOnStop::TRemovedOnStop(const std::string& path)
    : Slot(Slots.Claim(FilePath(path).wstring(), FilePath(path).wstring(), TSlots::RemovePath)) {}

TRemovedOnStop::~TRemovedOnStop() {
    Slots.Release(Slot);
}

void RemoveTemporaries() {
    // Old files come back before any temporary goes, so a second stop in between loses none.
    Slots.UndoAll([](TSlots::TUndo undo, const wchar_t* path, const wchar_t* target) {
        if (undo == TSlots::MovePathBack)
            MoveFileExW(path, target, MOVEFILE_REPLACE_EXISTING);
        else if (undo == TSlots::RemoveTarget)
            DeleteFileW(target);
    });
    Slots.UndoAll([](TSlots::TUndo undo, const wchar_t* path, const wchar_t*) {
        if (undo == TSlots::RemovePath)
            DeleteFileW(path);
    });
}

void RemoveTemporariesOnSignal() {
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);
}
