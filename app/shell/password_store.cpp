#include "app/shell/password_store.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace shell {
namespace {

constexpr const char* kService = "quarvelindo";

// QtKeychain's jobs answer through a signal: each is waited for here, on
// the window thread, before the shell goes on.
void Wait(QKeychain::Job& job) {
  job.setAutoDelete(false);
  job.setInsecureFallback(false);
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
}

class KeyringPasswordStore : public PasswordStore {
 public:
  std::optional<std::string> Read(const std::string& key, bool* available) override {
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(QString::fromStdString(key));
    Wait(job);
    if (available != nullptr) *available = job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
    if (job.error() != QKeychain::NoError) return std::nullopt;
    return job.textData().toStdString();
  }
  bool Write(const std::string& key, const std::string& password) override {
    QKeychain::WritePasswordJob job(kService);
    job.setKey(QString::fromStdString(key));
    job.setTextData(QString::fromStdString(password));
    Wait(job);
    return job.error() == QKeychain::NoError;
  }
};

}  // namespace

std::unique_ptr<PasswordStore> MakeKeyringPasswordStore() { return std::make_unique<KeyringPasswordStore>(); }

}  // namespace shell
