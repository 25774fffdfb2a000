// What the page saver works through: the TWAIN transfer steps of the
// source that has pages ready, the boxes the user answers, the disk, and
// the high-compression conversion. The program gives it the real ones; a
// test gives it its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "twain/twain.h"

// The transfer steps. Each raises the id of its message (an int) when the
// source refuses it.
class ITransferSource {
public:
    virtual ~ITransferSource() = default;
    virtual TW_UINT32 setupMemXfer() = 0;
    // The colour code: 1 black and white, 2 gray, 3 colour, 0 other.
    virtual int getImageInfo(TW_IMAGEINFO &info, double &resolution) = 0;
    // `length`: the buffer's size in, the bytes written out.
    virtual TW_UINT16 imageMemXfer(void *buffer, TW_UINT32 &length, TW_IMAGEMEMXFER &block) = 0;
    // True when no page is left.
    virtual bool endXfer() = 0;
    virtual void resetXfers() = 0;
};

enum class EOverwrite { Yes, All, No, Cancel };

class ISaveUi {
public:
    virtual ~ISaveUi() = default;
    // The overwrite question for the file `name`; `extraButtons` adds
    // "replace all" and "cancel".
    virtual EOverwrite AskOverwrite(const std::string &name, bool extraButtons) = 0;
    // A message of the string table, formatted with a file name where it has one.
    virtual void ShowMessage(int id, const std::string &name) = 0;
    // An unexpected failure (out of memory and the like), in its own words.
    virtual void ShowFailure(const std::string &what) = 0;
    virtual void Log(const std::string &line) = 0;
};

// Paths are UTF-8.
class ISaveFiles {
public:
    virtual ~ISaveFiles() = default;
    // Creates an empty file when none exists; false when one does or it cannot be made.
    virtual bool CreateNew(const std::string &path) = 0;
    virtual bool Exists(const std::string &path) = 0;
    virtual bool Remove(const std::string &path) = 0;
    // Empty when the size cannot be read; the implementation logs why.
    virtual std::optional<uint64_t> Size(const std::string &path) = 0;
    // The name as the image library's writers open it.
    virtual std::string WriterName(const std::string &path) = 0;
};

class IHighCompression {
public:
    virtual ~IHighCompression() = default;
    // Turns the finished TIFF into the PDF beside it and removes the TIFF;
    // `skip`: only remove it.
    virtual void Convert(const std::string &tiffPath, bool skip) = 0;
};
