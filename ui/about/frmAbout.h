#pragma once
// frmAbout: the product line, the version and the terms of use, in a small modal tool window.
// It is created for each showing and destroyed when it closes; OK, Enter, Esc and the close box
// all close it.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lexaro {

class frmAbout : public QDialog {
    Q_OBJECT

public:
    // `displayMode` is the main window's display mode box, set to "Main" when this window unloads.
    frmAbout(QWidget* parent, QLineEdit* displayMode);

public slots:
    void cmdBack_Click();
    void Form_Unload();

    // Every way of closing ends here.
    void done(int result) override;

private:
    QLabel* Label1;
    QLabel* Label5;
    QPlainTextEdit* Text2;
    QPushButton* cmdBack;
    QLineEdit* displayMode_;
};

}  // namespace lexaro
