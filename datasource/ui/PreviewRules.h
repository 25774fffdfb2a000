// The preview's geometry apart from any window: zoom levels, the scroll
// origin, the rubber-band edges, the pointer's cursor and the scan area
// kept inside the prescan image. All lengths on the image side are image
// pixels (the grid of the area resolution); on the screen side, pixels of
// the preview control's client area.
#pragma once

#include <cstdint>

enum class EPointerMode { Select, ZoomIn, ZoomOut, Hand };

// The cursor ids are those of the cursor resources; the others are the
// system's cursors, or the tracker's own sizing cursors on its handles.
enum class EPreviewCursor : int32_t {
    Arrow = 0,
    Cross = 1,
    TrackerHandle = 2,
    ZoomIn = 1009,
    ZoomOut = 1010,
    ZoomLimit = 1011,
    HandDragging = 1012,
    Hand = 1013,
};

enum class EAreaEdge { Top, Left, Width, Height };

struct SPreviewArea {
    int32_t top = 0;
    int32_t left = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool IsWholePage() const { return top == 0 && left == 0 && width == 0 && height == 0; }
};

class CPreviewRules {
public:
    // One image pixel is drawn as 2^zoom / 8 screen pixels: 1/8 .. 2.
    static constexpr int32_t kMinZoom = 0;
    static constexpr int32_t kMaxZoom = 4;
    static constexpr int32_t kNoImageZoom = 3;
    static constexpr int32_t kLineStep = 16;  // image pixels per scroll-bar line

    // image × 2^zoom / 8 and screen × 8 >> zoom, rounded towards minus
    // infinity so that positions left of or above the image map steadily.
    static int32_t ToScreen(int32_t imagePixels, int32_t zoom);
    static int32_t ToImage(int32_t screenPixels, int32_t zoom);

    // The largest zoom at which the limiting side of the image fits the
    // client; 0 when nothing fits, and the no-image zoom without an image.
    static int32_t InitialZoom(int32_t imageWidth, int32_t imageHeight, int32_t clientWidth,
                               int32_t clientHeight);
    // One step in or out; at a limit the zoom stays.
    static int32_t StepZoom(int32_t zoom, bool zoomIn);

    // Highest scroll origin on one axis: the image less what the client shows.
    static int32_t ScrollLimit(int32_t image, int32_t client, int32_t zoom);
    static int32_t ClampOrigin(int32_t origin, int32_t image, int32_t client, int32_t zoom);
    // The origin after a zoom change on one axis, keeping the image pixel
    // under `anchor` (screen) where it is, as far as the scroll range allows.
    static int32_t OriginAfterZoom(int32_t origin, int32_t anchor, int32_t fromZoom, int32_t toZoom,
                                   int32_t image, int32_t client);
    // The origin after the hand moved from `from` to `to` (screen): the
    // image pixel that was under the pointer follows it.
    static int32_t OriginAfterPan(int32_t origin, int32_t from, int32_t to, int32_t image,
                                  int32_t client, int32_t zoom);

    // A moving tracker edge (screen), kept on the image and, at the
    // largest zoom, on whole image pixels.
    static int32_t AdjustEdge(int32_t screen, int32_t origin, int32_t image, int32_t zoom);
    static int32_t EdgeToImage(int32_t screen, int32_t origin, int32_t zoom) {
        return ToImage(screen, zoom) + origin;
    }
    static int32_t EdgeToScreen(int32_t imagePixel, int32_t origin, int32_t zoom) {
        return ToScreen(imagePixel - origin, zoom);
    }
    // The area of a tracker rectangle given in any corner order.
    static SPreviewArea AreaFromTracker(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                        int32_t originX, int32_t originY, int32_t zoom);

    static EPreviewCursor Cursor(EPointerMode mode, int32_t zoom, bool overImage, bool onHandle,
                                 bool dragging);

    // The area restored after a prescan: no larger than the image, moved
    // back onto it. The whole page stays the whole page.
    static SPreviewArea ClampToImage(SPreviewArea area, int32_t imageWidth, int32_t imageHeight);
    static int32_t Field(const SPreviewArea &area, EAreaEdge edge);
    // One area edit's new value in pixels: top and left move the area with
    // its size kept, width and height move the far edge, all on the image.
    static SPreviewArea ApplyEdit(SPreviewArea area, EAreaEdge edge, int32_t pixels,
                                  int32_t imageWidth, int32_t imageHeight);
};
