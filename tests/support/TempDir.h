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
    // Names and paths are UTF-8, as the program keeps them; Windows reads a plain string as its
    // ANSI code page otherwise.
    std::string File(const std::string& name) const { return Utf8(Path / Native(name)); }
    static std::filesystem::path Native(const std::string& path) {
        return std::u8string(path.begin(), path.end());
    }
    static std::string Utf8(const std::filesystem::path& path) {
        const std::u8string text = path.u8string();
        return {text.begin(), text.end()};
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(Native(path), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(Native(path), std::ios::binary) << bytes;
    }
    std::filesystem::path Path;
};
