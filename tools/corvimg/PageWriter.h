#pragma once
// What the writing subcommands share: option values, and streaming PNM pages
// through a writer with the tool's error and clean-up rules.
#include "ImgOption.h"
#include "ImgToFile.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace corvimg {

// A TWAIN memory transfer delivers at most this much per buffer by default.
constexpr size_t kDefaultChunk = 65535;
constexpr int kDefaultDpi = 300;

bool ParsePositive(const std::string &s, long max, long &value);

// The options every writing subcommand takes, and its positional arguments.
struct PageArgs {
    int dpi = kDefaultDpi;
    size_t chunk = kDefaultChunk;
    std::vector<std::string> positional;
};

// The one option of its own a subcommand adds: its name, a parser of its
// value, and the message for a missing or bad value.
struct ExtraOption {
    const char *name;
    std::function<bool(const std::string &value)> parse;
    const char *error;
};

// Parses --dpi (1..maxDpi), --chunk and `extra`; false with `error` set for
// a bad value or an unknown option.
bool ParsePageArgs(const std::vector<std::string> &args, const ExtraOption &extra, long maxDpi,
                   PageArgs &out, std::string &error);
// PixelType of a PNM format character ('4', '5', '6').
int PixelTypeOf(char format);

// Opens `writer` on `out` by name and writes each input as one page, `chunk`
// bytes per WriteData as a memory transfer would deliver them. On failure
// the half-written file is removed, `error` says why and kExitFailed is
// returned.
int WritePages(corv::CImgToFile &writer, corv::CImgOption &option, const std::string &out,
               const std::vector<std::string> &inputs, int dpi, size_t chunk, std::string &error);

}  // namespace corvimg
