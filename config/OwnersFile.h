// Tellura.dat: the owners list, one owner number per line, the item list of
// the owner box.
#pragma once

#include <string>
#include <vector>

#include "base/Status.h"

namespace zvonar {

// The owners as the file holds them; a missing file gives none.
Status ReadOwnersFile(const std::string& path, std::vector<std::string>* owners);

// Writes the owners; an empty list leaves the file as it is.
Status WriteOwnersFile(const std::string& path, const std::vector<std::string>& owners);

}  // namespace zvonar
