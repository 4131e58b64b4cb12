#include "qt/controls.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "qt/picture_box.h"

namespace vostel::qt {

namespace {

QString qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QWidget* create(QWidget& window, const ControlLayout& control) {
    switch (control.kind) {
        case ControlKind::PictureArea: {
            const PixelRect r = toPixels(control.place);
            return new PictureBox(r.width, r.height, &window);
        }
        case ControlKind::MultiLineText: {
            auto* text = new QPlainTextEdit(&window);
            text->setLineWrapMode(QPlainTextEdit::NoWrap);
            text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return text;
        }
        case ControlKind::SingleLineText:
            return new QLineEdit(&window);
        case ControlKind::PushButton:
            return new QPushButton(qs(control.caption), &window);
    }
    return nullptr;
}

}  // namespace

std::vector<QWidget*> buildControls(QWidget& window, const WindowLayout& layout) {
    window.setWindowTitle(qs(layout.caption));
    std::vector<QWidget*> controls;
    for (const ControlLayout& control : layout.controls) {
        QWidget* widget = create(window, control);
        widget->setObjectName(qs(control.name));
        widget->setGeometry(toQRect(control.place));
        if (!control.toolTip.empty()) widget->setToolTip(qs(control.toolTip));
        if (!controls.empty()) QWidget::setTabOrder(controls.back(), widget);
        controls.push_back(widget);
    }
    if (!controls.empty()) controls.front()->setFocus();
    return controls;
}

}  // namespace vostel::qt
