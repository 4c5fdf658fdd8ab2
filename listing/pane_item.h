// One entry of a file pane: a local file or folder, or a remote entry
// decoded from a listing line. The pane that holds an item owns it. The text
// holds the name as it was listed, then, for a remote name that is not shown
// as it was listed, its UTF-8 form, then, for local items, an optional
// display tail (padding, a tab, date and size); so the name is always read
// through name() and what panes show through shownName(). One string keeps
// an item small, and a listing may hold hundreds of thousands.
//
// Thread rule: a plain value; the pane's owner thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrix::listing {

enum class PaneSide { kLocal = 0, kRemote = 1 };

// Kinds are bit values; drawing tests single bits, ordering compares them as
// numbers (drive 8, folder 4, link 2 rank above the two file kinds).
inline constexpr std::int32_t kKindFile = 0;
inline constexpr std::int32_t kKindTextFile = 1;
inline constexpr std::int32_t kKindLink = 2;
inline constexpr std::int32_t kKindFolder = 4;
inline constexpr std::int32_t kKindDrive = 8;

inline constexpr std::string_view kParentName = "..";

struct PaneItem {
  std::int32_t itemType = 0;  // 1 remote, 0 local
  std::int32_t kind = kKindFile;
  std::uint16_t year = 0;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint32_t nameLength = 0;
  // The length of the UTF-8 form after the name: set when the server's
  // charset differs or the name does not decode, 0 when the name shows as
  // it stands. Commands always use name(), the server's own bytes.
  std::uint32_t shownLength = 0;
  std::uint64_t size = 0;
  std::string text;

  std::string_view name() const { return std::string_view(text).substr(0, nameLength); }
  std::string_view shownName() const {
    return shownLength == 0 ? name() : std::string_view(text).substr(nameLength, shownLength);
  }
  // What follows the name and its shown form.
  std::string_view tail() const {
    return std::string_view(text).substr(std::size_t{nameLength} + shownLength);
  }
  void setShownName(std::string_view shown) {
    text.replace(nameLength, shownLength, shown);
    shownLength = static_cast<std::uint32_t>(shown.size());
  }
  bool hasDate() const { return year != 0 || month != 0; }
  bool isParent() const { return name() == kParentName; }
};

// An item whose text is its name alone.
inline PaneItem MakeNamedItem(PaneSide side, std::int32_t kind, std::string_view name) {
  PaneItem item;
  item.itemType = side == PaneSide::kRemote ? 1 : 0;
  item.kind = kind;
  item.nameLength = static_cast<std::uint32_t>(name.size());
  item.text = std::string(name);
  return item;
}

}  // namespace ferrix::listing
