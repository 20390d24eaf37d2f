// What the table's other event procedures use of the toolbar.
#pragma once

namespace mj {

class MainForm;

// Gives every toolbar button that shows its hover picture its normal
// picture again.
void RestToolbarButtons(MainForm& table);

} // namespace mj
