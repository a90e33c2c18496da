// The gateway's users: name, group, role and a salted password hash.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Store.h"

namespace zelgw {

struct UserRecord {
  std::string name;
  std::string group;
  std::string role;

  bool operator==(const UserRecord&) const = default;
};

inline constexpr std::size_t kMaxUserTextBytes = 128;
// Why a text cannot be a user name (or, with mayBeEmpty, a group or role); empty when it can. Names are shown
// and logged, so they are UTF-8 of printable characters, without blanks around them.
std::string UserTextProblem(std::string_view text, bool mayBeEmpty = false);

class UserRepository {
 public:
  explicit UserRepository(Store& store) : store_(store) {}

  // False when the name is taken. Throws std::invalid_argument for a name, group, role or password that is
  // not fit (UserTextProblem, kMaxPasswordBytes).
  bool Add(const UserRecord& user, std::string_view password);
  // False when there is no such user.
  bool SetPassword(std::string_view name, std::string_view password);
  bool Remove(std::string_view name);
  std::optional<UserRecord> Find(std::string_view name);
  // Every user, in name order.
  std::vector<UserRecord> List();

  // The user, when the password is theirs. A hash made at a lower cost than today's is replaced by one of
  // today's cost on the way, so stores catch up as their users log in. Takes as long for an unknown name as
  // for a known one, so the answer's timing does not tell which names exist.
  std::optional<UserRecord> Authenticate(std::string_view name, std::string_view password);

  // The demo accounts that still have their well-known password, in name order.
  std::vector<std::string> AccountsWithDemoPasswords();

 private:
  Store& store_;
};

}  // namespace zelgw
