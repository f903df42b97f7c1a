#pragma once

class QApplication;

namespace zandro {

// One style and one font on every desktop, so that the fixed window sizes hold every text, and
// the program's icon on every window.
void applyAppearance(QApplication& app);

}  // namespace zandro
