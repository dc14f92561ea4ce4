// The main window of Quire.
#include "Main.h"

namespace quire {

Main::Main(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Main");
    setWindowTitle(QStringLiteral("  Q.U.I.R.E. %1.%2.0.%3")
                       .arg(QUIRE_VERSION_MAJOR)
                       .arg(QUIRE_VERSION_MINOR)
                       .arg(QUIRE_VERSION_REVISION));
    // 10810 x 6660 twips at 15 twips to the pixel.
    resize(10810 / 15, 6660 / 15);
}

} // namespace quire
