#pragma once

class QWidget;

namespace quorrel {

// Brings back a window that was minimised and then hidden: shown in its normal state (neither
// minimised nor maximised), raised and activated, the same way every time, whatever the window
// system made of the minimising in between.
void ShowWithdrawnWindow(QWidget& window);

}  // namespace quorrel
