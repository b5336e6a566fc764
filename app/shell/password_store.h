// Where the shell keeps database passwords: the desktop's keyring, never the
// settings file. A password is keyed by the server (or data source) and the
// user it belongs to (see PasswordKey in connection_settings.h).
//
// Read answers the password, or nothing when the store has none for the key
// (`available` false when no keyring answered at all: the shell then asks the
// user and keeps the password in memory only). Write answers false when the
// password could not be stored. Neither ever logs the password.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace shell {

class PasswordStore {
 public:
  virtual ~PasswordStore() = default;
  [[nodiscard]] virtual std::optional<std::string> Read(const std::string& key, bool* available) = 0;
  virtual bool Write(const std::string& key, const std::string& password) = 0;
};

// The desktop's keyring through QtKeychain (Secret Service, KWallet), under
// the service name "quarvelindo"; no plain-text fallback.
std::unique_ptr<PasswordStore> MakeKeyringPasswordStore();

// Passwords in memory for this run only: where no keyring answers, and in tests.
class MemoryPasswordStore : public PasswordStore {
 public:
  std::optional<std::string> Read(const std::string& key, bool* available) override {
    if (available != nullptr) *available = true;
    const auto it = passwords_.find(key);
    if (it == passwords_.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& key, const std::string& password) override {
    passwords_[key] = password;
    return true;
  }

 private:
  std::map<std::string, std::string> passwords_;
};

}  // namespace shell
