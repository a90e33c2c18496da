// "Login": checks a user's credentials against the store's users. The password travels as hexadecimal, two
// digits per UTF-8 byte (stored passwords hold no byte below 0x10, which a client would write as one digit).
// An unknown user, a wrong password and an undecodable one get the same refusal, after the same hashing
// work, so the answer does not tell which names exist; group and role are checked only once the password
// has proved the user, and an empty one stands for the user's own.
#include <optional>
#include <string>
#include <string_view>

#include "handlers/Handlers.h"
#include "zelgw/Password.h"
#include "zelgw/UserRepository.h"

namespace zelgw {
namespace {

enum LoginError : int {
  kNoUser = 1401,
  kWrongCredentials = 1402,
  kWrongGroup = 1403,
  kWrongRole = 1404,
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The password's bytes, or nothing for a value that is not whole pairs of hexadecimal digits or is longer
// than any stored password can be.
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

void HandleLogin(const Request& request, Store& store, Reply& reply) {
  const std::string name = request.Value("UserID");
  if (name.find_first_not_of(" \t") == std::string::npos) {
    reply.AddError(kNoUser, "The login needs a user name.");
    return;
  }
  std::optional<std::string> password = DecodePassword(request.Value("Password"));
  UserRepository users(store);
  std::optional<UserRecord> user;
  if (password && name.size() <= kMaxUserTextBytes) {
    user = users.Authenticate(name, *password);
  } else {
    // Hash as long as a real attempt would, so a malformed request looks like any refused one.
    users.Authenticate("", "");
  }
  if (password) WipeSecret(*password);
  if (!user) {
    reply.AddError(kWrongCredentials, "The user name or the password is wrong, or the account is locked.");
    return;
  }
  const std::string group = request.Value("Group");
  const std::string role = request.Value("Role");
  if (!group.empty() && group != user->group) {
    reply.AddError(kWrongGroup, "The user is not a member of the group named at login.");
    return;
  }
  if (!role.empty() && role != user->role) {
    reply.AddError(kWrongRole, "The user does not hold the role named at login.");
    return;
  }
  reply.AddAttribute("Group", user->group);
  reply.AddAttribute("Role", user->role);
}

}  // namespace zelgw
