#include "ui/MessageBox.h"

#include <QMessageBox>

namespace lexaro {

namespace {

MessageBox::Observer& CurrentObserver() {
    static MessageBox::Observer instance;
    return instance;
}

}  // namespace

QString MessageBox::defaultTitle() {
    return QStringLiteral("prjLexaro");
}

void MessageBox::showOk(QWidget* parent, const QString& text, const QString& title, Icon icon,
                        const QString& informative) {
    const Message message{text, title.isEmpty() ? defaultTitle() : title, icon, informative};
    if (CurrentObserver()) {
        CurrentObserver()(message);
        return;
    }
    QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon, message.title,
                    message.text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (!informative.isEmpty()) {
        box.setInformativeText(informative);
    }
    box.exec();
}

void MessageBox::setObserver(Observer newObserver) {
    CurrentObserver() = std::move(newObserver);
}

}  // namespace lexaro
