#pragma once
// frmMain on Windows: the main window with its controls at fixed places, the
// log txt1 and the timer Timer1 that drives the receive cycle.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "app/layout.h"
#include "app/mdl_main.h"
#include "win32/picture_box.h"

namespace vostel::win32 {

class frmMain final : public MainForm {
public:
    // Control identifiers, numbered in Tab order like the layout's controls.
    enum : int {
        kPicMain = 100 + static_cast<int>(MainControl::picMain),
        kTxt1 = 100 + static_cast<int>(MainControl::txt1),
        kButRec = 100 + static_cast<int>(MainControl::butRec),
        kBtnLoadIRData = 100 + static_cast<int>(MainControl::btnLoadIRData),
    };
    static constexpr UINT_PTR kTimer1 = 1;

    frmMain();
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // The shell whose handlers the timer and the buttons run.
    void attach(mdlMain& shell) { shell_ = &shell; }

    void showForm() override;
    DrawingSurface& drawingArea() override { return *picMain_; }
    void enableTimer1() override;
    void prependLog(std::string_view theID) override;

    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK logProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::unique_ptr<PictureBox> picMain_;
    HWND txt1_ = nullptr;
    WNDPROC editProc_ = nullptr;
    mdlMain* shell_ = nullptr;
};

}  // namespace vostel::win32
