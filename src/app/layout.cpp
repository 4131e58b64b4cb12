#include "app/layout.h"

namespace vostel {

namespace {

constexpr std::string_view kButRecTip =
    "Drücke eine Taste auf der Fernbedienung, halte sie einwenig, damit du siehst, ob die Daten korrekt "
    "ankommen, und drücke dann Record";
constexpr std::string_view kText1Tip = "Gib hier einen knappen Text als ID für dieses Signal an";

constexpr ControlLayout kMainControls[] = {
    {"picMain", ControlKind::PictureArea, {1200, 120, 10095, 5535}, "", ""},
    {"txt1", ControlKind::MultiLineText, {0, 1080, 1095, 4575}, "", ""},
    // 372 twips high, not 375 like the other button.
    {"butRec", ControlKind::PushButton, {0, 600, 1095, 372}, "Record", kButRecTip},
    {"btnLoadIRData", ControlKind::PushButton, {0, 120, 1095, 375}, "LoadIRData", ""},
};

constexpr ControlLayout kSignalControls[] = {
    {"Text1", ControlKind::SingleLineText, {120, 120, 2535, 375}, "", kText1Tip},
    {"OKButton", ControlKind::PushButton, {120, 600, 1215, 375}, "OK", ""},
    {"CancelButton", ControlKind::PushButton, {1440, 600, 1215, 375}, "Cancel", ""},
};

const WindowLayout kMain{"Vostel", {0, 0, 11370, 5730}, false, kMainControls};
// The dialog's client area has a fixed place on the screen, not tied to the main window.
const WindowLayout kSignal{"Enter ID for Signal-Packet", {2760, 3750, 2805, 1080}, true, kSignalControls};

}  // namespace

const WindowLayout& frmMainLayout() { return kMain; }
const WindowLayout& dlgSignalLayout() { return kSignal; }

PixelRect inputBoxPlace(PixelRect workArea, int width, int height) {
    return {workArea.left + (workArea.width - width) / 2, workArea.top + (workArea.height - height) / 3,
            width, height};
}

}  // namespace vostel
