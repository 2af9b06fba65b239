#pragma once
#include "project/FileUtil.h"
#include "support/TempDir.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

// A fresh folder for the file tests and small helpers over it.
class ProjectFiles : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return (Dir / name).string(); }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::string bytes;
        const TFileResult read = ReadWholeFile(path, bytes);
        EXPECT_TRUE(read) << read.Message();
        return bytes;
    }
    size_t Entries() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(Dir), {}));
    }
    TempDir Temp;
    const std::filesystem::path& Dir = Temp.Path;
};
