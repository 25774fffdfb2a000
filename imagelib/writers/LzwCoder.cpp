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

}  // namespace

struct LzwCoder {
    int hashSize = 0;
    // Keys and codes in separate arrays: every strip empties the keys, and
    // all-ones bytes (key -1) let that be one memset.
    std::unique_ptr<int32_t[]> keys;
    std::unique_ptr<uint16_t[]> codes;
    int nextFree = kFirstFree;
    int width = kMinWidth;
    int maxCode = (1 << kMinWidth) - 1;
    uint64_t acc = 0;
    int accBits = 0;
    size_t written = 0;
    uint8_t out[kOutChunk + 16];
    size_t outFill = 0;
    CComFile *stream = nullptr;

    void ResetTable() {
        std::memset(keys.get(), 0xFF, sizeof(int32_t) * static_cast<size_t>(hashSize));
        nextFree = kFirstFree;
        width = kMinWidth;
        maxCode = (1 << kMinWidth) - 1;
    }

    void Drain() {
        stream->Write(out, outFill);
        written += outFill;
        outFill = 0;
    }

    void Emit(int code) {
        acc = (acc << width) | static_cast<uint64_t>(code);
        accBits += width;
        while (accBits >= 8) {
            accBits -= 8;
            out[outFill++] = static_cast<uint8_t>(acc >> accBits);
        }
        if (outFill >= kOutChunk)
            Drain();
    }

    // The decoder widens its codes one code early; growing after the code
    // that assigned the last code of a width keeps both sides in step.
    void CheckWidth() {
        if (nextFree > kResetLimit) {
            Emit(kClear);
            ResetTable();
        } else if (nextFree > maxCode) {
            ++width;
            maxCode = (1 << width) - 1;
        }
    }

    void EmitEndOfInformation() {
        Emit(kEndOfInformation);
        if (accBits) {
            out[outFill++] = static_cast<uint8_t>(acc << (8 - accBits));
            accBits = 0;
        }
        acc = 0;
        Drain();
    }
};

LzwCoder *CreateCoder(int hashSize) {
    auto *coder = new (std::nothrow) LzwCoder;
    if (coder) {
        coder->keys.reset(new (std::nothrow) int32_t[static_cast<size_t>(hashSize)]);
        coder->codes.reset(new (std::nothrow) uint16_t[static_cast<size_t>(hashSize)]);
    }
    if (!coder || !coder->keys || !coder->codes) {
        delete coder;
        SetTiffLastError(kTiffErrOutOfMemory);
        return nullptr;
    }
    coder->hashSize = hashSize;
    coder->ResetTable();
    return coder;
}

void DestroyCoder(LzwCoder *coder) {
    delete coder;
}

size_t CompressStrip(LzwCoder *c, const uint8_t *bytes, size_t length, CComFile &stream) {
    if (c->nextFree != kFirstFree || c->written)
        c->ResetTable();
    c->written = 0;
    c->outFill = 0;
    c->acc = 0;
    c->accBits = 0;
    c->stream = &stream;
    if (length == 0)
        return 0;
    c->Emit(kClear);
    c->CheckWidth();
    int prefix = bytes[0];
    const int size = c->hashSize;
    int32_t *keys = c->keys.get();
    uint16_t *codes = c->codes.get();
    for (size_t i = 1; i < length; ++i) {
        int ch = bytes[i];
        int32_t key = prefix + (ch << 12);
        int h = prefix ^ (ch << 4);
        int step = h == 0 ? 1 : size - h;
        for (;;) {
            if (keys[h] == key) {
                prefix = codes[h];
                break;
            }
            if (keys[h] < 0) {
                keys[h] = key;
                codes[h] = static_cast<uint16_t>(c->nextFree++);
                c->Emit(prefix);
                c->CheckWidth();
                prefix = ch;
                break;
            }
            h -= step;
            if (h < 0)
                h += size;
        }
    }
    ++c->nextFree;
    c->Emit(prefix);
    c->CheckWidth();
    c->EmitEndOfInformation();
    return c->written;
}

}  // namespace corv
