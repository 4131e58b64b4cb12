// A focused line edit for the keystroke tests. Whenever its state changes it
// rewrites the file named by its argument with "<generation> <enters>\n<text>".
// Keys that type no text (media keys, ...) are added to that name plus
// ".keys", one keysym a line ("0x1008ff13"). A line "clear" on standard input
// empties both and raises the generation; the file is written for the first
// time once the window has the input focus.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

namespace {

// Notes the keysym of every key that types no text and is no modifier.
class Edit : public QLineEdit {
public:
    explicit Edit(QString keysFile) : keysFile_(std::move(keysFile)) {}
    void forgetKeys() { QFile(keysFile_).remove(); }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const bool modifier = e->key() == Qt::Key_Shift || e->key() == Qt::Key_Control ||
                              e->key() == Qt::Key_Alt || e->key() == Qt::Key_Meta;
        if (e->text().isEmpty() && !modifier) {
            QFile file(keysFile_);
            if (file.open(QIODevice::Append))
                file.write("0x" + QByteArray::number(e->nativeVirtualKey(), 16) + '\n');
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    QString keysFile_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    Edit edit(out + QStringLiteral(".keys"));
    edit.setWindowTitle(QStringLiteral("vostel-keytarget"));
    edit.setGeometry(0, 0, 400, 40);
    int generation = 0;
    int enters = 0;
    bool ready = false;

    auto write = [&] {
        if (!ready) return;
        QSaveFile file(out);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(QByteArray::number(generation) + ' ' + QByteArray::number(enters) + '\n' +
                   edit.text().toUtf8());
        file.commit();
    };
    QObject::connect(&edit, &QLineEdit::textChanged, write);
    QObject::connect(&edit, &QLineEdit::returnPressed, [&] {
        ++enters;
        write();
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buf[256];
        ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            QApplication::quit();
            return;
        }
        pending.append(buf, static_cast<int>(n));
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            if (pending.left(nl) == "clear") {
                edit.clear();
                edit.forgetKeys();
                enters = 0;
                ++generation;
                write();
            }
            pending.remove(0, nl + 1);
        }
    });

    edit.show();
    edit.activateWindow();
    QTimer focusWatch;
    QObject::connect(&focusWatch, &QTimer::timeout, [&] {
        if (edit.isActiveWindow() && edit.hasFocus()) {
            ready = true;
            write();
            focusWatch.stop();
        } else {
            edit.activateWindow();
        }
    });
    focusWatch.start(20);
    return app.exec();
}
