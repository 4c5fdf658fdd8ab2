#include "platform/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace ferrix::platform {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr const char* kUtf8 = "UTF-8";

// Owns one iconv descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts from `*input` as far as it goes, appending to `output`. Returns
  // errno of the stop (0 when all of it was converted); `*input` is left at
  // the first byte not converted.
  int convert(std::string_view* input, std::string* output) {
    char buffer[256];
    char* in = const_cast<char*>(input->data());
    std::size_t inLeft = input->size();
    int error = 0;
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
      output->append(buffer, static_cast<std::size_t>(out - buffer));
      if (result != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      error = errno;
      break;
    }
    *input = std::string_view(in, inLeft);
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
    return error;
  }

 private:
  iconv_t handle_;
};

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
std::size_t validSequenceLength(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;       // no overlong forms
    if (lead == 0xED) high = 0x9F;      // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;      // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

bool isKnownCharset(const std::string& charset) {
  return Converter(kUtf8, charset.c_str()).valid() && Converter(charset.c_str(), kUtf8).valid();
}

bool isValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    // Runs of ASCII, by far the most common, need no sequence rules.
    const auto notAscii = std::find_if(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; });
    bytes.remove_prefix(static_cast<std::size_t>(notAscii - bytes.begin()));
    if (bytes.empty()) break;
    const std::size_t length = validSequenceLength(bytes);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

std::string repairUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = validSequenceLength(bytes);
    if (length == 0) {
      text += kReplacement;
      bytes.remove_prefix(1);
      continue;
    }
    text += bytes.substr(0, length);
    bytes.remove_prefix(length);
  }
  return text;
}

std::string decodeToUtf8(std::string_view bytes, const std::string& charset) {
  Converter converter(kUtf8, charset.c_str());
  if (!converter.valid()) return repairUtf8(bytes);
  std::string text;
  while (!bytes.empty()) {
    if (converter.convert(&bytes, &text) == 0) break;
    // An undecodable or cut-off sequence: one replacement per byte skipped,
    // so the rest of the name still shows.
    text += kReplacement;
    bytes.remove_prefix(1);
  }
  return text;
}

std::optional<std::string> encodeFromUtf8(std::string_view text, const std::string& charset) {
  if (!isValidUtf8(text)) return std::nullopt;
  Converter converter(charset.c_str(), kUtf8);
  if (!converter.valid()) return std::nullopt;
  std::string bytes;
  if (converter.convert(&text, &bytes) != 0) return std::nullopt;
  return bytes;
}

}  // namespace ferrix::platform
