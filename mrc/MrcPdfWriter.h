#pragma once
// CMrcPdfWriter: writes the pages of a mixed-raster PDF. Each page draws its
// background image over the whole page, then its foreground colour image
// through the text mask (an explicit /Mask: a Group 4 stencil at full
// resolution). Objects go out as each page is finished; the page tree, the
// catalogue and the cross-reference table follow at the end, so only one
// page's coded streams are held at a time.
#include "ComFile.h"
#include "MrcLayers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corv::mrc {

struct MrcStreams {
    std::vector<uint8_t> mask;        // CCITT Group 4
    std::vector<uint8_t> background;  // JPEG
    std::vector<uint8_t> foreground;  // JPEG
};

class CMrcPdfWriter {
public:
    // The background carries photos and shading; the foreground only flat
    // colours under the mask's sharp edges, so it stands a coarser coding.
    static constexpr int kBackgroundQuality = 50;
    static constexpr int kForegroundQuality = 30;

    explicit CMrcPdfWriter(CComFile &stream) : m_stream(stream) {}

    void Begin();
    void AddPage(const MrcLayers &layers, double xDpi, double yDpi);
    void Finish();
    int PageCount() const { return static_cast<int>(m_pages.size()); }

    // The coders alone, for tests and the benchmark's breakdown.
    static MrcStreams Encode(const MrcLayers &layers);
    static std::vector<uint8_t> EncodeG4(const std::vector<uint8_t> &mask, int width, int height);
    static std::vector<uint8_t> EncodeJpeg(const MrcPlane &plane, int quality);

private:
    int NewObject();
    void Put(const std::string &text);
    void PutStream(int object, const std::string &dictionary, const std::vector<uint8_t> &data);

    CComFile &m_stream;
    std::vector<int64_t> m_offsets;  // by object number - 1
    std::vector<int> m_pages;
};

}  // namespace corv::mrc
