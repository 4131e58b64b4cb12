#include "qt/dlg_signal.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <limits>

#include "library/storable_text.h"
#include "qt/controls.h"
#include "runtime/cp1252.h"

namespace vostel::qt {

namespace {

// The text as the library stores it: every character that Windows-1252
// cannot hold becomes '?' as soon as it is typed or pasted.
class Cp1252Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const std::u16string typed = input.toStdU16String();
        const StorableText stored = storableText(typed, static_cast<std::size_t>(pos));
        if (stored.text != typed) {
            input = QString::fromStdU16String(stored.text);
            pos = static_cast<int>(stored.cursor);
        }
        return Acceptable;
    }
};

}  // namespace

dlgSignalForm::dlgSignalForm(bool& okPressed)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      okPressed_(okPressed) {
    setModal(true);
    const WindowLayout& layout = dlgSignalLayout();
    const std::vector<QWidget*> controls = buildControls(*this, layout);
    Text1 = static_cast<QLineEdit*>(controls[tabIndex(SignalControl::Text1)]);
    OKButton = static_cast<QPushButton*>(controls[tabIndex(SignalControl::OKButton)]);
    CancelButton = static_cast<QPushButton*>(controls[tabIndex(SignalControl::CancelButton)]);
    // No length limit (a line edit cuts at 32767 characters by default): the
    // library refuses an ID beyond its own limit with a message instead.
    Text1->setMaxLength(std::numeric_limits<int>::max());
    Text1->setValidator(new Cp1252Validator(Text1));
    connect(OKButton, &QPushButton::clicked, this, &dlgSignalForm::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &dlgSignalForm::CancelButton_Click);

    // The client area has a fixed size and a fixed place on the screen.
    setGeometry(toQRect(layout.client));
    setFixedSize(toQRect(layout.client).size());
}

void dlgSignalForm::OKButton_Click() {
    okPressed_ = true;
    hide();
}

void dlgSignalForm::CancelButton_Click() {
    okPressed_ = false;
    hide();
}

void dlgSignalForm::showEvent(QShowEvent* event) {
    // QDialog makes its push buttons default buttons when it is shown; neither
    // button may be pressed by Enter.
    for (QPushButton* button : {OKButton, CancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    QDialog::showEvent(event);
    // Typing goes to the text box at once, also when the dialog is shown
    // again after OK: the ID offered is selected, so a new one replaces it.
    activateWindow();
    Text1->setFocus();
    Text1->selectAll();
}

void dlgSignalForm::keyPressEvent(QKeyEvent* event) {
    // Escape does not cancel and Enter does not confirm: only the buttons close the dialog.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void dlgSignalForm::closeEvent(QCloseEvent* event) {
    closedByUser = true;
    QDialog::closeEvent(event);
}

dlgSignal::dlgSignal() = default;
dlgSignal::~dlgSignal() = default;

QDialog* dlgSignal::window() const { return form_.get(); }

dlgSignalForm& dlgSignal::form() {
    if (!form_) form_ = std::make_unique<dlgSignalForm>(okPressed_);
    return *form_;
}

bool dlgSignal::showDialog(std::string& retString) {
    form().exec();
    if (form_->closedByUser) {
        // The close box discards the window and its text; a fresh, empty one
        // stands in its place, not shown.
        form_.reset();
        form();
    }
    if (okPressed_) retString = utf8ToCp1252(form_->Text1->text().toStdString());
    return okPressed_;
}

}  // namespace vostel::qt
