#include "win32/picture_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/line_points.h"
#include "win32/modal.h"

namespace vostel::win32 {

namespace {

constexpr ColorValue kBackColor = 0xC0FFC0;  // RGB(192, 255, 192)

// 0x00BBGGRR to the DIB's 0x00RRGGBB.
std::uint32_t toDib(ColorValue color) {
    const auto c = static_cast<std::uint32_t>(color);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Coordinates far outside the area are clamped; they are cut off anyway.
int toPixel(float v) {
    if (!(v > -1e6f)) return -1000000;
    if (v > 1e6f) return 1000000;
    return static_cast<int>(std::lround(v));
}

}  // namespace

PictureBox::PictureBox(HWND parent, int outerWidth, int outerHeight, int id)
    : width_(outerWidth - 2 * kFrameWidth),
      height_(outerHeight - 2 * kFrameWidth),
      outerHeight_(outerHeight),
      back_(toDib(kBackColor)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    memory_ = CreateCompatibleDC(nullptr);
    oldBitmap_ = SelectObject(memory_, bitmap_);
    std::fill(bits_, bits_ + width_ * height_, back_);

    // The client edge is the classic sunken frame, 2 pixels wide.
    const wchar_t* cls = registerClass(L"VostelPictureBox", proc, nullptr);
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, outerWidth,
                            outerHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), this);
}

PictureBox::~PictureBox() {
    if (IsWindow(hwnd_)) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    SelectObject(memory_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
}

LRESULT CALLBACK PictureBox::proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PictureBox* self = windowObject<PictureBox>(hwnd, msg, lParam);
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (self) {
                // Each point becomes one or more whole pixels, without blending colours.
                RECT client{};
                GetClientRect(hwnd, &client);
                SetStretchBltMode(dc, COLORONCOLOR);
                StretchBlt(dc, 0, 0, client.right, client.bottom, self->memory_, 0, 0, self->width_,
                           self->height_, SRCCOPY);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the drawing covers the whole inside
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);  // the first control in tab order takes the focus like the others
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

ColorValue PictureBox::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    const std::uint32_t c = bits_[y * width_ + x];
    return static_cast<ColorValue>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

void PictureBox::plot(int x, int y, std::uint32_t bgr) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    bits_[y * width_ + x] = bgr;
}

void PictureBox::changed() { InvalidateRect(hwnd_, nullptr, FALSE); }

void PictureBox::PSet(float x, float y) {
    currentX_ = toPixel(x);
    currentY_ = toPixel(y);
    plot(currentX_, currentY_, 0);  // the foreground colour, black
    changed();
}

void PictureBox::PSet(float x, float y, ColorValue color) {
    currentX_ = toPixel(x);
    currentY_ = toPixel(y);
    plot(currentX_, currentY_, toDib(color));
    changed();
}

void PictureBox::Line(float x, float y, ColorValue color) {
    const int endX = toPixel(x);
    const int endY = toPixel(y);
    const std::uint32_t bgr = toDib(color);
    int x0 = currentX_;
    int y0 = currentY_;
    if (y0 == endY) {
        // A row segment, the usual case: fill the part inside the area.
        const int from = std::max(std::min(x0, endX), 0);
        const int to = std::min(std::max(x0, endX), width_ - 1);
        if (y0 >= 0 && y0 < height_ && from <= to)
            std::fill(bits_ + y0 * width_ + from, bits_ + y0 * width_ + to + 1, bgr);
    } else {
        // A straight line from the current point to the end point, both ends painted.
        forEachLinePoint(x0, y0, endX, endY, [&](int px, int py) { plot(px, py, bgr); });
    }
    currentX_ = endX;
    currentY_ = endY;
    changed();
}

void PictureBox::Cls() {
    std::fill(bits_, bits_ + width_ * height_, back_);
    currentX_ = currentY_ = 0;
    changed();
}

float PictureBox::outerHeightTwips() const { return static_cast<float>(outerHeight_) * kTwipsPerPixel; }

}  // namespace vostel::win32
