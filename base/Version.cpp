// The build passes the project version as ZVONAR_VERSION to this file alone.
#include "base/Version.h"

namespace zvonar {

std::string VersionLine() {
  return std::string("Zvonar ") + ZVONAR_VERSION;
}

}  // namespace zvonar
