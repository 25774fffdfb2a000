#include "PreviewRules.h"

#include <algorithm>
#include <cstdint>

namespace {

int32_t Clamp(int64_t value, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::clamp(value, low, std::max(low, high)));
}

int32_t ValidZoom(int32_t zoom) {
    return std::clamp(zoom, CPreviewRules::kMinZoom, CPreviewRules::kMaxZoom);
}

// Floor division by a power of two; `>>` on a negative value rounds down in C++20.
int32_t Scale(int64_t value, int32_t up, int32_t down) {
    return Clamp((value << up) >> down, INT32_MIN, INT32_MAX);
}

// The largest zoom at which `image` screen pixels fit into `client`.
int32_t FittingZoom(int32_t image, int32_t client) {
    for (int32_t z = CPreviewRules::kMaxZoom; z > CPreviewRules::kMinZoom; --z)
        if (CPreviewRules::ToScreen(image, z) <= client)
            return z;
    return CPreviewRules::kMinZoom;
}

}  // namespace

int32_t CPreviewRules::ToScreen(int32_t imagePixels, int32_t zoom) {
    return Scale(imagePixels, ValidZoom(zoom), 3);
}

int32_t CPreviewRules::ToImage(int32_t screenPixels, int32_t zoom) {
    return Scale(screenPixels, 3, ValidZoom(zoom));
}

int32_t CPreviewRules::InitialZoom(int32_t imageWidth, int32_t imageHeight, int32_t clientWidth,
                                   int32_t clientHeight) {
    if (imageWidth <= 0 || imageHeight <= 0)
        return kNoImageZoom;
    if (clientWidth <= 0 || clientHeight <= 0)
        return kMinZoom;
    // imageHeight / clientHeight < imageWidth / clientWidth without rounding.
    const bool widthLimits =
        int64_t{imageHeight} * clientWidth < int64_t{imageWidth} * clientHeight;
    return widthLimits ? FittingZoom(imageWidth, clientWidth)
                       : FittingZoom(imageHeight, clientHeight);
}

int32_t CPreviewRules::StepZoom(int32_t zoom, bool zoomIn) {
    return ValidZoom(zoomIn ? zoom + 1 : zoom - 1);
}

int32_t CPreviewRules::ScrollLimit(int32_t image, int32_t client, int32_t zoom) {
    return Clamp(int64_t{image} - ToImage(std::max(client, 0), zoom), 0, INT32_MAX);
}

int32_t CPreviewRules::ClampOrigin(int32_t origin, int32_t image, int32_t client, int32_t zoom) {
    return Clamp(origin, 0, ScrollLimit(image, client, zoom));
}

int32_t CPreviewRules::OriginAfterZoom(int32_t origin, int32_t anchor, int32_t fromZoom,
                                       int32_t toZoom, int32_t image, int32_t client) {
    const int64_t moved = int64_t{origin} + ToImage(anchor, fromZoom) - ToImage(anchor, toZoom);
    return Clamp(moved, 0, ScrollLimit(image, client, toZoom));
}

int32_t CPreviewRules::OriginAfterPan(int32_t origin, int32_t from, int32_t to, int32_t image,
                                      int32_t client, int32_t zoom) {
    // Both pointer positions become image pixels before the difference is
    // taken: at zoom 4 a hand moved by one screen pixel must not move the
    // image by one image pixel (two screen pixels).
    const int64_t moved = int64_t{origin} + ToImage(from, zoom) - ToImage(to, zoom);
    return Clamp(moved, 0, ScrollLimit(image, client, zoom));
}

int32_t CPreviewRules::AdjustEdge(int32_t screen, int32_t origin, int32_t image, int32_t zoom) {
    const int32_t edge =
        Clamp(screen, EdgeToScreen(0, origin, zoom), EdgeToScreen(image, origin, zoom));
    // At zoom 4 an image pixel is two screen pixels; both bounds are even,
    // so rounding down stays on the image.
    return ValidZoom(zoom) == kMaxZoom ? (edge >> 1) << 1 : edge;
}

SPreviewArea CPreviewRules::AreaFromTracker(int32_t left, int32_t top, int32_t right,
                                            int32_t bottom, int32_t originX, int32_t originY,
                                            int32_t zoom) {
    const int32_t x0 = EdgeToImage(std::min(left, right), originX, zoom);
    const int32_t x1 = EdgeToImage(std::max(left, right), originX, zoom);
    const int32_t y0 = EdgeToImage(std::min(top, bottom), originY, zoom);
    const int32_t y1 = EdgeToImage(std::max(top, bottom), originY, zoom);
    return SPreviewArea{y0, x0, x1 - x0, y1 - y0};
}

EPreviewCursor CPreviewRules::Cursor(EPointerMode mode, int32_t zoom, bool overImage, bool onHandle,
                                     bool dragging) {
    if (mode == EPointerMode::Select && onHandle)
        return EPreviewCursor::TrackerHandle;
    if (mode == EPointerMode::Hand && dragging)
        return EPreviewCursor::HandDragging;
    if (!overImage)
        return EPreviewCursor::Arrow;
    switch (mode) {
        case EPointerMode::ZoomIn:
            return zoom >= kMaxZoom ? EPreviewCursor::ZoomLimit : EPreviewCursor::ZoomIn;
        case EPointerMode::ZoomOut:
            return zoom <= kMinZoom ? EPreviewCursor::ZoomLimit : EPreviewCursor::ZoomOut;
        case EPointerMode::Hand:
            return EPreviewCursor::Hand;
        case EPointerMode::Select:
            break;
    }
    return EPreviewCursor::Cross;
}

SPreviewArea CPreviewRules::ClampToImage(SPreviewArea area, int32_t imageWidth,
                                         int32_t imageHeight) {
    if (area.IsWholePage())
        return area;
    area.width = Clamp(area.width, 0, imageWidth);
    area.height = Clamp(area.height, 0, imageHeight);
    area.left = Clamp(area.left, 0, int64_t{imageWidth} - area.width);
    area.top = Clamp(area.top, 0, int64_t{imageHeight} - area.height);
    return area;
}

int32_t CPreviewRules::Field(const SPreviewArea &area, EAreaEdge edge) {
    switch (edge) {
        case EAreaEdge::Top:
            return area.top;
        case EAreaEdge::Left:
            return area.left;
        case EAreaEdge::Width:
            return area.width;
        case EAreaEdge::Height:
            return area.height;
    }
    return 0;
}

SPreviewArea CPreviewRules::ApplyEdit(SPreviewArea area, EAreaEdge edge, int32_t pixels,
                                      int32_t imageWidth, int32_t imageHeight) {
    switch (edge) {
        case EAreaEdge::Top:
            area.top = Clamp(pixels, 0, int64_t{imageHeight} - area.height);
            break;
        case EAreaEdge::Left:
            area.left = Clamp(pixels, 0, int64_t{imageWidth} - area.width);
            break;
        case EAreaEdge::Width:
            area.width = Clamp(pixels, 0, int64_t{imageWidth} - area.left);
            break;
        case EAreaEdge::Height:
            area.height = Clamp(pixels, 0, int64_t{imageHeight} - area.top);
            break;
    }
    return area;
}
