// The layout both shells build their windows from: places, Tab order and
// texts, byte for byte.
#include "app/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vostel {
namespace {

std::vector<std::string> tabOrder(const WindowLayout& layout) {
    std::vector<std::string> names;
    for (const ControlLayout& control : layout.controls) names.emplace_back(control.name);
    return names;
}

TEST(Layout, TwipsToWholePixels) {
    EXPECT_EQ(twipsToPixels(0), 0);
    EXPECT_EQ(twipsToPixels(7), 0);  // 0.47 pixels
    EXPECT_EQ(twipsToPixels(8), 1);  // 0.53 pixels
    EXPECT_EQ(twipsToPixels(15), 1);
    EXPECT_EQ(twipsToPixels(372), 25);  // 24.8 pixels
    EXPECT_EQ(twipsToPixels(10095), 673);
    EXPECT_EQ((toPixels({1200, 120, 10095, 5535})), (PixelRect{80, 8, 673, 369}));
}

TEST(Layout, MainWindow) {
    const WindowLayout& w = frmMainLayout();
    EXPECT_EQ(w.caption, "Vostel");
    EXPECT_FALSE(w.fixedPlace);  // the system places it
    EXPECT_EQ(toPixels(w.client).width, 758);
    EXPECT_EQ(toPixels(w.client).height, 382);
    EXPECT_EQ(tabOrder(w), (std::vector<std::string>{"picMain", "txt1", "butRec", "btnLoadIRData"}));
    EXPECT_EQ(w[MainControl::picMain].kind, ControlKind::PictureArea);
    EXPECT_EQ(w[MainControl::txt1].kind, ControlKind::MultiLineText);
    EXPECT_EQ(w[MainControl::butRec].kind, ControlKind::PushButton);
    EXPECT_EQ(w[MainControl::btnLoadIRData].kind, ControlKind::PushButton);
    EXPECT_EQ(toPixels(w[MainControl::picMain].place), (PixelRect{80, 8, 673, 369}));
    EXPECT_EQ(toPixels(w[MainControl::txt1].place), (PixelRect{0, 72, 73, 305}));
    EXPECT_EQ(toPixels(w[MainControl::butRec].place), (PixelRect{0, 40, 73, 25}));
    EXPECT_EQ(toPixels(w[MainControl::btnLoadIRData].place), (PixelRect{0, 8, 73, 25}));
    EXPECT_EQ(w[MainControl::butRec].place.height, 372);  // not 375 like LoadIRData
    EXPECT_EQ(w[MainControl::btnLoadIRData].place.height, 375);

    EXPECT_EQ(w[MainControl::butRec].caption, "Record");
    EXPECT_EQ(w[MainControl::btnLoadIRData].caption, "LoadIRData");
    EXPECT_EQ(w[MainControl::butRec].toolTip,
              "Dr\xC3\xBC"
              "cke eine Taste auf der Fernbedienung, halte sie einwenig, damit du siehst, ob die Daten "
              "korrekt ankommen, und dr\xC3\xBC"
              "cke dann Record");
    for (MainControl c : {MainControl::picMain, MainControl::txt1, MainControl::btnLoadIRData})
        EXPECT_TRUE(w[c].toolTip.empty()) << w[c].name;
    EXPECT_TRUE(w[MainControl::picMain].caption.empty());
    EXPECT_TRUE(w[MainControl::txt1].caption.empty());  // the log starts empty
}

TEST(Layout, NamingDialog) {
    const WindowLayout& w = dlgSignalLayout();
    EXPECT_EQ(w.caption, "Enter ID for Signal-Packet");
    EXPECT_TRUE(w.fixedPlace);
    EXPECT_EQ(toPixels(w.client), (PixelRect{184, 250, 187, 72}));
    EXPECT_EQ(tabOrder(w), (std::vector<std::string>{"Text1", "OKButton", "CancelButton"}));
    EXPECT_EQ(w[SignalControl::Text1].kind, ControlKind::SingleLineText);
    EXPECT_EQ(toPixels(w[SignalControl::Text1].place), (PixelRect{8, 8, 169, 25}));
    EXPECT_EQ(toPixels(w[SignalControl::OKButton].place), (PixelRect{8, 40, 81, 25}));
    EXPECT_EQ(toPixels(w[SignalControl::CancelButton].place), (PixelRect{96, 40, 81, 25}));

    EXPECT_TRUE(w[SignalControl::Text1].caption.empty());  // empty when created
    EXPECT_EQ(w[SignalControl::Text1].toolTip,
              "Gib hier einen knappen Text als ID f\xC3\xBCr dieses Signal an");
    EXPECT_EQ(w[SignalControl::OKButton].caption, "OK");
    EXPECT_EQ(w[SignalControl::CancelButton].caption, "Cancel");
    EXPECT_TRUE(w[SignalControl::OKButton].toolTip.empty());
    EXPECT_TRUE(w[SignalControl::CancelButton].toolTip.empty());
}

TEST(Layout, InputBoxIsCentredAThirdDown) {
    // A work area that starts beside a task bar on the left and one at the top.
    EXPECT_EQ(inputBoxPlace({48, 30, 1872, 1050}, 361, 120), (PixelRect{803, 340, 361, 120}));
    EXPECT_EQ(inputBoxPlace({0, 0, 1024, 768}, 360, 121), (PixelRect{332, 215, 360, 121}));
    // A box larger than the screen sticks out on every side alike.
    EXPECT_EQ(inputBoxPlace({0, 0, 300, 200}, 400, 260), (PixelRect{-50, -20, 400, 260}));
}

}  // namespace
}  // namespace vostel
