#include "listing/listing_format.h"

#include <algorithm>
#include <ctime>
#include <iterator>

namespace ferrix::listing {
namespace {

// The host types whose listings decode as UNIX ones.
constexpr int kUnixStyleTypes[] = {
    FERRIX_HOST_TYPE_AUTOMATIC,        FERRIX_HOST_TYPE_UNISYS_5000_EXOS, FERRIX_HOST_TYPE_UNIX,
    FERRIX_HOST_TYPE_SUN_SOLARIS,      FERRIX_HOST_TYPE_SERV_U,           FERRIX_HOST_TYPE_WFTPD,
};

bool leavesTheChoiceOpen(int siteHostType) {
  return std::find(std::begin(kUnixStyleTypes), std::end(kUnixStyleTypes), siteHostType) !=
         std::end(kUnixStyleTypes);
}

}  // namespace

bool ListsWithMlsd(const session::SessionState& state) {
  if (state.sessionProfile.hostType == FERRIX_HOST_TYPE_MLSD) return true;
  return state.features.mlst && !state.mlsdRefused && leavesTheChoiceOpen(state.siteHostType);
}

int ListingHostType(const session::SessionState& state) {
  return ListsWithMlsd(state) ? FERRIX_HOST_TYPE_MLSD : state.sessionProfile.hostType;
}

ListingEntry UtcToLocalTime(const ListingEntry& entry) {
  if (entry.year == 0 || entry.month < 1 || entry.month > 12 || entry.day == 0) return entry;
  std::tm utc{};
  utc.tm_year = entry.year - 1900;
  utc.tm_mon = entry.month - 1;
  utc.tm_mday = entry.day;
  utc.tm_hour = entry.hour;
  utc.tm_min = entry.minute;
  utc.tm_sec = entry.second;
  const std::time_t when = timegm(&utc);
  std::tm local{};
  if (when == -1 || localtime_r(&when, &local) == nullptr) return entry;
  ListingEntry shifted = entry;
  shifted.year = static_cast<std::uint16_t>(local.tm_year + 1900);
  shifted.month = static_cast<std::uint8_t>(local.tm_mon + 1);
  shifted.day = static_cast<std::uint8_t>(local.tm_mday);
  shifted.hour = static_cast<std::uint8_t>(local.tm_hour);
  shifted.minute = static_cast<std::uint8_t>(local.tm_min);
  shifted.second = static_cast<std::uint8_t>(local.tm_sec);
  return shifted;
}

}  // namespace ferrix::listing
