#pragma once
// CMrcSegmenter: finds the text and line art of a scanned page. A pixel is
// foreground when it is clearly darker than a smoothed estimate of the
// paper around it; connected groups of such pixels are then kept only when
// they look like marks: specks from scanner noise go, and large dense
// groups (photos, dark pictures) go together with everything inside their
// bounds, so that pictures stay whole in the background layer.
#include <cstdint>
#include <vector>

namespace corv::mrc {

// The paper's brightness per block of the page, smoothed.
struct PaperGrid {
    int block = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> level;
};

struct MaskStats {
    int kept = 0;
    int specks = 0;
    int pictures = 0;  // large dense groups sent to the background
};

class CMrcSegmenter {
public:
    explicit CMrcSegmenter(double dpi);

    // Luminance of one row of chunky 1- or 3-sample pixels.
    static void LumaRow(const uint8_t *pixels, int width, int samples, uint8_t *out);
    // The paper estimate is built a band of BlockSize() luma rows at a time:
    // each band gives one row of block values (width / BlockSize() rounded
    // up), and the rows together give the smoothed grid.
    void UpperMeans(const uint8_t *band, int width, int rows, int *out) const;
    PaperGrid Paper(const std::vector<int> &upper, int blocksWide, int blocksHigh) const;
    // One row of the mask: 1 where a pixel is darker than its local paper
    // estimate by the margin.
    void ThresholdRow(const PaperGrid &paper, int y, const uint8_t *luma, int width,
                      uint8_t *out) const;
    // The same over a whole page held in memory.
    std::vector<uint8_t> Threshold(const uint8_t *luma, int width, int height) const;
    // Removes specks and picture regions from a threshold mask in place.
    MaskStats Clean(std::vector<uint8_t> &mask, int width, int height) const;

    int BlockSize() const { return m_block; }
    int MinMarkPixels() const { return m_minMark; }
    int MaxGlyphSide() const { return m_maxGlyph; }
    int MaxLineWidth() const { return m_maxLine; }

    // A pixel is foreground below this share of its paper level...
    static constexpr int kDarkPercent = 62;
    // ...and at least this far below it, so that a grey paper's grain stays out.
    static constexpr int kMinContrast = 48;
    // Large groups denser than this are pictures, not line art.
    static constexpr double kMaxLineArtDensity = 0.22;
    // Line art is drawn with thin strokes, so few of the blocks it touches
    // are solid; the edge of a picture fills them.
    static constexpr int kMaxSolidPercent = 15;

private:
    int m_block;
    int m_minMark;
    int m_maxGlyph;
    int m_maxLine;
};

}  // namespace corv::mrc
