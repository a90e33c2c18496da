#include "handlers/Credentials.h"

#include <optional>
#include <string>
#include <string_view>

#include "zelgw/Password.h"
#include "zelgw/UserRepository.h"

namespace zelgw {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> DecodePassword(std::string_view hex) {
  if (hex.size() % 2 != 0 || hex.size() / 2 > kMaxPasswordBytes) return std::nullopt;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) {
      WipeSecret(bytes);
      return std::nullopt;
    }
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

}  // namespace

std::optional<UserRecord> CheckCredentials(const Request& request, Store& store,
                                           const CredentialRefusals& codes, Reply& reply) {
  const std::string name = request.Value("UserID");
  std::optional<std::string> password = DecodePassword(request.Value("Password"));
  UserRepository users(store);
  std::optional<UserRecord> user;
  if (password && !name.empty() && name.size() <= kMaxUserTextBytes) {
    user = users.Authenticate(name, *password);
  } else {
    // The same hashing work as a real attempt, so a malformed request does not stand out by its timing.
    users.Authenticate("", "");
  }
  if (password) WipeSecret(*password);
  if (!user) {
    reply.AddError(codes.wrongCredentials, codes.wrongCredentialsText);
    return std::nullopt;
  }
  const std::string group = request.Value("Group");
  if (!group.empty() && group != user->group) {
    reply.AddError(codes.wrongGroup, "The user is not a member of the group named at login.");
    return std::nullopt;
  }
  const std::string role = request.Value("Role");
  if (!role.empty() && role != user->role) {
    reply.AddError(codes.wrongRole, "The user does not hold the role named at login.");
    return std::nullopt;
  }
  return user;
}

}  // namespace zelgw
