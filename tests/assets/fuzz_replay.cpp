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
    }
    if (seeds.empty()) return 2;
    for (const auto& s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());
    uint32_t state = 12345;
    auto next = [&]() { return state = state * 1103515245u + 12345u, state >> 8; };
    const long count = std::atol(argv[2]);
    for (long i = 0; i < count; ++i) {
        std::vector<uint8_t> d = seeds[next() % seeds.size()];
        int edits = 1 + int(next() % 8);
        for (int e = 0; e < edits && !d.empty(); ++e) {
            size_t at = next() % d.size();
            switch (next() % 5) {
            case 0:
                d[at] ^= uint8_t(1u << (next() % 8));
                break;
            case 1:
                d[at] = uint8_t(next());
                break;
            case 2:
                d.resize(at);
                break;
            case 3:
                d.insert(d.begin() + long(at), d.begin() + long(at),
                         d.begin() + long(std::min(d.size(), at + 16)));
                break;
            default:
                d[at] = uint8_t(0xFF);
                break;
            }
        }
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%zu seeds and %ld mutations ran\n", seeds.size(), count);
    return 0;
}
