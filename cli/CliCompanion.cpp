// The helper programs zvonar-cli runs for the few commands that need shared
// libraries: it is itself linked statically so that small commands start
// fast, and such libraries cannot be loaded into it.
#include <unistd.h>

#include <filesystem>

#include "cli/CliCommand.h"

namespace zvonar {

Status FindCompanionProgram(const std::string& name, std::string* path) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return Status::Error(StatusKind::Io, "cannot find the program's own file: " + error.message());
  const std::filesystem::path places[] = {program.parent_path() / name,
                                          program.parent_path() / ZVONAR_COMPANION_DIR / name};
  for (const std::filesystem::path& place : places) {
    if (::access(place.c_str(), X_OK) != 0) continue;
    *path = place.string();
    return Status::Ok();
  }
  return Status::Error(StatusKind::Io, "the helper program " + name + " is neither in " +
                                           places[0].parent_path().string() + " nor in " +
                                           places[1].parent_path().lexically_normal().string());
}

}  // namespace zvonar
