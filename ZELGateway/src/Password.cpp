#include "zelgw/Password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <optional>
#include <stdexcept>
#include <vector>

namespace zelgw {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
// Ten times today's cost: a damaged or planted entry cannot stall a worker thread for long.
constexpr unsigned kMaxIterations = 10 * kPasswordIterations;
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;

std::string ToHex(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

bool FromHex(std::string_view hex, std::vector<unsigned char>& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    if (error != std::errc() || end != hex.data() + i + 2) return false;
    bytes.push_back(static_cast<unsigned char>(value));
  }
  return true;
}

std::vector<unsigned char> Derive(std::string_view password, const std::vector<unsigned char>& salt,
                                  unsigned iterations) {
  std::vector<unsigned char> hash(kHashBytes);
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                        static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                        static_cast<int>(hash.size()), hash.data()) != 1) {
    throw std::runtime_error("PBKDF2 failed");
  }
  return hash;
}

struct ParsedHash {
  unsigned iterations = 0;
  std::vector<unsigned char> salt;
  std::vector<unsigned char> hash;
};

std::optional<ParsedHash> Parse(std::string_view stored) {
  std::string_view parts[4];
  for (std::size_t i = 0; i < 4; ++i) {
    std::size_t dollar = stored.find('$');
    if ((dollar == std::string_view::npos) != (i == 3)) return std::nullopt;
    parts[i] = stored.substr(0, dollar);
    if (dollar != std::string_view::npos) stored.remove_prefix(dollar + 1);
  }
  ParsedHash parsed;
  auto [end, error] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), parsed.iterations);
  if (parts[0] != kScheme || error != std::errc() || end != parts[1].data() + parts[1].size() ||
      parsed.iterations == 0 || parsed.iterations > kMaxIterations || !FromHex(parts[2], parsed.salt) ||
      parsed.salt.empty() || parsed.salt.size() > 64 || !FromHex(parts[3], parsed.hash) ||
      parsed.hash.size() != kHashBytes) {
    return std::nullopt;
  }
  return parsed;
}

}  // namespace

std::string HashPassword(std::string_view password, unsigned iterations) {
  if (password.size() > kMaxPasswordBytes) throw std::invalid_argument("the password is too long");
  if (iterations == 0 || iterations > kMaxIterations) throw std::invalid_argument("no valid hashing cost");
  std::vector<unsigned char> salt(kSaltBytes);
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
    throw std::runtime_error("no random bytes");
  return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + ToHex(salt) + "$" +
         ToHex(Derive(password, salt, iterations));
}

bool VerifyPassword(std::string_view stored, std::string_view password) {
  std::optional<ParsedHash> parsed = Parse(stored);
  if (!parsed || password.size() > kMaxPasswordBytes) return false;
  std::vector<unsigned char> actual = Derive(password, parsed->salt, parsed->iterations);
  return CRYPTO_memcmp(actual.data(), parsed->hash.data(), kHashBytes) == 0;
}

bool PasswordNeedsRehash(std::string_view stored) {
  std::optional<ParsedHash> parsed = Parse(stored);
  return parsed && parsed->iterations < kPasswordIterations;
}

void WipeSecret(std::string& secret) {
  OPENSSL_cleanse(secret.data(), secret.size());
  secret.clear();
}

}  // namespace zelgw
