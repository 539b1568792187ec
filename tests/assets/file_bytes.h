// Binary test files built byte by byte (little- and big-endian fields, RIFF chunks), written and read back.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <vector>

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
