#include "LzwCoder.h"

#include "ImageError.h"

#include <cstring>
#include <new>

namespace corv {
namespace {

constexpr int kClear = 256;
constexpr int kEndOfInformation = 257;
constexpr int kFirstFree = 258;
constexpr int kMinWidth = 9;
constexpr int kResetLimit = 4095;
// Codes are gathered here and written to the stream in large pieces.
constexpr size_t kOutChunk = 4096;

// A table entry: the key (prefix code + (byte << 12), 20 bits) above the
// code it stands for (12 bits), so one load answers a probe. All ones is
// empty: that key would have prefix 4095, and the table is reset as soon as
// code 4095 is assigned, so no string ever has it as its prefix.
constexpr uint32_t kEmpty = 0xFFFFFFFFu;
constexpr int kCodeBits = 12;
constexpr uint32_t kCodeMask = (1u << kCodeBits) - 1;
// At least twice the 3838 codes a table takes before its reset, so probes
// stay short and an empty slot is always found.
constexpr size_t kMinSlots = 8192;

size_t SlotCount(int hashSize) {
    size_t n = kMinSlots;
    while (hashSize > 0 && n < static_cast<size_t>(hashSize))
        n *= 2;
    return n;
}

// MSB-first codes into a 64-bit accumulator, stored 32 bits at a time.
// Held in locals of the coding loop, so the stores into the byte buffer do
// not make the compiler reload the coder's state after each one.
class CCodeWriter {
public:
    CCodeWriter(uint8_t *buffer, CComFile &stream) : buffer_(buffer), stream_(stream) {}

    void Put(uint32_t code, int width) {
        acc_ = (acc_ << width) | code;
        bits_ += width;
        if (bits_ >= 32) {
            bits_ -= 32;
            const uint32_t v = static_cast<uint32_t>(acc_ >> bits_);
            const uint8_t be[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                                   static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
            std::memcpy(buffer_ + fill_, be, 4);
            fill_ += 4;
            if (fill_ >= kOutChunk)
                Drain();
        }
    }

    // The bits left, the last byte padded with zero bits; returns the bytes
    // written in all.
    size_t Finish() {
        while (bits_ >= 8) {
            bits_ -= 8;
            buffer_[fill_++] = static_cast<uint8_t>(acc_ >> bits_);
        }
        if (bits_ > 0)
            buffer_[fill_++] = static_cast<uint8_t>(acc_ << (8 - bits_));
        Drain();
        return written_;
    }

private:
    void Drain() {
        stream_.Write(buffer_, fill_);
        written_ += fill_;
        fill_ = 0;
    }

    uint8_t *buffer_;
    CComFile &stream_;
    uint64_t acc_ = 0;
    int bits_ = 0;
    size_t fill_ = 0;
    size_t written_ = 0;
};

}  // namespace

struct LzwCoder {
    size_t slots = 0;
    int slotShift = 0;  // 32 - log2(slots): the top bits of the product pick the slot
    std::unique_ptr<uint32_t[]> table;
    // Whether the table holds entries of an earlier strip.
    bool used = false;
    uint8_t out[kOutChunk + 16];

    void ResetTable() { std::memset(table.get(), 0xFF, sizeof(uint32_t) * slots); }

    // Multiplicative hashing spreads the keys of a table filled with near
    // values (grainy scans) evenly over the slots.
    uint32_t Slot(uint32_t key) const { return (key * 0x9E3779B1u) >> slotShift; }
};

LzwCoder *CreateCoder(int hashSize) {
    auto *coder = new (std::nothrow) LzwCoder;
    if (coder) {
        coder->slots = SlotCount(hashSize);
        coder->slotShift = 32;
        for (size_t n = coder->slots; n > 1; n /= 2)
            --coder->slotShift;
        coder->table.reset(new (std::nothrow) uint32_t[coder->slots]);
    }
    if (!coder || !coder->table) {
        delete coder;
        SetTiffLastError(kTiffErrOutOfMemory);
        return nullptr;
    }
    coder->ResetTable();
    return coder;
}

void DestroyCoder(LzwCoder *coder) {
    delete coder;
}

size_t CompressStrip(LzwCoder *c, const uint8_t *bytes, size_t length, CComFile &stream) {
    if (c->used)
        c->ResetTable();
    if (length == 0)
        return 0;
    c->used = true;
    CCodeWriter writer(c->out, stream);
    uint32_t *table = c->table.get();
    const uint32_t mask = static_cast<uint32_t>(c->slots - 1);
    int width = kMinWidth;
    uint32_t maxCode = (1u << kMinWidth) - 1;
    uint32_t nextFree = kFirstFree;
    // The decoder widens its codes one code early; growing after the code
    // that assigned the last code of a width keeps both sides in step. At
    // 12 bits the largest code is the reset limit: Clear, and 9 bits again.
    auto checkWidth = [&] {
        if (nextFree <= maxCode)
            return;
        if (nextFree > kResetLimit) {
            writer.Put(kClear, width);
            c->ResetTable();
            nextFree = kFirstFree;
            width = kMinWidth;
        } else {
            ++width;
        }
        maxCode = (1u << width) - 1;
    };
    writer.Put(kClear, width);
    checkWidth();
    uint32_t prefix = bytes[0];
    for (size_t i = 1; i < length; ++i) {
        const uint32_t ch = bytes[i];
        const uint32_t key = prefix | ch << kCodeBits;
        uint32_t h = c->Slot(key);
        for (;;) {
            const uint32_t e = table[h];
            if (e >> kCodeBits == key) {
                prefix = e & kCodeMask;
                break;
            }
            if (e == kEmpty) {
                table[h] = key << kCodeBits | nextFree++;
                writer.Put(prefix, width);
                checkWidth();
                prefix = ch;
                break;
            }
            h = (h + 1) & mask;
        }
    }
    ++nextFree;
    writer.Put(prefix, width);
    checkWidth();
    writer.Put(kEndOfInformation, width);
    return writer.Finish();
}

}  // namespace corv
