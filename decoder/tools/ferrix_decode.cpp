// ferrix-decode: decodes FTP folder listings from files or standard input.
#include <iostream>
#include <string>
#include <vector>

#include "decoder/tools/decode_tool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return ferrix::tools::RunDecodeTool(arguments, std::cin, std::cout, std::cerr);
}
