#include "settings/frm_options.h"

#include "app/frm_main.h"

namespace quorrel {

frmOptions::frmOptions(Module1& /*state*/, frmMain& main, Services& /*services*/) : QDialog(&main)
{
    setWindowTitle("Options");
}

}  // namespace quorrel
