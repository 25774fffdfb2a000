#include "SaveOptions.h"

#include <algorithm>
#include <cctype>

#include "ImgToJPEG.h"
#include "ImgToPDF.h"
#include "ImgToTIFF2.h"
#include "JpegOption.h"
#include "PdfOption.h"

namespace {
constexpr uint32_t kBwMask = 0x3;
constexpr int kQualityShift = 2;
constexpr uint32_t kQualityMask = 0x7;
constexpr int kEncodeShift = 5;
constexpr int kCompressionShift = 6;

bool EndsWithIgnoringCase(const std::string &text, const std::string &tail) {
    if (tail.size() > text.size())
        return false;
    return std::equal(tail.begin(), tail.end(), text.end() - static_cast<long>(tail.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}
}  // namespace

CSaveOptions::CSaveOptions(int type, const SSaveValues &values)
    : m_type(type), m_word(OptionWord(type, values)) {}

uint32_t CSaveOptions::OptionWord(int type, const SSaveValues &v) {
    uint32_t quality = 0;
    if (type == kJpeg)
        quality = static_cast<uint32_t>(v.JpegQuality + 1);
    else if (type == kPdf)
        quality = v.GrayCompression == 0 ? 0 : static_cast<uint32_t>(v.PdfJpegQuality + 1);
    const uint32_t compression = (type == kTiff || type == kMultiTiff) ? (v.Compression & 1) : 0;
    return (static_cast<uint32_t>(v.BwCompression) & kBwMask) |
           ((quality & kQualityMask) << kQualityShift) |
           ((static_cast<uint32_t>(v.Encode) & 1) << kEncodeShift) |
           (compression << kCompressionShift);
}

const char *CSaveOptions::Extension() const {
    switch (m_type) {
        case kJpeg:
            return ".jpg";
        case kPdf:
            return ".pdf";
        default:
            return ".tif";
    }
}

std::unique_ptr<corv::CImgOption> CSaveOptions::MakeOption() const {
    const int bw = static_cast<int>(m_word & kBwMask);
    const int quality = static_cast<int>((m_word >> kQualityShift) & kQualityMask);
    const bool ascii85 = ((m_word >> kEncodeShift) & 1) != 0;
    switch (m_type) {
        case kJpeg: {
            auto jpeg = std::make_unique<corv::CJpegOption>();
            jpeg->Quality = quality;
            return jpeg;
        }
        case kPdf:
            return std::make_unique<corv::CPdfOption>(
                quality, bw + 1, quality != 0 ? corv::kPdfColorJpeg : corv::kPdfColorNone, ascii85);
        default: {
            // Every TIFF page is written uncompressed; the flag only travels.
            auto tiff = std::make_unique<corv::CTiffOption>(1, 1, 2);
            tiff->Flag = static_cast<uint8_t>((m_word >> kCompressionShift) & 1);
            return tiff;
        }
    }
}

std::unique_ptr<corv::CImgToFile> CSaveOptions::MakeWriter() const {
    switch (m_type) {
        case kJpeg:
            return std::make_unique<corv::CImgToJPEG>();
        case kPdf:
            return std::make_unique<corv::CImgToPDF>();
        default:
            return std::make_unique<corv::CImgToTIFF2>();
    }
}

std::string CSaveOptions::OutputName(const std::string &chosen, const char *extension) {
    const std::string ext = extension;
    if (chosen.find(ext) != std::string::npos && EndsWithIgnoringCase(chosen, ext))
        return chosen;
    return chosen + ext;
}

std::string CSaveOptions::PageFileName(const std::string &output, int page) {
    if (page < 2)
        return output;
    const size_t dot = output.find_last_of('.');
    const size_t slash = output.find_last_of("\\/");
    const size_t at = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                          ? output.size()
                          : dot;
    return output.substr(0, at) + std::to_string(page) + output.substr(at);
}

std::string CSaveOptions::DisplayName(const std::string &path) {
    std::string name = path;
    std::replace(name.begin(), name.end(), '/', '\\');
    const size_t slash = name.find_last_of('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string CSaveOptions::Folder(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
