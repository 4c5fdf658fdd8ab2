// A fresh folder for one test, under the temporary folder, removed with
// everything in it when the test ends; small helpers to put files in it and
// read them back byte for byte.
// Thread rule: one test, one thread.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace ferrix::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = platform::joinPath(platform::tempFolder(), "ferrix-test-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("no scratch folder");
    path_ = name.data();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return platform::joinPath(path_, name); }

  // Creates the folder (and its parents) and returns its path.
  std::string makeFolder(const std::string& name) const {
    std::filesystem::create_directories(*this / name);
    return *this / name;
  }

  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream out(*this / name, std::ios::binary | std::ios::trunc);
    out << content;
    return *this / name;
  }

  std::string read(const std::string& name) const {
    std::ifstream in(*this / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::vector<std::string> list(const std::string& folder = ".") const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(*this / folder)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::string path_;
};

}  // namespace ferrix::testing
