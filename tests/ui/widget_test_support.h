#pragma once
// Helpers for window tests: find controls by their design names, press keys as a user would.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <string>

namespace lexaro::test {

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

}  // namespace lexaro::test

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "ui/MessageBox.h"

namespace lexaro::test {

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
