#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// A fresh folder for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        Path = std::filesystem::temp_directory_path() / ("varok-test-" + std::to_string(random()));
        std::filesystem::create_directories(Path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(Path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(Path, ignored);
    }
    std::string File(const std::string& name) const { return (Path / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::filesystem::path Path;
};
