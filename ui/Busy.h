// The hourglass cursor of long commands, and the guard through which every
// menu and button handler runs, so that no exception reaches the event loop.
#pragma once

#include <QObject>
#include <exception>
#include <functional>

#include "ui/Prompts.h"

namespace zvonar {

// Sets the program-wide cursor to the hourglass when `busy`, else back to
// the normal cursor.
void SetBusyCursor(bool busy);

// The hourglass for the life of the scope, restored on every path out.
class BusyCursorScope {
 public:
  BusyCursorScope() { SetBusyCursor(true); }
  ~BusyCursorScope() { SetBusyCursor(false); }
  BusyCursorScope(const BusyCursorScope&) = delete;
  BusyCursorScope& operator=(const BusyCursorScope&) = delete;
};

// Wraps a handler: a std::exception that escapes it ends only the command
// and is shown in one error box.
template <typename Object>
std::function<void()> Guarded(Object* object, void (Object::*handler)(), Prompts* prompts) {
  return [object, handler, prompts] {
    try {
      (object->*handler)();
    } catch (const std::exception& e) {
      prompts->ShowError(QString::fromLocal8Bit(e.what()));
    }
  };
}

}  // namespace zvonar
