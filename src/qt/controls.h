#pragma once
// A window's controls built with Qt widgets from the layout both shells share.
#include <QRect>
#include <QWidget>
#include <vector>

#include "app/layout.h"

namespace vostel::qt {

inline QRect toQRect(TwipsRect twips) {
    const PixelRect r = toPixels(twips);
    return {r.left, r.top, r.width, r.height};
}

// Creates the controls of `layout` in `window`, each at its place with its
// name, caption and tool tip, chained in Tab order; the first has the focus.
// Sets the window's title. Returns the controls in Tab order.
std::vector<QWidget*> buildControls(QWidget& window, const WindowLayout& layout);

}  // namespace vostel::qt
