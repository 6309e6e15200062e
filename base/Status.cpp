// Helpers for building Status messages.
#include "base/Status.h"

#include <cstring>

namespace zvonar {

std::string ErrnoText(int err) { return std::strerror(err); }

}  // namespace zvonar
