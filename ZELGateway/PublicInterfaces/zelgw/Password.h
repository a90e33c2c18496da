// Password hashes of the store: PBKDF2-HMAC-SHA-256 with a random salt, kept as
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>". Each hash carries its own cost, so raising the cost
// keeps older hashes valid until they are replaced at their next successful verification.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelgw {

inline constexpr unsigned kPasswordIterations = 600'000;
// Longer passwords are refused: no client sends them, and each byte is hashed on every attempt.
inline constexpr std::size_t kMaxPasswordBytes = 1024;

// Throws std::invalid_argument for a password longer than kMaxPasswordBytes or a cost outside 1 to the
// largest one VerifyPassword accepts.
std::string HashPassword(std::string_view password, unsigned iterations = kPasswordIterations);
// False also for a stored text that is not a hash of this form, or a password that is too long.
bool VerifyPassword(std::string_view stored, std::string_view password);
// True for a well-formed hash made at a lower cost than kPasswordIterations.
bool PasswordNeedsRehash(std::string_view stored);
// Overwrites a secret in memory before it is released.
void WipeSecret(std::string& secret);

}  // namespace zelgw
