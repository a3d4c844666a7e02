#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace quorrel::test {

// Runs `act` on the modal dialog that the next call opens with exec(), once its event loop runs,
// as a player would act on it. A dialog that `act` leaves open is cancelled, so that no test
// ever waits on it.
inline void OnNextModal(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            act(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        }
    });
}

}  // namespace quorrel::test
