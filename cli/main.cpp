// Program entry of zvonar-cli.
#include <iostream>

#include "cli/Cli.h"

int main(int argc, char* argv[]) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return zvonar::RunCli(args, std::cout, std::cerr);
}
