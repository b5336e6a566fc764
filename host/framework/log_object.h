// The host's log object (GclsLog): it takes the current error and the
// connection's error collection, and reports them in a message box with the
// application title, the form caption, the procedure name and the style
// (4370: system modal, second button default, critical, Abort/Retry/Ignore),
// answering the user's choice. Every report is also kept as text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/db/connection.h"
#include "host/framework/message_presenter.h"
#include "host/value/error.h"

namespace host {

class LogObject {
 public:
  explicit LogObject(std::shared_ptr<MessagePresenter> presenter) : presenter_(std::move(presenter)) {}

  void TakeError(const Error& error) { error_ = error; }
  void TakeConnectionErrors(const std::vector<db::DbError>& errors) { connection_errors_ = errors; }
  int32_t Report(const std::string& application_title, const std::string& form_caption, const std::string& procedure,
                 int32_t style);

  [[nodiscard]] const std::vector<std::string>& Reports() const { return reports_; }

 private:
  std::shared_ptr<MessagePresenter> presenter_;
  Error error_{0, ""};
  std::vector<db::DbError> connection_errors_;
  std::vector<std::string> reports_;
};

}  // namespace host
