#pragma once
// CImgParam: what a writer is told about the page that follows: pixel type,
// size, the length of each source row as delivered, resolution.
namespace corv {

enum : int { kPixelBilevel = 1, kPixelGray = 2, kPixelRgb = 3 };

class CImgParam {
public:
    CImgParam() = default;
    CImgParam(int pixelType, int width, int height, int bytesPerRow, double resolution)
        : PixelType(pixelType),
          Width(width),
          Height(height),
          BytesPerRow(bytesPerRow),
          Resolution(resolution) {}
    virtual ~CImgParam() = default;

    int PixelType = 0;
    int Width = 0;
    int Height = 0;
    int BytesPerRow = 0;
    double Resolution = 0;
};

}  // namespace corv
