#include "ui/about/frmAbout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "engine/terms_of_use.h"
#include "ui/DisplayMode.h"
#include "ui/QtText.h"
#include "ui/Twips.h"

namespace lexaro {

frmAbout::frmAbout(QWidget* parent, QLineEdit* displayMode)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      displayMode_(displayMode) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Lexaro"));
    setFixedSize(Twips(5685), Twips(7605));
    if (parent != nullptr) {
        setFont(parent->font());
    }

    Label1 = new QLabel(tr("Lexaro for WinNT, Win9x, Win2000, WinXP"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsRect(240, 360, 5175, 375));
    QFont heading(QStringLiteral("MS Sans Serif"));
    heading.setPointSizeF(8.25);
    heading.setBold(true);
    Label1->setFont(heading);

    Label5 = new QLabel(tr("Version 1.01"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(TwipsRect(2760, 1680, 1215, 495));

    for (QLabel* label : {Label1, Label5}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    // Read-only, yet scrollable, selectable and copyable.
    Text2 = new QPlainTextEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(TwipsRect(120, 2160, 5415, 3615));
    const std::u16string_view terms = TermsOfUseText();
    Text2->setPlainText(ToQString(terms));
    Text2->setReadOnly(true);
    Text2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text2->setAccessibleName(tr("Terms of use"));

    // Default and cancel button at once: Enter presses it, and Esc closes the dialog the same way.
    cmdBack = new QPushButton(tr("&OK"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdBack->setGeometry(TwipsRect(1560, 7080, 2415, 375));
    cmdBack->setDefault(true);
    connect(cmdBack, &QPushButton::clicked, this, &frmAbout::cmdBack_Click);

    setTabOrder(cmdBack, Text2);
    cmdBack->setFocus();

    if (parent != nullptr) {
        move(parent->frameGeometry().center() - rect().center());
    }
}

void frmAbout::cmdBack_Click() {
    accept();
}

void frmAbout::Form_Unload() {
    if (displayMode_ != nullptr) {
        displayMode_->setText(kDisplayModeMain);
    }
}

void frmAbout::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

}  // namespace lexaro
