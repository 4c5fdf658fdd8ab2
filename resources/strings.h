// The program's string table: every user-visible text that has a resource
// number, looked up by that number. Texts keep their printf notation.
// Thread rule: constant data, safe from any thread.
#pragma once

#include <cstddef>
#include <string_view>

namespace ferrix::resources {

// Resource numbers used by name in the code.
namespace string_id {
inline constexpr int kFirstSocketErrorText = 1;  // 1..27, see socket error table
inline constexpr int kHostTypeLabel = 14100;
inline constexpr int kMessageLogCaption = 14175;
inline constexpr int kEnterLogFileName = 14210;
}  // namespace string_id

// The text of resource `id`; empty when there is none.
std::string_view loadString(int id);

// The text of resource `id` cut to `maxLength` characters, as a fixed-size
// resource buffer would hold it.
std::string_view loadString(int id, std::size_t maxLength);

}  // namespace ferrix::resources
