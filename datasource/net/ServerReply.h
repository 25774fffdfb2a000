// Decoding of the scan server's "Y_" replies. Values are decimal integers
// read from the leading part of the value, as the server has always been
// read; everything here comes from the network and is validated before a
// size derived from it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The reply keys a client keeps. Everything a reply reports is cleared
// before each attempt of a command, so a reply that omits a key never
// passes off the previous attempt's value as its own; recover is carried
// over from reply to reply, and the session id stays until a BEGIN_JOB
// reply sets it again.
struct CServerReply {
    int32_t result = 0;
    int32_t status = 0;
    int32_t recover = 0;
    int32_t session = -1;
    int32_t scanAuthentic = 0;
    int32_t dadf = 0;
    int32_t ready = 0;
    int32_t colorMode = 0;
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    int32_t rowBytes = 0;
    int32_t dataByte = 0;

    void ClearForAttempt() {
        const int32_t keptRecover = recover;
        const int32_t keptSession = session;
        *this = CServerReply{};
        recover = keptRecover;
        session = keptSession;
    }
    // Applies one "KEY=value" pair when the key is one the command reads
    // (see KeysOf); other keys are ignored.
    void Apply(std::string_view key, std::string_view value, uint32_t keys);
};

// Bit set of the reply keys each command reads.
namespace ykey {
constexpr uint32_t kResult = 1u << 0, kStatus = 1u << 1, kRecover = 1u << 2, kSession = 1u << 3,
                   kScanAuthentic = 1u << 4, kDadf = 1u << 5, kReady = 1u << 6,
                   kColorMode = 1u << 7, kPixelWidth = 1u << 8, kPixelHeight = 1u << 9,
                   kRowBytes = 1u << 10, kDataByte = 1u << 11;
}
uint32_t KeysOf(const char *command);

// Leading decimal integer of a value: optional blanks and sign, digits;
// anything else ends it; no digits gives 0. Values beyond 32 bits are
// clamped rather than wrapped.
int32_t ParseLeadingInt(std::string_view value);

// Reads a whole text reply of a command (every command but GET_IMAGE). A
// BEGIN_JOB reply resets the session id to -1 first, so a reply without
// Y_SESSION yields -1.
void ParseReplyText(std::string_view text, CServerReply &reply, const char *command);

// GET_IMAGE replies carry keys and then raw image bytes in one response.
// This reads the key part byte by byte, as the bytes arrive, and stops
// right after "Y_IMAGE_DATA=".
class CImageReplyReader {
public:
    enum class State { Keys, ImageData, Malformed };

    explicit CImageReplyReader(CServerReply &reply) : m_reply(reply) {}

    // Consumes bytes of the key part; returns how many were used. Once the
    // state is ImageData the rest of the input is image data.
    size_t Feed(const char *data, size_t size);
    State GetState() const { return m_state; }
    // True when the last key read was Y_IMAGE_DATA.
    bool AtImageData() const { return m_state == State::ImageData; }

    // A key or value longer than this is not a reply of this protocol.
    static constexpr size_t kMaxField = 256;

private:
    CServerReply &m_reply;
    State m_state = State::Keys;
    bool m_inValue = false;
    std::string m_key;
    std::string m_value;
};
