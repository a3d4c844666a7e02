#pragma once

#include <QDialog>

#include "app/module1.h"
#include "app/services.h"

namespace quorrel {

// The restore dialog: copies a chosen snapshot folder back into the save folder.
class frmLoad final : public QDialog {
    Q_OBJECT
public:
    frmLoad(Module1& state, Services& services, QWidget* parent);
};

}  // namespace quorrel
