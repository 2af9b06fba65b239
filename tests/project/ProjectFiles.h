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
        std::string bytes, error;
        EXPECT_EQ(ReadWholeFile(path, bytes, error), TReadStatus::Read) << error;
        return bytes;
    }
    size_t Entries() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(Dir), {}));
    }
    TempDir Temp;
    const std::filesystem::path& Dir = Temp.Path;
};
