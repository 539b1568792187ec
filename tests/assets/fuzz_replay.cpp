// Runs a fuzz target without libFuzzer: every seed file, then a fixed number of deterministic
// mutations of them (bit flips, byte changes, cuts, repeats). Usage: fuzz_replay <seed dir> <count>.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::vector<std::vector<uint8_t>> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(seeds.back().data(), seeds.back().size());
    }
    if (seeds.empty()) return 2;
    uint32_t state = 12345;
    auto next = [&]() { return state = state * 1103515245u + 12345u, state >> 8; };
    const long count = std::atol(argv[2]);
    for (long i = 0; i < count; ++i) {
        std::vector<uint8_t> d = seeds[next() % seeds.size()];
        for (int e = 0, edits = 1 + int(next() % 8); e < edits && !d.empty(); ++e) {
            const size_t at = next() % d.size();
            const uint32_t kind = next() % 5;
            if (kind == 0) d[at] ^= uint8_t(1u << (next() % 8));
            if (kind == 1) d[at] = uint8_t(next());
            if (kind == 2) d.resize(at);
            if (kind == 3)
                d.insert(d.begin() + long(at), d.begin() + long(at),
                         d.begin() + long(std::min(d.size(), at + 16)));
            if (kind == 4) d[at] = 0xFF;
        }
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%zu seeds and %ld mutations ran\n", seeds.size(), count);
    return 0;
}
