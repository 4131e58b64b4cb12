#include "qt/prompts.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "app/layout.h"

namespace vostel::qt {

namespace {

QString qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

std::string Prompts::inputBox(std::string_view prompt, std::string_view title) {
    QInputDialog box;
    box.setWindowTitle(qs(title));
    box.setLabelText(qs(prompt));
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(QString());
    // Plain buttons, as the classic box has.
    for (QPushButton* button : box.findChildren<QPushButton*>()) button->setIcon(QIcon());
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const PixelRect place =
            inputBoxPlace({area.x(), area.y(), area.width(), area.height()}, box.width(), box.height());
        box.move(place.left, place.top);
    }
    if (box.exec() != QDialog::Accepted) return {};
    return box.textValue().toStdString();
}

void Prompts::msgBox(std::string_view text, int style, std::string_view title) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
        case 16:
            icon = QMessageBox::Critical;
            break;
        case 32:
            icon = QMessageBox::Question;
            break;
        case 48:
            icon = QMessageBox::Warning;
            break;
        case 64:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QMessageBox box(icon, qs(title), qs(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace vostel::qt
