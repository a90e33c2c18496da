// The credentials a PDM function carries ("UserID", "Password" as hexadecimal of its UTF-8 bytes, "Group",
// "Role"), checked the way "Login" checks them, for the functions that act on a user's behalf.
#pragma once

#include <optional>

#include "zelgw/Reply.h"
#include "zelgw/Request.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

namespace zelgw {

struct CredentialRefusals {
  int wrongCredentials;  // unknown user, wrong or malformed password, locked account: one answer for all
  int wrongGroup;
  int wrongRole;
  // What the refusal of wrong credentials says (the default asks to log in again).
  const char* wrongCredentialsText =
      "The user name or the password is wrong, or the account is locked: log in again.";
};

// The user when the request's user, password, group and role hold; otherwise nothing, and one error is added
// to the reply.
std::optional<UserRecord> CheckCredentials(const Request& request, Store& store,
                                           const CredentialRefusals& codes, Reply& reply);

}  // namespace zelgw
