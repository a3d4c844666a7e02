#pragma once

#include <QDialog>

#include "app/module1.h"
#include "app/services.h"

namespace quorrel {

class frmMain;

// The options dialog: the save folder, the snapshot folder and the refresh time.
class frmOptions final : public QDialog {
    Q_OBJECT
public:
    frmOptions(Module1& state, frmMain& main, Services& services);
};

}  // namespace quorrel
