#include "project/ProjectFile.h"
#include "model/ConfigImage.h"
#include "project/FileUtil.h"
#include "project/ProjectLock.h"
#include "project/SaveIntent.h"
#include "project/StagedFile.h"

namespace ProjectFile {

std::string WithoutExtension(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return path;
    return path.substr(0, dot);
}

std::string ProjectName(const std::string& chosen) {
    std::string ending = chosen.size() >= 4 ? chosen.substr(chosen.size() - 4) : "";
    for (char& c : ending)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ending == "." + DefaultExt ? chosen : chosen + "." + DefaultExt;
}

std::string SideFileName(const std::string& path) {
    return WithoutExtension(path) + ".ini";
}

TSide LoadSide(const std::string& sideFile) {
    TSide side;
    TIniFile ini;
    side.Problem = ini.Load(sideFile);
    if (side.Problem.Missing())
        return side;
    if (!side.Problem) {
        side.State = TSide::TState::Unusable;
        return side;
    }
    side.State = TSide::TState::Read;
    side.Encoding = ini.Encoding();
    for (int k = 1; k <= Messages; ++k)
        side.Lengths[static_cast<size_t>(k - 1)] = ini.ReadString(Section, std::to_string(k), "0");
    return side;
}

namespace {
SaveIntent::TFiles SaveFiles(const TStagedFile& image, const TStagedFile& side) {
    return SaveIntent::FilesOf(image.Target(), side.Target());
}
} // namespace

TFileResult FinishStoppedSave(const std::string& fileName) {
    const SaveIntent::TFiles files = SaveFiles(TStagedFile(fileName), TStagedFile(SideFileName(fileName)));
    if (!files.AnyLeft())
        return {};
    TProjectLock lock;
    // Without the lock (a read-only folder) only a save that was stopped between its renames
    // stands in the way; leftover temporaries wait for the next save.
    if (const TFileResult locked = lock.Acquire(files.Lock, fileName); !locked)
        return files.Recorded() ? locked : TFileResult{};
    return SaveIntent::Recover(files);
}

TFileResult Load(const std::string& fileName, TProject& project) {
    project = TProject{};
    if (TFileResult finished = FinishStoppedSave(fileName); !finished)
        return finished;
    if (TFileResult read = ReadFileBytes(fileName, project.Image, Layout::ImageSize, &project.Size); !read)
        return read;
    project.Side = LoadSide(SideFileName(fileName));
    return {};
}

std::string DiskState(const std::string& fileName) {
    std::string image, side;
    ReadWholeFile(fileName, image);
    ReadWholeFile(SideFileName(fileName), side);
    return std::to_string(image.size()) + ":" + std::to_string(std::hash<std::string>{}(image)) + ":" +
           std::to_string(side.size()) + ":" + std::to_string(std::hash<std::string>{}(side));
}

std::string SizeNote(const std::string& fileName, uint64_t size) {
    if (size == Layout::ImageSize)
        return "";
    return "Файл проекта " + fileName + " имеет размер " + std::to_string(size) + " байт вместо " +
           std::to_string(Layout::ImageSize) +
           (size < Layout::ImageSize
                ? ": недостающие байты конфигурации заполнены нулями"
                : ": использованы первые " + std::to_string(Layout::ImageSize) + " байт");
}

TFileResult PrepareLengths(TIniFile& ini, const std::string& sideFile,
                           const std::vector<std::string>& lengths,
                           std::optional<TIniFile::TEncoding> encoding) {
    if (TFileResult loaded = ini.Load(sideFile); !loaded && !loaded.Missing()) {
        loaded.Writing = true;
        return loaded;
    }
    if (encoding)
        ini.SetEncoding(*encoding);
    for (int k = 1; k <= Messages; ++k)
        if (!ini.WriteString(Section, std::to_string(k), lengths.at(static_cast<size_t>(k - 1))))
            return TFileResult::WriteFailure(
                sideFile, 0, "The length of message " + std::to_string(k) + " holds a line break");
    return {};
}

TFileResult WriteProject(const std::string& fileName, const std::string& image, const TIniFile& side,
                         const TWriteSteps& steps) {
    // Declared first, so that it is let go last, after the temporaries under its names are gone.
    TProjectLock lock;
    TStagedFile imageOut(fileName), sideOut(side.FileName());
    // Written through a link, a side file that is the image would put its text into the image.
    if (imageOut.Target() == sideOut.Target() || SameFile(imageOut.Target(), sideOut.Target()))
        return TFileResult::WriteFailure(side.FileName(), 0, "it is the project file " + fileName);
    if (TFileResult replaceable = side.Replaceable(); !replaceable)
        return replaceable;
    const std::string sideBytes = side.Bytes();
    // Open and show refuse a larger side file; one written now would lose every length.
    if (sideBytes.size() > MaxWholeFile)
        return TFileResult::WriteFailure(side.FileName(), 0,
                                         "larger than " + std::to_string(MaxWholeFile >> 20) + " MiB");
    const auto reached = [&steps](TSaveStep step) {
        if (steps.Reached)
            steps.Reached(step);
    };
    const SaveIntent::TFiles files = SaveFiles(imageOut, sideOut);
    if (TFileResult locked = lock.Acquire(files.Lock, fileName, steps.Patience); !locked)
        return locked;
    const TRemovedOnStop lockOnStop(files.Lock);
    if (TFileResult recovered = SaveIntent::Recover(files); !recovered)
        return recovered;
    reached(TSaveStep::Locked);
    imageOut.UseNames(files.ImageNew, {});
    sideOut.UseNames(files.SideNew, files.SideOld);
    const auto prepare = [&steps](TStagedFile& file, const std::string& bytes) {
        return steps.Prepare ? steps.Prepare(file, bytes) : file.Prepare(bytes);
    };
    TFileResult result = prepare(imageOut, image);
    if (result)
        result = prepare(sideOut, sideBytes);
    const bool oldSideKept = sideOut.Exists();
    if (result)
        result = sideOut.KeepOld();
    if (!result)
        return result;
    reached(TSaveStep::Prepared);
    // Outputs that are no regular files are written in place: there is nothing to undo.
    const bool recorded = imageOut.Replaces() && sideOut.Replaces();
    std::optional<TRemovedOnStop> recordOnStop;
    if (recorded) {
        recordOnStop.emplace(files.Record);
        if (result = SaveIntent::Record(files, image, sideBytes, oldSideKept); !result)
            return result;
        reached(TSaveStep::Recorded);
    }
    // The image's rename completes the save: until then the old image stands, and the side
    // file, already renamed, is brought back if anything stops the save.
    if (result = sideOut.Rename(); !result) {
        if (recorded)
            SaveIntent::Complete(files);
        return result;
    }
    reached(TSaveStep::SideRenamed);
    if (result = imageOut.Rename(&sideOut); !result) {
        sideOut.Restore();
        if (recorded)
            SaveIntent::Recover(files);
        return result;
    }
    reached(TSaveStep::ImageRenamed);
    if (recorded)
        SaveIntent::Complete(files);
    reached(TSaveStep::Completed);
    imageOut.Sync();
    sideOut.Sync();
    return {};
}
} // namespace ProjectFile
