// The Win32 edges with real windows under Wine (an X server of their own):
// the main window's layout, tab order and log, the picture box, the naming
// dialog's keys, buttons and close box, and keys typed with SendInput.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/error.h"
#include "win32/dlg_signal.h"
#include "win32/frm_main.h"
#include "win32/keystroke_sender.h"
#include "win32/modal.h"
#include "win32/prompts.h"
#include "win32/window_text.h"

namespace vostel::win32 {
namespace {

// Handles what is pending, as the program's loops do, until `done` holds
// (at most `ms` milliseconds).
bool pumpUntil(HWND dialogWindow, const std::function<bool()>& done, DWORD ms = 5000) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dialogWindow && IsDialogMessageW(dialogWindow, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return true;
}

void settle(HWND window) {
    // Input handed to the system is processed once the queue is empty twice in a row.
    int quiet = 0;
    pumpUntil(window, [&] {
        MSG msg;
        quiet = PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) ? 0 : quiet + 1;
        return quiet >= 5;
    });
}

RECT childRect(HWND parent, int id) {
    RECT r{};
    HWND child = GetDlgItem(parent, id);
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void expectRect(const RECT& r, int left, int top, int width, int height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

TEST(MainWindow, LayoutTextsAndResizing) {
    frmMain form;
    form.showForm();
    HWND w = form.hwnd();
    EXPECT_EQ(textOf(w), L"Vostel");
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 758);
    EXPECT_EQ(client.bottom, 382);
    auto checkControls = [&] {
        expectRect(childRect(w, frmMain::kPicMain), 80, 8, 673, 369);
        expectRect(childRect(w, frmMain::kTxt1), 0, 72, 73, 305);
        expectRect(childRect(w, frmMain::kButRec), 0, 40, 73, 25);
        expectRect(childRect(w, frmMain::kBtnLoadIRData), 0, 8, 73, 25);
    };
    checkControls();
    EXPECT_EQ(textOf(GetDlgItem(w, frmMain::kButRec)), L"Record");
    EXPECT_EQ(textOf(GetDlgItem(w, frmMain::kBtnLoadIRData)), L"LoadIRData");
    // Resized and maximized, nothing is laid out again.
    SetWindowPos(w, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
    settle(w);
    checkControls();
    ShowWindow(w, SW_MAXIMIZE);
    settle(w);
    checkControls();
}

TEST(MainWindow, TabMovesTheFocusAlongTheTabOrderAndLeavesTheLogUnchanged) {
    frmMain form;
    form.showForm();
    HWND w = form.hwnd();
    SetForegroundWindow(w);
    settle(w);
    const HWND order[] = {GetDlgItem(w, frmMain::kPicMain), GetDlgItem(w, frmMain::kTxt1),
                          GetDlgItem(w, frmMain::kButRec), GetDlgItem(w, frmMain::kBtnLoadIRData)};
    SetFocus(order[0]);
    KeystrokeSender keys;
    for (int step = 1; step <= 4; ++step) {
        keys.sendKeys("{TAB}", false);
        HWND want = order[step % 4];
        EXPECT_TRUE(pumpUntil(w, [&] { return GetFocus() == want; })) << "Tab number " << step;
    }
    for (int step = 3; step >= 0; --step) {
        keys.sendKeys("+{TAB}", false);
        HWND want = order[step];
        EXPECT_TRUE(pumpUntil(w, [&] { return GetFocus() == want; })) << "Shift+Tab to control " << step;
    }
    EXPECT_EQ(textOf(order[1]), L"");  // no tab character went into the log
}

TEST(MainWindow, LogTakesNewIdsOnTop) {
    frmMain form;
    form.showForm();
    form.prependLog("power");
    form.prependLog("Lautst\xE4rke \x80");  // Windows-1252
    EXPECT_EQ(textOf(GetDlgItem(form.hwnd(), frmMain::kTxt1)), L"Lautst\u00E4rke \u20AC\r\npower\r\n");
}

TEST(PictureBox, DrawsKeepsAndClears) {
    frmMain form;
    form.showForm();
    auto& pic = static_cast<PictureBox&>(form.drawingArea());
    EXPECT_FLOAT_EQ(pic.outerHeightTwips(), 369 * 15.0f);
    EXPECT_EQ(pic.pixel(5, 5), 0xC0FFC0);
    pic.PSet(0, 3, 0xFF0000);
    pic.Line(10, 3, 0xFF0000);
    pic.Line(20, 3, 0xC0E0FF);
    EXPECT_EQ(pic.pixel(0, 3), 0xFF0000);
    EXPECT_EQ(pic.pixel(9, 3), 0xFF0000);
    EXPECT_EQ(pic.pixel(15, 3), 0xC0E0FF);
    EXPECT_EQ(pic.pixel(21, 3), 0xC0FFC0);
    // Covered and uncovered, the drawing is still there.
    InvalidateRect(pic.hwnd(), nullptr, TRUE);
    settle(form.hwnd());
    HDC dc = GetDC(pic.hwnd());
    EXPECT_EQ(GetPixel(dc, 5, 3), static_cast<COLORREF>(0xFF0000));
    ReleaseDC(pic.hwnd(), dc);
    pic.Cls();
    EXPECT_EQ(pic.pixel(5, 3), 0xC0FFC0);
}

// Steps run one after the other by a timer while the dialog's modal loop runs.
std::vector<std::function<void()>> g_steps;
std::size_t g_next = 0;
void CALLBACK runStep(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_next < g_steps.size()) {
        g_steps[g_next++]();
    } else {
        KillTimer(nullptr, id);
    }
}
void script(std::vector<std::function<void()>> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    SetTimer(nullptr, 0, 200, runStep);
}

void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class NamingDialog : public ::testing::Test {
protected:
    // A main window closed by an earlier test asked the program to end; these tests go on.
    void SetUp() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
};

TEST_F(NamingDialog, EnterAndEscapeDoNothingOkReturnsTheTextCancelKeepsIt) {
    dlgSignal dlg;
    KeystrokeSender keys;
    std::wstring shown;
    bool visibleAfterKeys = false;
    script({[&] { keys.sendKeys("ab\x80 z~{ESC}", false); },  // "ab€ z", Enter, Escape
            [&] { visibleAfterKeys = IsWindowVisible(dlg.window()) != FALSE; },
            [&] { click(dlg.window(), dlgSignal::kOKButton); }});
    std::string id = "old";
    EXPECT_TRUE(dlg.showDialog(id));
    EXPECT_TRUE(visibleAfterKeys);
    EXPECT_EQ(id, "ab\x80 z");
    EXPECT_FALSE(IsWindowVisible(dlg.window()));

    // Cancel: false, the caller's text unchanged; the text stays for the next time, selected.
    script({[&] { shown = textOf(GetDlgItem(dlg.window(), dlgSignal::kText1)); },
            [&] { keys.sendKeys("x", false); }, [&] { click(dlg.window(), dlgSignal::kCancelButton); }});
    id = "kept";
    EXPECT_FALSE(dlg.showDialog(id));
    EXPECT_EQ(id, "kept");
    EXPECT_EQ(shown, L"ab\u20AC z");
    EXPECT_EQ(textOf(GetDlgItem(dlg.window(), dlgSignal::kText1)), L"x");  // typing replaced the offered ID
}

TEST_F(NamingDialog, CharactersWindows1252LacksShowAsQuestionMarksAtOnce) {
    dlgSignal dlg;
    KeystrokeSender keys;
    std::wstring shown;
    script({[&] { SetWindowTextW(GetDlgItem(dlg.window(), dlgSignal::kText1), L"a\u015Eb\U0001F600c"); },
            [&] { shown = textOf(GetDlgItem(dlg.window(), dlgSignal::kText1)); },
            [&] { click(dlg.window(), dlgSignal::kOKButton); }});
    std::string id;
    EXPECT_TRUE(dlg.showDialog(id));
    EXPECT_EQ(shown, L"a?b?c");
    EXPECT_EQ(id, "a?b?c");
}

TEST_F(NamingDialog, CloseBoxRecordsNothingAndTheNextShowIsEmpty) {
    dlgSignal dlg;
    KeystrokeSender keys;
    script({[&] { keys.sendKeys("first", false); }, [&] { click(dlg.window(), dlgSignal::kOKButton); }});
    std::string id;
    ASSERT_TRUE(dlg.showDialog(id));
    ASSERT_EQ(id, "first");

    // The close box neither sets nor clears okPressed; the text goes with the window.
    script({[&] { keys.sendKeys("second", false); },
            [&] { SendMessageW(dlg.window(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
    id = "caller";
    EXPECT_TRUE(dlg.showDialog(id));
    EXPECT_EQ(id, "");

    std::wstring shown = L"unset";
    script({[&] { shown = textOf(GetDlgItem(dlg.window(), dlgSignal::kText1)); },
            [&] { click(dlg.window(), dlgSignal::kCancelButton); }});
    EXPECT_FALSE(dlg.showDialog(id));
    EXPECT_EQ(shown, L"");
}

HWND windowTitled(const wchar_t* title) { return FindWindowW(nullptr, title); }

TEST_F(NamingDialog, InputBoxGivesTheTextOnOkAndEnterAndNothingOnCancelEscapeOrClose) {
    Prompts prompts;
    KeystrokeSender keys;
    const wchar_t* title = L"Welchen Com-Port wollen sie benutzen?";
    script({[&] { keys.sendKeys("12", false); }, [&] { keys.sendKeys("~", false); }});
    EXPECT_EQ(prompts.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?"), "12");
    script({[&] { keys.sendKeys("\xE4 3", false); },  // "ä 3" in Windows-1252 comes back as UTF-8
            [&] { click(windowTitled(title), IDOK); }});
    EXPECT_EQ(prompts.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?"), "\xC3\xA4 3");
    script({[&] { keys.sendKeys("4", false); }, [&] { keys.sendKeys("{ESC}", false); }});
    EXPECT_EQ(prompts.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?"), "");
    script({[&] { keys.sendKeys("5", false); }, [&] { click(windowTitled(title), IDCANCEL); }});
    EXPECT_EQ(prompts.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?"), "");
    script({[&] { keys.sendKeys("6", false); },
            [&] { SendMessageW(windowTitled(title), WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_EQ(prompts.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?"), "");
}

// A text box of its own that has the focus, for the keystroke sender.
class KeyTarget : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 450, 400, 120,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        box_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 5, 5,
                               370, 70, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window_);
        SetFocus(box_);
        settle(window_);
    }
    void TearDown() override { DestroyWindow(window_); }
    std::wstring typed(const std::wstring& want) {
        pumpUntil(nullptr, [&] { return textOf(box_) == want; });
        return textOf(box_);
    }
    HWND window_ = nullptr;
    HWND box_ = nullptr;
};

TEST_F(KeyTarget, CharactersNamedKeysGroupsAndRepeats) {
    KeystrokeSender keys;
    keys.sendKeys("\xE4\x80\x8A {+}+(ab)c{h 3}{LEFT 2}x~", false);
    EXPECT_EQ(typed(L"\u00E4\u20AC\u0160 +ABchx\r\nhh"), L"\u00E4\u20AC\u0160 +ABchx\r\nhh");
}

TEST_F(KeyTarget, ModifiersTheUserHoldsAreLetGoAndPressedAgain) {
    INPUT shift{};
    shift.type = INPUT_KEYBOARD;
    shift.ki.wVk = VK_LSHIFT;
    SendInput(1, &shift, sizeof shift);
    settle(window_);
    KeystrokeSender keys;
    keys.sendKeys("+a b", false);
    EXPECT_EQ(typed(L"A b"), L"A b");
    EXPECT_TRUE(GetAsyncKeyState(VK_LSHIFT) & 0x8000);
    shift.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &shift, sizeof shift);
    settle(window_);
}

TEST_F(KeyTarget, AFaultyDescriptionTypesNothing) {
    KeystrokeSender keys;
    EXPECT_THROW(keys.sendKeys("ab{NOSUCHKEY}", false), RuntimeError);
    keys.sendKeys("z", false);
    EXPECT_EQ(typed(L"z"), L"z");
}

}  // namespace
}  // namespace vostel::win32
