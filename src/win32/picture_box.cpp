#include "win32/picture_box.h"

#include "win32/modal.h"

namespace vostel::win32 {

PictureBox::PictureBox(HWND parent, int left, int top, int outerWidth, int outerHeight, int id)
    : PixelArea(outerWidth, outerHeight) {
    // The client edge is the classic sunken frame, 2 pixels wide.
    const wchar_t* cls = registerClass(L"VostelPictureBox", proc, nullptr);
    hwnd_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, left, top, outerWidth, outerHeight,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

PictureBox::~PictureBox() {
    if (IsWindow(hwnd_)) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void PictureBox::paint(HDC dc) const {
    // The pixels are 0xFFRRGGBB, a 32-bit DIB's layout (its high byte is not used), rows top-down.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = imageWidth();
    info.bmiHeader.biHeight = -imageHeight();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, 0, 0, imageWidth(), imageHeight(), 0, 0, imageWidth(), imageHeight(), pixels(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK PictureBox::proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PictureBox* self = windowObject<PictureBox>(hwnd, msg, lParam);
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (self) self->paint(dc);
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

}  // namespace vostel::win32
