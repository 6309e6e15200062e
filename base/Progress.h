// Progress of a long operation over the table or a bill: the operation calls
// it with its position and total (records or lines); the window shows it on
// the splash, the command-line tool ignores it.
#pragma once

#include <cstdint>
#include <functional>

namespace zvonar {

using ProgressFn = std::function<void(int64_t position, int64_t total)>;

}  // namespace zvonar
