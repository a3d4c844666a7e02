#pragma once

#include <QDialog>

#include "app/services.h"

namespace quorrel {

// The About box.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    frmAbout(Services& services, QWidget* parent);
};

}  // namespace quorrel
