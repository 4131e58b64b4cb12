#pragma once
// PictureBox: the drawing area of the main window on Windows. It draws into a
// persistent image (the pixel rules of PixelArea), so what was drawn survives
// being covered, and shows it inside a 2-pixel sunken frame (the client edge).
#include <windows.h>

#include "display/pixel_area.h"

namespace vostel::win32 {

class PictureBox final : public PixelArea {
public:
    // A child of `parent` at (left, top), outerWidth x outerHeight pixels, frame included.
    PictureBox(HWND parent, int left, int top, int outerWidth, int outerHeight, int id);
    ~PictureBox() override;
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    HWND hwnd() const { return hwnd_; }

protected:
    void changed() override { InvalidateRect(hwnd_, nullptr, FALSE); }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc) const;

    HWND hwnd_ = nullptr;
};

}  // namespace vostel::win32
