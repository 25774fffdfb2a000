#include "PageConverter.h"

#include "LayerBuilder.h"
#include "MrcSegmenter.h"

#include <algorithm>
#include <vector>

namespace corv::mrc {

MrcLayers CPageConverter::Convert(const TiffPage &page) {
    const double dpi = (page.xDpi + page.yDpi) / 2;
    const int w = page.width, h = page.height;
    const CMrcSegmenter segmenter(dpi);
    const int block = segmenter.BlockSize();
    std::vector<uint8_t> rows(page.RowBytes() * size_t(block));
    std::vector<uint8_t> luma(size_t(w) * block);

    const int bw = (w + block - 1) / block, bh = (h + block - 1) / block;
    std::vector<int> upper(size_t(bw) * bh);
    for (int by = 0; by < bh; ++by) {
        const int count = std::min(block, h - by * block);
        m_reader.ReadRows(rows.data(), count);
        for (int r = 0; r < count; ++r)
            CMrcSegmenter::LumaRow(&rows[page.RowBytes() * r], w, page.samples,
                                   &luma[size_t(w) * r]);
        segmenter.UpperMeans(luma.data(), w, count, &upper[size_t(by) * bw]);
    }
    const PaperGrid paper = segmenter.Paper(upper, bw, bh);

    m_reader.RewindPage();
    std::vector<uint8_t> mask(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        m_reader.ReadRows(rows.data(), 1);
        CMrcSegmenter::LumaRow(rows.data(), w, page.samples, luma.data());
        segmenter.ThresholdRow(paper, y, luma.data(), w, &mask[size_t(y) * w]);
    }
    segmenter.Clean(mask, w, h);

    m_reader.RewindPage();
    CLayerBuilder layers(dpi);
    layers.Begin(w, h, page.samples, std::move(mask));
    for (int y = 0; y < h; y += block) {
        const int count = std::min(block, h - y);
        m_reader.ReadRows(rows.data(), count);
        layers.AddRows(rows.data(), count);
    }
    return layers.Finish();
}

}  // namespace corv::mrc
