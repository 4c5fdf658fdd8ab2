// Listings generated for the benchmarks: names, sizes and dates drawn from a
// fixed seed, so every run works on the same lines. The mix (folders, links
// with targets, files of every size up to beyond 4 GiB, names with spaces)
// follows what real UNIX and Windows servers list.
//
// Thread rule: a ListingGenerator belongs to one thread; the functions are
// safe from any thread.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ferrix::bench {

class ListingGenerator {
 public:
  explicit ListingGenerator(std::uint32_t seed) : random_(seed) {}

  // 0 .. count - 1.
  int Pick(int count);
  // A name such as "Old Stuff-4711.tar.gz"; spaces become '_' unless allowed.
  std::string Name(bool spaces);
  // Mostly small files, some large, one in twenty above 4 GiB.
  std::uint64_t Size();

 private:
  std::mt19937 random_;
};

// `lines` lines of a UNIX "ls -l" listing: one in five a folder, one in ten
// a link, the rest files.
std::vector<std::string> UnixListing(int lines, std::uint32_t seed);

}  // namespace ferrix::bench
