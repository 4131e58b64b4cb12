#pragma once
// PictureBox: the drawing area of the main window on Windows. It draws into a
// persistent DIB section, so what was drawn survives being covered, and shows
// it inside a sunken frame (the client edge). The drawing keeps its size in
// points (pixels at 96 DPI); on a denser monitor it is shown enlarged to the
// window's size there.
#include <windows.h>

#include <cstdint>

#include "display/drawing_surface.h"

namespace vostel::win32 {

class PictureBox final : public DrawingSurface {
public:
    static constexpr int kFrameWidth = 2;
    static constexpr float kTwipsPerPixel = 15.0f;

    // A child of `parent` whose drawing measures outerWidth x outerHeight points,
    // frame included; its owner places and sizes the window.
    PictureBox(HWND parent, int outerWidth, int outerHeight, int id);
    ~PictureBox() override;
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    void PSet(float x, float y) override;
    void PSet(float x, float y, ColorValue color) override;
    // Paints every pixel from the current point to the end point, both included.
    void Line(float x, float y, ColorValue color) override;
    void Cls() override;
    float outerHeightTwips() const override;
    float twipsPerPixelY() const override { return kTwipsPerPixel; }

    HWND hwnd() const { return hwnd_; }
    // The drawing's pixel at (x, y) inside the frame, as 0x00BBGGRR.
    ColorValue pixel(int x, int y) const;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void plot(int x, int y, std::uint32_t bgr);
    void changed();

    HWND hwnd_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;  // rows top-down, 0x00RRGGBB
    int width_ = 0;
    int height_ = 0;
    int outerHeight_ = 0;
    std::uint32_t back_;
    int currentX_ = 0;
    int currentY_ = 0;
};

}  // namespace vostel::win32
