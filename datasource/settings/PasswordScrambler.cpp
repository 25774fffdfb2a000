#include "PasswordScrambler.h"

namespace {

constexpr unsigned char kChainStart = 0x6D;

}  // namespace

std::string CPasswordScrambler::Scramble(std::string_view password) {
    std::string stored;
    stored.reserve(password.size() * 2);
    unsigned char previous = kChainStart;
    for (const char c : password) {
        const auto b = static_cast<unsigned char>(c);
        for (const unsigned char half : {b >> 4, b & 0x0F}) {
            previous = static_cast<unsigned char>((half | 0x20) ^ previous);
            stored.push_back(static_cast<char>(previous));
        }
    }
    return stored;
}

std::string CPasswordScrambler::Unscramble(std::string_view stored) {
    std::string password;
    password.reserve(stored.size() / 2);
    unsigned char previous = kChainStart;
    for (size_t i = 0; i + 1 < stored.size(); i += 2) {
        const auto first = static_cast<unsigned char>(stored[i]);
        const auto second = static_cast<unsigned char>(stored[i + 1]);
        const unsigned high = first ^ previous;
        const unsigned low = second ^ first;
        previous = second;
        password.push_back(static_cast<char>((high * 16 + low - 0x20) & 0xFF));
    }
    return password;
}
