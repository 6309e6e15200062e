// The program's version, as both programs print it for --version. The build
// sets it from the project version, so it is written in one place only.
#pragma once

#include <string>

namespace zvonar {

// "Zvonar X.Y.Z".
std::string VersionLine();

}  // namespace zvonar
