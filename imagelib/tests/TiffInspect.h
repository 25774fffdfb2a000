#pragma once
// Reads back the structure of a little-endian TIFF for tests: the IFD
// chain, each entry's type, count and values, and where the IFD sits.
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>

namespace corv::test {

struct TiffEntry {
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t rawField = 0;         // the 4 value/offset bytes of the entry
    std::vector<uint32_t> values;  // RATIONAL as numerator, denominator
    bool inlineValue = false;
};

struct TiffIfd {
    uint32_t offset = 0;
    uint32_t next = 0;
    std::vector<uint16_t> order;
    std::map<uint16_t, TiffEntry> tags;

    uint32_t Get(uint16_t tag, size_t i = 0) const { return tags.at(tag).values.at(i); }
    bool Has(uint16_t tag) const { return tags.count(tag) != 0; }
};

struct TiffFile {
    std::vector<TiffIfd> ifds;
    uint32_t firstIfd = 0;
};

inline uint32_t Le(const std::vector<uint8_t> &b, size_t at, int n) {
    if (at + n > b.size())
        throw std::runtime_error("read past end");
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b[at + i];
    return v;
}

inline TiffFile Inspect(const std::vector<uint8_t> &b) {
    TiffFile f;
    if (b.size() < 8 || b[0] != 'I' || b[1] != 'I' || Le(b, 2, 2) != 42)
        throw std::runtime_error("not a little-endian TIFF");
    f.firstIfd = Le(b, 4, 4);
    for (uint32_t at = f.firstIfd; at && f.ifds.size() < 1000;) {
        TiffIfd ifd;
        ifd.offset = at;
        uint32_t n = Le(b, at, 2);
        for (uint32_t i = 0; i < n; ++i) {
            size_t e = at + 2 + 12 * i;
            uint16_t tag = static_cast<uint16_t>(Le(b, e, 2));
            TiffEntry entry;
            entry.type = static_cast<uint16_t>(Le(b, e + 2, 2));
            entry.count = Le(b, e + 4, 4);
            entry.rawField = Le(b, e + 8, 4);
            int size = entry.type == 3 ? 2 : 4;
            uint32_t values = entry.type == 5 ? entry.count * 2 : entry.count;
            entry.inlineValue = values * size <= 4;
            size_t base = entry.inlineValue ? e + 8 : entry.rawField;
            for (uint32_t k = 0; k < values; ++k)
                entry.values.push_back(Le(b, base + k * size, size));
            ifd.order.push_back(tag);
            ifd.tags[tag] = entry;
        }
        ifd.next = Le(b, at + 2 + 12 * n, 4);
        at = ifd.next;
        f.ifds.push_back(ifd);
    }
    return f;
}

// The stored bytes of every strip of one IFD, in strip order.
inline std::vector<uint8_t> StripBytes(const std::vector<uint8_t> &file, const TiffIfd &ifd) {
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < ifd.tags.at(273).count; ++i)
        out.insert(out.end(), file.begin() + ifd.Get(273, i),
                   file.begin() + ifd.Get(273, i) + ifd.Get(279, i));
    return out;
}

}  // namespace corv::test
