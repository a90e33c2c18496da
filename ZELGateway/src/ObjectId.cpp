#include "zelgw/ObjectId.h"

#include <openssl/evp.h>

namespace zelgw {

std::string MakeObjectId(std::string_view itemId, std::string_view revision) {
  std::string key = std::string(itemId) + '\n' + std::string(revision);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(key.data(), key.size(), digest, &length, EVP_sha256(), nullptr);
  static const char kDigits[] = "0123456789abcdef";
  std::string id = "R";
  for (unsigned int i = 0; i < 8 && i < length; ++i) {
    id += kDigits[digest[i] >> 4];
    id += kDigits[digest[i] & 0xF];
  }
  return id;
}

}  // namespace zelgw
