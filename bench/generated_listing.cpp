#include "bench/generated_listing.h"

#include <cstdio>

namespace ferrix::bench {

namespace {

constexpr std::uint64_t kFourGiB = 4294967296ull;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWords[] = {"report", "backup", "index", "Old Stuff", "photo",  "release",
                              "README", "data",   "notes", "my files",  "x",      "archive"};
const char* const kExtensions[] = {".txt", ".tar.gz", ".iso", "", ".html", ".c", ".JPG"};

std::string Format(const char* format, auto... values) {
  char line[600];
  std::snprintf(line, sizeof line, format, values...);
  return line;
}

}  // namespace

int ListingGenerator::Pick(int count) {
  return std::uniform_int_distribution<int>(0, count - 1)(random_);
}

std::string ListingGenerator::Name(bool spaces) {
  std::string name = kWords[Pick(12)];
  if (!spaces) {
    for (char& c : name) c = c == ' ' ? '_' : c;
  }
  name.append("-").append(std::to_string(Pick(100000))).append(kExtensions[Pick(7)]);
  return name;
}

std::uint64_t ListingGenerator::Size() {
  if (Pick(20) == 0) return kFourGiB + static_cast<std::uint64_t>(Pick(1 << 30)) * 7;
  return static_cast<std::uint64_t>(Pick(1 << 20)) * static_cast<std::uint64_t>(1 + Pick(40));
}

std::vector<std::string> UnixListing(int lines, std::uint32_t seed) {
  ListingGenerator generate(seed);
  std::vector<std::string> listing;
  listing.reserve(static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) {
    int kind = generate.Pick(10);  // 0-1 folder, 2 link, else file
    const char* permissions = kind < 2 ? "drwxr-xr-x" : kind == 2 ? "lrwxrwxrwx" : "-rw-r--r--";
    std::string when = generate.Pick(3) == 0
                           ? Format("%02d:%02d", generate.Pick(24), generate.Pick(60))
                           : Format(" %d", 1990 + generate.Pick(36));
    std::string name = generate.Name(true);
    if (kind == 2) name.append(" -> ").append(generate.Name(false));
    listing.push_back(Format("%s %3d %-8s %-8s %12llu %s %2d %5s %s", permissions,
                             1 + generate.Pick(30), "owner", "staff",
                             static_cast<unsigned long long>(kind < 2 ? 4096 : generate.Size()),
                             kMonths[generate.Pick(12)], 1 + generate.Pick(28), when.c_str(),
                             name.c_str()));
  }
  return listing;
}

}  // namespace ferrix::bench
