#include "ui/Busy.h"

#include <QApplication>
#include <QCursor>

namespace zvonar {

void SetBusyCursor(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (QApplication::overrideCursor() != nullptr) {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace zvonar
