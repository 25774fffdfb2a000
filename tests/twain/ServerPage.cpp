#include "ServerPage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "SimulatorClient.h"

namespace {

constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kFileHeaderSize = 14;
constexpr double kMetresPerInch = 0.0254;

uint32_t U32(const std::string &d, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, d.data() + at, 4);
    return v;
}

uint16_t U16(const std::string &d, size_t at) {
    uint16_t v = 0;
    std::memcpy(&v, d.data() + at, 2);
    return v;
}

template <typename... Args>
std::string Text(const char *format, Args... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Compares one header field; appends to the first failure only.
void Field(std::string &failure, const char *name, long long got, long long expected) {
    if (failure.empty() && got != expected)
        failure = Text("%s is %lld, expected %lld", name, got, expected);
}

}  // namespace

std::string FirstDifference(const std::string &got, const std::string &expected) {
    const size_t common = std::min(got.size(), expected.size());
    for (size_t i = 0; i < common; ++i)
        if (got[i] != expected[i])
            return Text("byte %zu is 0x%02x, expected 0x%02x (sizes %zu and %zu)", i, got[i] & 0xff,
                        expected[i] & 0xff, got.size(), expected.size());
    if (got.size() != expected.size())
        return Text("%zu bytes, expected %zu", got.size(), expected.size());
    return std::string();
}

CServerPage::CServerPage(std::string bytes, const SSimPageRecord &record)
    : m_bytes(std::move(bytes)), m_record(record) {}

CServerPage CServerPage::Fetch(int session, const SSimPageRecord &record) {
    return CServerPage(CSimulatorClient::Page(session, record.number), record);
}

int CServerPage::Bits() const {
    return m_record.mode == 0 ? 24 : m_record.mode == 1 ? 8 : 1;
}

uint32_t CServerPage::PixelBytesPerRow() const {
    const uint32_t w = static_cast<uint32_t>(m_record.width);
    return Bits() == 1 ? (w + 7) / 8 : w * static_cast<uint32_t>(Bits()) / 8;
}

uint32_t CServerPage::DibStride() const {
    return (static_cast<uint32_t>(m_record.width) * static_cast<uint32_t>(Bits()) + 31) / 32 * 4;
}

uint32_t CServerPage::PaletteEntries() const {
    return Bits() <= 8 ? 1u << Bits() : 0;
}

std::string CServerPage::CheckImageInfo(const TW_IMAGEINFO &info) const {
    std::string f;
    const bool colour = Bits() == 24;
    Field(f, "XResolution", info.XResolution.Whole, m_record.dpi);
    Field(f, "XResolution.Frac", info.XResolution.Frac, 0);
    Field(f, "YResolution", info.YResolution.Whole, m_record.dpi);
    Field(f, "ImageWidth", info.ImageWidth, m_record.width);
    Field(f, "ImageLength", info.ImageLength, m_record.height);
    Field(f, "BitsPerPixel", info.BitsPerPixel, Bits());
    Field(f, "PixelType", info.PixelType, colour ? TWPT_RGB : Bits() == 8 ? TWPT_GRAY : TWPT_BW);
    Field(f, "SamplesPerPixel", info.SamplesPerPixel, colour ? 3 : 1);
    for (int i = 0; i < 8; ++i)
        Field(f, "BitsPerSample[i]", info.BitsPerSample[i],
              colour ? (i < 3 ? 8 : 0) : (i == 0 ? Bits() : 0));
    Field(f, "Planar", info.Planar, FALSE);
    Field(f, "Compression", info.Compression, TWCP_NONE);
    return f;
}

std::string CServerPage::CheckMemoryBlocks(const std::vector<SMemBlock> &blocks,
                                           uint32_t bufferSize) const {
    const uint64_t bpr = static_cast<uint64_t>(m_record.stride);
    const uint64_t room = bufferSize;
    uint64_t before = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const SMemBlock &b = blocks[i];
        const bool last = i + 1 == blocks.size();
        const bool partial = b.BytesWritten < bpr;
        const uint64_t inRow = before % bpr;
        const uint64_t fits = inRow != 0   ? std::min(room, bpr - inRow)
                              : room < bpr ? room
                                           : room - room % bpr;
        std::string f;
        Field(f, "BytesWritten", b.BytesWritten,
              static_cast<long long>(std::min<uint64_t>(fits, m_bytes.size() - before)));
        Field(f, "rc", b.rc, last ? TWRC_XFERDONE : TWRC_SUCCESS);
        Field(f, "Compression", b.Compression, TWCP_NONE);
        Field(f, "YOffset", b.YOffset, static_cast<long long>(before / bpr));
        Field(f, "XOffset", b.XOffset, static_cast<long long>(before % bpr * 8 / Bits()));
        Field(f, "BytesPerRow", b.BytesPerRow,
              static_cast<long long>(partial ? b.BytesWritten : bpr));
        Field(f, "Columns", b.Columns, partial ? b.BytesWritten * 8ll / Bits() : m_record.width);
        Field(f, "Rows", b.Rows, static_cast<long long>((b.BytesWritten + bpr - 1) / bpr));
        if (f.empty() && b.BytesWritten == 0)
            f = "no bytes";
        if (!f.empty())
            return Text("block %zu of %zu (%llu bytes before it): ", i, blocks.size(),
                        static_cast<unsigned long long>(before)) +
                   f;
        before += b.BytesWritten;
    }
    if (before != m_bytes.size())
        return Text("blocks carried %llu bytes, the page has %zu",
                    static_cast<unsigned long long>(before), m_bytes.size());
    return std::string();
}

