#include "testing/file_digest.h"

#include <openssl/evp.h>

#include <fstream>
#include <vector>

namespace ferrix::testing {

std::string sha256Of(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
  std::vector<char> block(1 << 16);
  while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
    EVP_DigestUpdate(context, block.data(), static_cast<std::size_t>(file.gcount()));
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  EVP_DigestFinal_ex(context, digest, &length);
  EVP_MD_CTX_free(context);
  std::string hex;
  for (unsigned i = 0; i < length; ++i) {
    static constexpr char kDigits[] = "0123456789abcdef";
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 15];
  }
  return hex;
}

}  // namespace ferrix::testing
