#pragma once
// dlgSignal: the modal dialog in which the user names a packet being recorded.
#include <QDialog>
#include <memory>
#include <string>

#include "library/naming_prompt.h"

class QLineEdit;
class QPushButton;

namespace vostel::qt {

class dlgSignalForm;

class dlgSignal final : public NamingPrompt {
public:
    dlgSignal();
    ~dlgSignal() override;
    dlgSignal(const dlgSignal&) = delete;
    dlgSignal& operator=(const dlgSignal&) = delete;

    // Shows the dialog modally, creating it if needed. Returns okPressed; when
    // it is true, sets retString to the text of Text1 in Windows-1252 ('?' for
    // characters the code page lacks).
    bool showDialog(std::string& retString) override;

    bool okPressed() const { return okPressed_; }
    // The dialog window while it exists: created on first use, only hidden by
    // OK and Cancel, discarded by the close box.
    QDialog* window() const;

private:
    dlgSignalForm& form();

    std::unique_ptr<dlgSignalForm> form_;
    bool okPressed_ = false;
};

// The window itself: Text1, OKButton and CancelButton.
class dlgSignalForm : public QDialog {
    Q_OBJECT
public:
    explicit dlgSignalForm(bool& okPressed);

    QLineEdit* Text1;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // Set when the user closed the window with its close box.
    bool closedByUser = false;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OKButton_Click();
    void CancelButton_Click();

    bool& okPressed_;
};

}  // namespace vostel::qt
