#pragma once
// The layout of the two windows, main window and naming dialog, as both
// desktop shells build them: each control's place in twips, its caption and
// tool tip (UTF-8), and the Tab order. Also where the input box goes.
#include <cstddef>
#include <span>
#include <string_view>

#include "runtime/twips.h"

namespace vostel {

// A place and size in twips, relative to the parent's client area.
struct TwipsRect {
    int left, top, width, height;
};

// A place and size in pixels.
struct PixelRect {
    int left, top, width, height;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

constexpr PixelRect toPixels(TwipsRect r) {
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height)};
}

enum class ControlKind {
    PictureArea,     // the drawing area of the display
    MultiLineText,   // text box of several lines, horizontal scroll bar only, lines do not wrap
    SingleLineText,  // text box of one line
    PushButton,
};

struct ControlLayout {
    std::string_view name;  // the control's name, as the handlers know it
    ControlKind kind;
    TwipsRect place;
    std::string_view caption;  // a button's text; empty for the others
    std::string_view toolTip;  // empty when the control has none
};

struct WindowLayout {
    std::string_view caption;
    // The client area. Its left and top (on the screen) count only for a
    // window with a fixed place; otherwise the system places it.
    TwipsRect client;
    bool fixedPlace;
    std::span<const ControlLayout> controls;  // in Tab order

    template <class Control>
    const ControlLayout& operator[](Control control) const;
};

// The controls of each window, numbered in Tab order.
enum class MainControl { picMain, txt1, butRec, btnLoadIRData };
enum class SignalControl { Text1, OKButton, CancelButton };

// A control's place in its window's Tab order.
template <class Control>
constexpr std::size_t tabIndex(Control control) {
    return static_cast<std::size_t>(control);
}

template <class Control>
const ControlLayout& WindowLayout::operator[](Control control) const {
    return controls[tabIndex(control)];
}

const WindowLayout& frmMainLayout();
const WindowLayout& dlgSignalLayout();

// Interval of the main window's timer Timer1, which runs the receive cycle.
constexpr int kTimer1IntervalMs = 100;

// Where an input box of `width` x `height` pixels goes on a screen whose work
// area (the screen less its task bars) is `workArea`: centred horizontally,
// a third of the free height down.
PixelRect inputBoxPlace(PixelRect workArea, int width, int height);

}  // namespace vostel
