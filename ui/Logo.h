// The program's logo, drawn in code: a green disc with a purple handset and
// three sound arcs. Used by the splash, the main window and the About box.
#pragma once

#include <QPixmap>

namespace zvonar {

QPixmap ZvonarLogo(int size);

}  // namespace zvonar
