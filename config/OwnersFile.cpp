// Reading and writing of the owners list.
#include "config/OwnersFile.h"

#include "base/TextFile.h"

namespace zvonar {

Status ReadOwnersFile(const std::string& path, std::vector<std::string>* owners) {
  return ReadTextLinesIfExists(path, owners, kSettingsFileLimit);
}

Status WriteOwnersFile(const std::string& path, const std::vector<std::string>& owners) {
  if (owners.empty()) return Status::Ok();
  return WriteTextLines(path, owners);
}

}  // namespace zvonar
