// Everything the client parses from a server (and the formats it fills from
// the string table) must take any bytes without a crash, a hang or an
// out-of-bounds access. The first byte chooses the decoder.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "CommandBody.h"
#include "FormEscaper.h"
#include "PageGeometry.h"
#include "ReplyDecision.h"
#include "ServerMessages.h"
#include "ServerReply.h"

namespace {

int32_t TakeInt(const uint8_t *&d, size_t &n) {
    int32_t v = 0;
    size_t k = n < 4 ? n : 4;
    std::memcpy(&v, d, k);
    d += k;
    n -= k;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t mode = data[0] % 6;
    ++data;
    --size;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    switch (mode) {
        case 0: {
            static const char *const kCommands[] = {cmd::kBeginJob, cmd::kReadyScanPage,
                                                    cmd::kBeginGetImage, cmd::kEndJob};
            CServerReply r;
            ParseReplyText(text, r, kCommands[size % 4]);
            CommandPathFromWebPath(std::string(text));
            break;
        }
        case 1: {
            // Image replies arrive in pieces of any size.
            CServerReply r;
            CImageReplyReader reader(r);
            size_t pos = 0, piece = size % 7 + 1;
            while (pos < size && reader.GetState() == CImageReplyReader::State::Keys) {
                size_t n = reader.Feed(text.data() + pos, std::min(piece, size - pos));
                if (n == 0)
                    break;
                pos += n;
            }
            break;
        }
        case 2:
            EscapeFormValue(text, CLeadByteTable::CodePage932());
            break;
        case 3: {
            std::wstring format(text.begin(), text.end());
            FormatMessageText(format, {1, std::wstring(L"x"), -5});
            break;
        }
        case 4: {
            // Whatever a reply says, a retry comes only after a pause, for
            // a temporary condition or data not yet ready, and never once
            // the user has cancelled.
            static const char *const kCommands[] = {cmd::kReadyBeginJob, cmd::kReadyScanPage,
                                                    cmd::kGetImage, cmd::kEndJob};
            const char *command = kCommands[size % 4];
            CServerReply r;
            r.result = TakeInt(data, size);
            r.recover = TakeInt(data, size);
            r.dataByte = TakeInt(data, size);
            const uint32_t status = static_cast<uint32_t>(TakeInt(data, size));
            const bool cancelled = (size & 1) != 0;
            const CReplyDecision d = DecideAfterReply(command, r, status, cancelled);
            if (d.step == EReplyStep::Retry &&
                (cancelled || !d.pause || (r.recover == 0 && !(r.result == 0 && r.dataByte == 0))))
                __builtin_trap();
            break;
        }
        default: {
            const int mode2 = static_cast<int>(TakeInt(data, size) & 3);
            const int32_t w = TakeInt(data, size), h = TakeInt(data, size),
                          row = TakeInt(data, size);
            CPageGeometry g;
            if (ComputePageGeometry(mode2, w, h, row, g)) {
                if (g.pageBytes < g.bytesPerRow || g.bytesPerRow <= 0)
                    __builtin_trap();
                const uint32_t buffer = static_cast<uint32_t>(TakeInt(data, size));
                const uint32_t got = static_cast<uint32_t>(TakeInt(data, size));
                if (ReadChunkSize(buffer, g, got) > buffer)
                    __builtin_trap();
            }
            RescaleKnownPixels(w, h, row);
            break;
        }
    }
    return 0;
}
