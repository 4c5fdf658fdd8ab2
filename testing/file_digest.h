// The SHA-256 of a file's bytes, as lowercase hex, for tests that compare
// transferred files with their sources.
//
// Thread rule: none; reads the file it is given.
#pragma once

#include <filesystem>
#include <string>

namespace ferrix::testing {

std::string sha256Of(const std::filesystem::path& path);

}  // namespace ferrix::testing