std::string CServerPage::CheckMemoryBytes(const std::string &data) const {
    return FirstDifference(data, m_bytes);
}

std::string CServerPage::CheckNativeDib(const std::string &dib) const {
    return CheckDib(dib, 0, false);
}

std::string CServerPage::CheckBmpFile(const std::string &file) const {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize)
        return Text("file of %zu bytes", file.size());
    const uint32_t bitsOffset =
        static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize + 4 * PaletteEntries());
    const uint32_t fileSize = static_cast<uint32_t>(m_record.height) * DibStride() + bitsOffset;
    std::string f;
    Field(f, "signature", U16(file, 0), 'B' | ('M' << 8));
    Field(f, "bfSize", U32(file, 2), fileSize);
    Field(f, "bfReserved", U32(file, 6), 0);
    Field(f, "bfOffBits", U32(file, 10), bitsOffset);
    Field(f, "file length", static_cast<long long>(file.size()), fileSize);
    return f.empty() ? CheckDib(file, kFileHeaderSize, true) : f;
}

std::string CServerPage::CheckDib(const std::string &data, size_t infoAt,
                                  bool roundedPelsPerMetre) const {
    const size_t paletteAt = infoAt + kInfoHeaderSize;
    const size_t bitsAt = paletteAt + 4 * PaletteEntries();
    const size_t needed =
        bitsAt + static_cast<size_t>(DibStride()) * static_cast<size_t>(m_record.height);
    if (data.size() < needed)
        return Text("%zu bytes, a DIB of this page needs %zu", data.size(), needed);
    const double pels = m_record.dpi / kMetresPerInch;
    const long long pelsPerMetre =
        roundedPelsPerMetre ? std::llround(pels) : static_cast<long long>(pels);
    std::string f;
    Field(f, "biSize", U32(data, infoAt), kInfoHeaderSize);
    Field(f, "biWidth", static_cast<int32_t>(U32(data, infoAt + 4)), m_record.width);
    Field(f, "biHeight", static_cast<int32_t>(U32(data, infoAt + 8)), m_record.height);
    Field(f, "biPlanes", U16(data, infoAt + 12), 1);
    Field(f, "biBitCount", U16(data, infoAt + 14), Bits());
    Field(f, "biCompression", U32(data, infoAt + 16), 0);
    Field(f, "biXPelsPerMeter", static_cast<int32_t>(U32(data, infoAt + 24)), pelsPerMetre);
    Field(f, "biYPelsPerMeter", static_cast<int32_t>(U32(data, infoAt + 28)), pelsPerMetre);
    if (!f.empty())
        return f;
    f = CheckPalette(data, paletteAt);
    return f.empty() ? CheckRows(data, bitsAt) : f;
}

std::string CServerPage::CheckPalette(const std::string &data, size_t at) const {
    const uint32_t entries = PaletteEntries();
    for (uint32_t i = 0; i < entries; ++i) {
        const unsigned grey = i + 1 == entries ? 255 : i * (256u >> Bits());
        const unsigned char *q = reinterpret_cast<const unsigned char *>(data.data() + at + 4 * i);
        if (q[0] != grey || q[1] != grey || q[2] != grey || q[3] != 0)
            return Text("palette entry %u is %u %u %u %u, expected grey %u", i, q[0], q[1], q[2],
                        q[3], grey);
    }
    return std::string();
}

std::string CServerPage::CheckRows(const std::string &data, size_t bitsAt) const {
    const uint32_t pixelBytes = PixelBytesPerRow();
    const int tailBits = m_record.width % 8;
    // Bits of the last byte beyond the last pixel are padding in both.
    const unsigned char lastMask =
        Bits() == 1 && tailBits ? static_cast<unsigned char>(0xff << (8 - tailBits)) : 0xff;
    for (int y = 0; y < m_record.height; ++y) {
        const auto *server = reinterpret_cast<const unsigned char *>(m_bytes.data()) +
                             static_cast<size_t>(y) * m_record.stride;
        const auto *dib = reinterpret_cast<const unsigned char *>(data.data()) + bitsAt +
                          static_cast<size_t>(m_record.height - 1 - y) * DibStride();
        for (uint32_t i = 0; i < pixelBytes; ++i) {
            // 24-bit pixels arrive R G B and are stored B G R.
            const uint32_t from = Bits() == 24 ? i - i % 3 + 2 - i % 3 : i;
            const unsigned char mask = i + 1 == pixelBytes ? lastMask : 0xff;
            if ((dib[i] & mask) != (server[from] & mask))
                return Text("server row %d byte %u: 0x%02x in the DIB, expected 0x%02x", y, i,
                            dib[i], server[from]);
        }
    }
    return std::string();
}

std::string CServerPage::ToPnm() const {
    const int bits = Bits();
    std::string pnm = Text("P%d\n%d %d\n",
                           bits == 24  ? 6
                           : bits == 8 ? 5
                                       : 4,
                           m_record.width, m_record.height);
    if (bits != 1)
        pnm += "255\n";
    const uint32_t pixelBytes = PixelBytesPerRow();
    for (int y = 0; y < m_record.height; ++y) {
        const size_t at = pnm.size();
        pnm.append(m_bytes, static_cast<size_t>(y) * m_record.stride, pixelBytes);
        // PBM marks black with 1, the server white.
        if (bits == 1)
            for (size_t i = at; i < pnm.size(); ++i)
                pnm[i] = static_cast<char>(~pnm[i]);
    }
    return pnm;
}
