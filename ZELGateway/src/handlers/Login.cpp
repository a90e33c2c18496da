// "Login": checks a user's credentials against the store's users. The password travels as hexadecimal, two
// digits per UTF-8 byte (stored passwords hold no byte below 0x10, which a client would write as one digit).
// An unknown user, a wrong password and an undecodable one get the same refusal, after the same hashing
// work, so the answer does not tell which names exist; group and role are checked only once the password
// has proved the user, and an empty one stands for the user's own.
#include <optional>
#include <string>

#include "handlers/Credentials.h"
#include "handlers/Handlers.h"

namespace zelgw {
namespace {

enum LoginError : int {
  kNoUser = 1401,
  kWrongCredentials = 1402,
  kWrongGroup = 1403,
  kWrongRole = 1404,
};

}  // namespace

void HandleLogin(const Request& request, Store& store, Reply& reply) {
  const std::string name = request.Value("UserID");
  if (name.find_first_not_of(" \t") == std::string::npos) {
    reply.AddError(kNoUser, "The login needs a user name.");
    return;
  }
  const std::optional<UserRecord> user =
      CheckCredentials(request, store,
                       {kWrongCredentials, kWrongGroup, kWrongRole,
                        "The user name or the password is wrong, or the account is locked."},
                       reply);
  if (!user) return;
  reply.AddAttribute("Group", user->group);
  reply.AddAttribute("Role", user->role);
}

}  // namespace zelgw
