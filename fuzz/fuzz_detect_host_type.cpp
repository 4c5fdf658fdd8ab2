// Feeds arbitrary server texts to both detection exports and checks that the
// answer is always a host type of the table, or the value passed in.
#include <cstddef>
#include <cstdint>
#include <string>

#include "decoder/include/ferrixcore.h"

namespace {

void CheckResult(int32_t result, int32_t given) {
  bool inTable = result >= FERRIX_HOST_TYPE_FIRST &&
                 result < FERRIX_HOST_TYPE_FIRST + FERRIX_HOST_TYPE_COUNT;
  if (result != given && !inTable) __builtin_trap();
  if (given != FERRIX_HOST_TYPE_AUTOMATIC && result != given) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // Mostly undetected, sometimes an explicit choice that must be kept.
  int32_t given = data[0] < 200 ? FERRIX_HOST_TYPE_AUTOMATIC : FERRIX_HOST_TYPE_FIRST + data[0];
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckResult(FERRIX_DetectFromSystString(text.c_str(), given), given);
  CheckResult(FERRIX_DoAutoCheck(text.c_str(), given), given);
  CheckResult(FERRIX_DetectFromSystString(nullptr, given), given);
  return 0;
}
