// Password hashes of the store: PBKDF2-HMAC-SHA-256 with a random salt, kept as
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>" so the cost can be raised without breaking old entries.
#pragma once

#include <string>
#include <string_view>

namespace zelgw {

std::string HashPassword(std::string_view password);
// False also for a stored text that is not a hash of this form.
bool VerifyPassword(std::string_view stored, std::string_view password);

}  // namespace zelgw
