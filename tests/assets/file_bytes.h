// Test files: binary ones built byte by byte (little- and big-endian fields, RIFF chunks), text ones, both
// written and read back, and a fresh scratch folder for each test.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

struct Bytes : std::vector<uint8_t> {
    using std::vector<uint8_t>::vector;
    Bytes& u8(int x) {
        push_back(uint8_t(x));
        return *this;
    }
    Bytes& le16(uint32_t x) { return u8(int(x & 255)).u8(int((x >> 8) & 255)); }
    Bytes& le32(uint32_t x) { return le16(x & 0xFFFF).le16(x >> 16); }
    Bytes& be16(uint32_t x) { return u8(int((x >> 8) & 255)).u8(int(x & 255)); }
    Bytes& be32(uint32_t x) { return be16(x >> 16).be16(x & 0xFFFF); }
    Bytes& fill(size_t n, int x) {
        insert(end(), n, uint8_t(x));
        return *this;
    }
    Bytes& add(std::initializer_list<int> xs) {
        for (int x : xs)
            u8(x);
        return *this;
    }
    Bytes& add(const std::vector<uint8_t>& b) {
        insert(end(), b.begin(), b.end());
        return *this;
    }
    Bytes& id(const char* four) { return add({four[0], four[1], four[2], four[3]}); }
    // A RIFF chunk: id, 32-bit size, contents, and a pad byte after odd contents.
    Bytes& chunk(const char* name, const std::vector<uint8_t>& body) {
        id(name).le32(uint32_t(body.size())).add(body);
        return body.size() & 1 ? u8(0) : *this;
    }
};

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An empty folder of that name (and this process's id) under the system's temporary folder.
inline std::filesystem::path FreshFolder(const std::string& name) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("rv_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}
