#include "zelgw/UserRepository.h"

#include <algorithm>
#include <cstdint>
#include <future>
#include <stdexcept>

#include "zelgw/Password.h"
#include "zelgw/StoreSeed.h"

namespace zelgw {
namespace {

// Length of the UTF-8 sequence that starts text[i], or 0 when it is not a valid one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  std::size_t length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
  if (length == 0 || i + length > text.size()) return 0;
  std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  // C0 and C1 controls would let a name forge lines in listings and logs.
  if (code < 0x20 || (code >= 0x7F && code < 0xA0)) return 0;
  return length;
}

void Require(std::string_view text, bool mayBeEmpty, const char* what) {
  if (std::string problem = UserTextProblem(text, mayBeEmpty); !problem.empty()) {
    throw std::invalid_argument(std::string("the ") + what + " " + problem);
  }
}

void RequirePassword(std::string_view password) {
  if (password.empty()) throw std::invalid_argument("the password is empty");
  if (password.size() > kMaxPasswordBytes) {
    throw std::invalid_argument("the password is longer than " + std::to_string(kMaxPasswordBytes) +
                                " bytes");
  }
  // Clients write such a byte as one hexadecimal digit, so "Login" could never read it back.
  for (char c : password) {
    if (static_cast<unsigned char>(c) < 0x10)
      throw std::invalid_argument("the password holds a control character");
  }
}

// A hash at today's cost that no password matches, to spend the same time on unknown names.
const std::string& UnmatchableHash() {
  static const std::string hash = HashPassword("\x01 no user has this password");
  return hash;
}

}  // namespace

std::string UserTextProblem(std::string_view text, bool mayBeEmpty) {
  if (text.empty()) return mayBeEmpty ? std::string() : "is empty";
  if (text.size() > kMaxUserTextBytes)
    return "is longer than " + std::to_string(kMaxUserTextBytes) + " bytes";
  if (text.front() == ' ' || text.back() == ' ') return "begins or ends with a blank";
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = Utf8Length(text, i);
    if (length == 0) return "holds a control character or is not UTF-8";
    i += length;
  }
  return {};
}

bool UserRepository::Add(const UserRecord& user, std::string_view password) {
  Require(user.name, false, "user name");
  Require(user.group, true, "group");
  Require(user.role, true, "role");
  RequirePassword(password);
  // Hashing is the slow part; no need to pay for it when the answer is already known.
  if (Find(user.name)) return false;
  std::string hash = HashPassword(password);
  Store::Lease connection = store_.Acquire();
  Statement& insert = connection->Prepare(
      "INSERT INTO users (name, password_hash, group_name, role) VALUES (?1, ?2, ?3, ?4) "
      "ON CONFLICT (name) DO NOTHING");
  insert.BindAll(user.name, hash, user.group, user.role).Run();
  return insert.Changes() == 1;
}

bool UserRepository::SetPassword(std::string_view name, std::string_view password) {
  RequirePassword(password);
  if (!Find(name)) return false;
  std::string hash = HashPassword(password);
  Store::Lease connection = store_.Acquire();
  Statement& update = connection->Prepare("UPDATE users SET password_hash = ?2 WHERE name = ?1");
  update.BindAll(name, hash).Run();
  return update.Changes() == 1;
}

bool UserRepository::Remove(std::string_view name) {
  Store::Lease connection = store_.Acquire();
  Statement& remove = connection->Prepare("DELETE FROM users WHERE name = ?1");
  remove.BindAll(name).Run();
  return remove.Changes() == 1;
}

std::optional<UserRecord> UserRepository::Find(std::string_view name) {
  Store::Lease connection = store_.Acquire();
  Statement& find = connection->Prepare("SELECT name, group_name, role FROM users WHERE name = ?1");
  if (!find.BindAll(name).Step()) return std::nullopt;
  return UserRecord{find.Text(0), find.Text(1), find.Text(2)};
}

std::vector<UserRecord> UserRepository::List() {
  Store::Lease connection = store_.Acquire();
  Statement& list = connection->Prepare("SELECT name, group_name, role FROM users ORDER BY name");
  std::vector<UserRecord> users;
  while (list.Step()) users.push_back({list.Text(0), list.Text(1), list.Text(2)});
  return users;
}

std::optional<UserRecord> UserRepository::Authenticate(std::string_view name, std::string_view password) {
  std::optional<UserRecord> user;
  std::string hash;
  {
    Store::Lease connection = store_.Acquire();
    Statement& find =
        connection->Prepare("SELECT name, group_name, role, password_hash FROM users WHERE name = ?1");
    if (find.BindAll(name).Step()) {
      user = UserRecord{find.Text(0), find.Text(1), find.Text(2)};
      hash = find.Text(3);
    }
  }
  // Hashing happens after the connection is back in the pool: it is the slow part.
  if (!user) {
    VerifyPassword(UnmatchableHash(), password);
    return std::nullopt;
  }
  if (!VerifyPassword(hash, password)) return std::nullopt;
  if (PasswordNeedsRehash(hash)) {
    try {
      std::string upgraded = HashPassword(password);
      Store::Lease connection = store_.Acquire();
      // Only over the hash just verified: a password changed meanwhile stays as it was set.
      connection->Prepare("UPDATE users SET password_hash = ?3 WHERE name = ?1 AND password_hash = ?2")
          .BindAll(name, hash, upgraded)
          .Run();
    } catch (const StoreError&) {
      // The login stands; the next one tries the upgrade again.
    }
  }
  return user;
}

std::vector<std::string> UserRepository::AccountsWithDemoPasswords() {
  std::vector<std::pair<const DemoAccount*, std::string>> present;
  {
    Store::Lease connection = store_.Acquire();
    for (const DemoAccount& account : DemoAccounts()) {
      Statement& find = connection->Prepare("SELECT password_hash FROM users WHERE name = ?1");
      if (find.BindAll(account.name).Step()) present.emplace_back(&account, find.Text(0));
    }
  }
  std::vector<std::future<bool>> checks;
  for (const auto& entry : present) {
    checks.push_back(std::async(std::launch::async,
                                [&entry] { return VerifyPassword(entry.second, entry.first->password); }));
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < present.size(); ++i) {
    if (checks[i].get()) names.push_back(present[i].first->name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zelgw
