// Test support for the column-rule parsers: builds listing lines by column,
// runs one parser on a line held in a buffer of exactly its own size (so that
// AddressSanitizer sees any read past the terminating NUL), describes an entry
// in one comparable text, and checks that every prefix of a real line decodes
// without a fault. Tests only; each call owns its buffers, so any thread may
// use it, but the stateful parsers it drives are one-thread-only.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "decoder/parse_context.h"

namespace ferrix::testing {

// A line with each text placed at its column and spaces between.
inline std::string Columns(std::initializer_list<std::pair<std::size_t, std::string_view>> fields) {
  std::string line;
  for (const auto& [column, text] : fields) {
    if (line.size() < column) line.resize(column, ' ');
    line.replace(column, text.size(), text);
  }
  return line;
}

inline ListingEntry Decode(decoder::LineParser parser, std::string_view line,
                           const decoder::ParseContext& context = {}) {
  ListingEntry entry;
  std::memset(&entry, 0, sizeof entry);
  auto buffer = std::make_unique<char[]>(line.size() + 1);
  std::memcpy(buffer.get(), line.data(), line.size());
  buffer[line.size()] = '\0';
  parser(entry, buffer.get(), context);
  return entry;
}

// "NAME|kind|size|yyyy-mm-dd hh:mm", or "" when the line gave no entry.
inline std::string Describe(const ListingEntry& entry) {
  if (entry.name[0] == '\0') return "";
  char text[400];
  std::snprintf(text, sizeof text, "%s|%d|%llu|%04d-%02d-%02d %02d:%02d", entry.name, entry.kind,
                static_cast<unsigned long long>(entry.size), entry.year, entry.month, entry.day,
                entry.hour, entry.minute);
  return text;
}

struct Case {
  std::string line;
  const char* expected;  // as Describe writes it
};

inline void ExpectCases(decoder::LineParser parser, std::initializer_list<Case> cases,
                        const decoder::ParseContext& context = {}) {
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(Decode(parser, c.line, context)), c.expected) << c.line;
  }
}

// Short and truncated lines must decode to something or nothing, never fault;
// the bounded copy makes an overread visible under the sanitizers.
inline void DecodeEveryPrefix(decoder::LineParser parser, std::string_view line,
                              const decoder::ParseContext& context = {}) {
  for (std::size_t length = 0; length <= line.size(); ++length) {
    const ListingEntry entry = Decode(parser, line.substr(0, length), context);
    EXPECT_LT(std::strlen(entry.name), sizeof entry.name) << line.substr(0, length);
  }
}

}  // namespace ferrix::testing
