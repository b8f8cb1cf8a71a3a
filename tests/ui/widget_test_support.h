#pragma once
// Helpers for window tests: find controls by their design names, press keys as a user would.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace lexaro::test {

// Runs `body` on the modal window that `open` opens, inside that window's event loop, then closes
// the window if `body` left it open: a failing check fails the test, it never leaves a modal loop
// waiting for ever. False if `open` opened no modal window of that kind.
template <typename Window>
bool WhileModal(const std::function<void()>& open, const std::function<void(Window&)>& body) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* opened = qobject_cast<Window*>(modal)) {
            body(*opened);
            ran = true;
        }
        if (modal != nullptr && modal->isVisible()) {
            modal->close();
        }
    });
    open();
    return ran;
}

template <typename T>
T* Child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << "no child named " << name;
    return found;
}

// Delivers a key press to `target` through the application, so window-level key handling sees it
// exactly as it sees a real key.
inline void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

inline std::string Str(const QString& s) {
    return s.toStdString();
}

// Runs the event loop until `done()` holds or `seconds` pass; whether it came to hold. For work
// that finishes off the window thread, such as a load; never a measure of time.
template <typename Condition>
bool SpinUntil(Condition done, int seconds = 60) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > seconds * 1000LL) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace lexaro::test

#include <QColor>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <vector>

#include "engine/palette.h"
#include "ui/MessageBox.h"

namespace lexaro::test {

// The QColor of a palette index.
inline QColor PaletteColor(int index) {
    const Rgb rgb = PaletteColour(index);
    return {rgb.red, rgb.green, rgb.blue};
}

// A left click at (5, 5) inside `target`, press and release, delivered through the application.
inline void Click(QWidget* target) {
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// The main window's transport state as five flags: Start, Pause and Stop enabled, timer running,
// text box locked ("10000" is Idle, "01111" Reading, "10101" Paused or Ended).
inline std::string TransportState(const QObject& window) {
    const auto flag = [&window](const char* name, const char* property) {
        const QObject* child = window.findChild<QObject*>(QLatin1String(name));
        return child != nullptr && child->property(property).toBool() ? '1' : '0';
    };
    return {flag("cmdStart", "enabled"), flag("cmdPause", "enabled"), flag("cmdStop", "enabled"),
            flag("tmrMoveNext", "active"), flag("txtInputText", "readOnly")};
}

// Writes `bytes` to a new file `name` in `dir` and returns its path.
inline QString WriteFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QLatin1String(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// Answers every message box with OK while it lives, keeping what each would have shown.
class MessageRecorder {
public:
    MessageRecorder() {
        MessageBox::setObserver([this](const MessageBox::Message& m) { messages.push_back(m); });
    }
    ~MessageRecorder() { MessageBox::setObserver({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<MessageBox::Message> messages;
};

}  // namespace lexaro::test
