#pragma once
// One-button messages of the program, behind a seam so tests can answer them without a person.

#include <QString>
#include <functional>

class QWidget;

namespace lexaro {

class MessageBox {
public:
    enum class Icon { None, Stop };

    struct Message {
        QString text;
        QString title;
        Icon icon;
        QString informative;  // a second line under the text, such as the reason for a failure
    };

    // The title a message carries when it is given none.
    [[nodiscard]] static QString defaultTitle();

    // Shows `text` modally with a single OK button and returns once it is closed. An empty title
    // gives defaultTitle(); a non-empty `informative` text is shown under the text. The main
    // window's timer goes on ticking while the box is open.
    static void showOk(QWidget* parent, const QString& text, const QString& title = QString(),
                       Icon icon = Icon::None, const QString& informative = QString());

    // While an observer is set, showOk hands it the message and returns at once, as if OK had
    // been pressed. Pass an empty function to show real boxes again.
    using Observer = std::function<void(const Message&)>;
    static void setObserver(Observer observer);
};

}  // namespace lexaro
