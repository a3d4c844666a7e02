#pragma once

#include <QString>

class QWidget;

namespace quorrel::platform {

enum class MsgBoxIcon { None, Information, Critical };

// The modal message and input boxes. Tests replace them, so that no box ever waits for a click.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box with one OK button; an empty title shows the application title.
    virtual void MsgBox(QWidget* parent, const QString& prompt, MsgBoxIcon icon,
                        const QString& title = QString()) = 0;

    // A modal box with an empty entry field; OK gives the text, Cancel an empty text.
    virtual QString InputBox(QWidget* parent, const QString& prompt, const QString& title) = 0;

    // A modal question with Yes and No; No is the default, and Esc or closing the box answers
    // No. True for Yes. An empty title shows the application title.
    virtual bool AskYesNo(QWidget* parent, const QString& prompt,
                          const QString& title = QString()) = 0;
};

class QtDialogs final : public Dialogs {
public:
    void MsgBox(QWidget* parent, const QString& prompt, MsgBoxIcon icon,
                const QString& title = QString()) override;
    QString InputBox(QWidget* parent, const QString& prompt, const QString& title) override;
    bool AskYesNo(QWidget* parent, const QString& prompt,
                  const QString& title = QString()) override;
};

}  // namespace quorrel::platform
