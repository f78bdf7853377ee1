#include "office/compound_file.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace xunda {

std::uint32_t U32(std::string_view bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) throw std::runtime_error("compound file cut short");
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint16_t U16(std::string_view bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 2) throw std::runtime_error("compound file cut short");
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

// Sectors of the file (after its header) or of the mini stream, and the table linking them.
struct SectorSpace {
    std::string_view bytes;
    std::size_t sectorSize;
    std::size_t skipped;  // sectors before sector 0: the header's in the file
    std::vector<std::uint32_t> next;

    // The bytes of the chain from `start`: every sector must lie in the bytes, none twice.
    std::string Chain(std::uint32_t start) const {
        std::string out;
        const std::size_t sectors = bytes.size() / sectorSize + 1;
        for (std::uint32_t s = start, steps = 0; s != kEndOfChain; s = next[s]) {
            const std::size_t at = (s + skipped) * sectorSize;
            if (s >= next.size() || ++steps > sectors || at >= bytes.size())
                throw std::runtime_error("bad sector chain");
            out.append(bytes.substr(at, sectorSize));
        }
        return out;
    }
    // The first `size` bytes of the chain from `start`.
    std::string Stream(std::uint32_t start, std::size_t size) const {
        std::string out = Chain(start);
        if (out.size() < size) throw std::runtime_error("stream cut short");
        out.resize(size);
        return out;
    }
};

std::vector<std::uint32_t> Words(std::string_view bytes) {
    std::vector<std::uint32_t> words;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) words.push_back(U32(bytes, at));
    return words;
}

// The file's sectors with the FAT gathered from the header's and the DIFAT sectors' lists.
SectorSpace FileSectors(std::string_view file) {
    const std::uint16_t shift = U16(file, 30);
    if (!file.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") || (shift != 9 && shift != 12))
        throw std::runtime_error("no compound file");
    SectorSpace space{file, std::size_t{1} << shift, 1, {}};
    const std::size_t count = U32(file, 44), perSector = space.sectorSize / 4;
    if (count > file.size() / space.sectorSize) throw std::runtime_error("bad FAT size");
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < 109 && fatSectors.size() < count; ++i)
        fatSectors.push_back(U32(file, 76 + 4 * i));
    for (std::uint32_t s = U32(file, 68), steps = 0; fatSectors.size() < count; ++steps) {
        const std::size_t at = (s + std::size_t{1}) * space.sectorSize;
        if (steps > count) throw std::runtime_error("bad DIFAT chain");
        for (std::size_t i = 0; i + 1 < perSector && fatSectors.size() < count; ++i)
            fatSectors.push_back(U32(file, at + 4 * i));
        s = U32(file, at + 4 * (perSector - 1));
    }
    for (std::uint32_t s : fatSectors) {
        const std::size_t at = (s + std::size_t{1}) * space.sectorSize;
        if (at >= file.size()) throw std::runtime_error("bad FAT sector");
        const std::vector<std::uint32_t> words = Words(file.substr(at, space.sectorSize));
        space.next.insert(space.next.end(), words.begin(), words.end());
    }
    return space;
}

// Whether a directory entry's UTF-16 name is `name`, ASCII letters in any case.
bool NameIs(std::string_view entry, std::string_view name) {
    if (U16(entry, 64) != 2 * (name.size() + 1)) return false;  // bytes with the closing zero
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint16_t c = U16(entry, 2 * i);
        const auto want = static_cast<unsigned char>(name[i]);
        if (c != want && !(std::isalpha(want) && c == (want ^ 0x20))) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadCompoundStream(std::string_view file,
                                              std::initializer_list<std::string_view> names) {
    constexpr std::size_t kEntry = 128;
    try {
        const SectorSpace big = FileSectors(file);
        const std::string directory = big.Chain(U32(file, 48));
        for (std::string_view name : names) {
            for (std::size_t at = 0; at + kEntry <= directory.size(); at += kEntry) {
                const std::string_view entry = std::string_view(directory).substr(at, kEntry);
                if (entry[66] != 2 || !NameIs(entry, name)) continue;  // 2: a stream
                const std::uint32_t start = U32(entry, 116), size = U32(entry, 120);
                if (size >= U32(file, 56)) return big.Stream(start, size);
                // A small stream lives in the mini stream, the root entry's chain.
                if (U16(file, 32) != 6) return std::nullopt;  // mini sectors are 64 bytes
                const std::string mini = big.Chain(U32(directory, 116));
                const SectorSpace small{mini, 64, 0, Words(big.Chain(U32(file, 60)))};
                return small.Stream(start, size);
            }
        }
    } catch (const std::runtime_error&) {
    }
    return std::nullopt;
}

}  // namespace xunda
