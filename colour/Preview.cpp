#include "Preview.h"

#include "BitDepth.h"
#include "ColourMatrix.h"
#include "ColourPipeline.h"
#include "OutputWriter.h"
#include "PreviewGeometry.h"
#include "SharpenFilter.h"
#include "ToneTable.h"

namespace corvcolor {
namespace {

void ApplyTable(const CToneTable &t, CWork12 &img) {
    for (uint16_t &v : img.samples)
        v = t[v];
}

// Filters the widened cut-out when the block asks for it and drops the
// margins; without the filter the cut-out already is the area.
CWork12 SharpenArea(const SC_PREVIEWPARAM &p, const CPreviewGeometry &g, CWork12 wide) {
    if (!CSharpenFilter::IsRequested(p))
        return wide;
    return CSharpenFilter::FromParam(p).Apply(wide, g.area.left - g.widened.left,
                                              g.area.top - g.widened.top, g.area.width,
                                              g.area.height);
}

CImage8 To8Image(const CWork12 &img) {
    CImage8 out(img.width, img.height, img.channels);
    for (size_t i = 0; i < img.samples.size(); ++i)
        out.samples[i] = To8(img.samples[i]);
    return out;
}

// The cut-out of the ICC and sRGB previews: 8-bit throughout unless the
// filter needs the 12-bit detour.
CImage8 CutMaybeSharpened(const SC_PREVIEWPARAM &p, const CPreviewGeometry &g, const uint8_t *in) {
    if (!CSharpenFilter::IsRequested(p))
        return g.Cut8(in);
    return To8Image(SharpenArea(p, g, g.Cut12(in)));
}

bool Prepare(const SC_PREVIEWPARAM &p, int channels, CPreviewGeometry &g) {
    return g.Init(p, channels, CSharpenFilter::IsRequested(p));
}

bool PrepareToned(const SC_PREVIEWPARAM &p, int channels, CPreviewGeometry &g) {
    return Prepare(p, channels, g) && (!CToneTable::IsRequested(p) || CToneTable::IsValid(p));
}

// Steps shared by the colour and grey previews: 12-bit cut-out, curve,
// filter with the margins dropped.
CWork12 FilteredArea12(const SC_PREVIEWPARAM &p, const CPreviewGeometry &g, const uint8_t *in) {
    return SharpenArea(p, g, g.Cut12(in, p.curveSwitch != 0 ? p.curve : nullptr));
}

}  // namespace

int CPreview::Colour(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p) {
    CPreviewGeometry g;
    if (!PrepareToned(p, 3, g))
        return -1;
    CColourPipeline(p, g).Run(in, out);
    return 0;
}

int CPreview::Icc(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p) {
    CPreviewGeometry g;
    if (!Prepare(p, 3, g))
        return -1;
    COutputWriter::Write(CutMaybeSharpened(p, g, in), g, out);
    return 0;
}

int CPreview::Srgb(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p) {
    CPreviewGeometry g;
    if (!Prepare(p, 3, g))
        return -1;
    CImage8 img = CutMaybeSharpened(p, g, in);
    if (CColourMatrix::IsRequested(p))
        CColourMatrix(p.adjust1, p.adjust2, p.adjust3).Apply(img);
    COutputWriter::Write(img, g, out);
    return 0;
}

int CPreview::Gray(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p) {
    CPreviewGeometry g;
    if (!PrepareToned(p, 1, g))
        return -1;
    CWork12 area = FilteredArea12(p, g, in);
    if (CToneTable::IsRequested(p) || p.adjust1 != 0)
        ApplyTable(CToneTable(p, p.adjust1), area);
    COutputWriter::Write(To8Image(area), g, out);
    return 0;
}

}  // namespace corvcolor
