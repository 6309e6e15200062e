// The help texts of zvonar-cli: the command list, one command's usage with
// its options, and the whole text the manual page is generated from.
#pragma once

#include <ostream>
#include <string_view>
#include <vector>

namespace zvonar {

// The names of the commands, in the order the help lists them.
std::vector<std::string_view> HelpCommandNames();

// The usage lines, the description and the command list ("help").
void PrintOverview(std::ostream& os);

// The usage and options of one command ("help COMMAND"). False when there is
// no such command.
bool PrintCommandHelp(std::string_view name, std::ostream& os);

// The overview, every command in detail, the criteria, the exit status and
// where the files live ("--help"; the manual page is made from it).
void PrintFullHelp(std::ostream& os);

// "usage: zvonar-cli [--dir DIR] SYNOPSIS" of the command and where to
// find its options, after a usage error in its arguments.
void PrintCommandUsage(std::string_view name, std::ostream& os);

}  // namespace zvonar
