#include "about/frm_about.h"

namespace quorrel {

frmAbout::frmAbout(Services& /*services*/, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("About Quorrel");
}

}  // namespace quorrel
