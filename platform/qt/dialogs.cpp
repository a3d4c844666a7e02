#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace quorrel::platform {

namespace {

QMessageBox::Icon ToQt(MsgBoxIcon icon)
{
    switch (icon) {
        case MsgBoxIcon::Information:
            return QMessageBox::Information;
        case MsgBoxIcon::Critical:
            return QMessageBox::Critical;
        case MsgBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtDialogs::MsgBox(QWidget* parent, const QString& prompt, MsgBoxIcon icon,
                       const QString& title)
{
    QMessageBox box(ToQt(icon), title.isEmpty() ? QApplication::applicationName() : title, prompt,
                    QMessageBox::Ok, parent);
    box.exec();
}

QString QtDialogs::InputBox(QWidget* parent, const QString& prompt, const QString& title)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &accepted);
    return accepted ? text : QString();
}

bool QtDialogs::AskYesNo(QWidget* parent, const QString& prompt, const QString& title)
{
    QMessageBox box(QMessageBox::Question,
                    title.isEmpty() ? QApplication::applicationName() : title, prompt,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace quorrel::platform
