// "Unit serial" on the menu bar, at its right end with the pager commands: the serial on
// the label of the pager to be written, typed or scanned (a barcode scanner types it and
// ends it with Enter, which starts the write with it).
#pragma once

#include <QLineEdit>
#include <QMenuBar>
#include <functional>

namespace pagerprog::gui {

// Puts the entry on the bar; `enter` runs when Enter is pressed in it.
QLineEdit* addUnitSerialEntry(QMenuBar& bar, const std::function<void()>& enter);

}  // namespace pagerprog::gui
