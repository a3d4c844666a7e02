#include "restore/frm_load.h"

namespace quorrel {

frmLoad::frmLoad(Module1& /*state*/, Services& /*services*/, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Load Game");
}

}  // namespace quorrel
