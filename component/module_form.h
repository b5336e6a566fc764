// What the module's two forms share as the engine's form: the program
// interface, the log and the connection that errors are reported through,
// and the texts in the user's language. Without Qt: the windows add what
// the error routine does to the pointer and the progress bar.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "component/facilities.h"
#include "host/framework/form_services.h"
#include "host/db/connection.h"
#include "host/framework/cinterface.h"
#include "host/framework/log_object.h"

namespace component {

class ModuleForm : public host::FormServices {
 public:
  // Public members of both forms (the host, the class and the other form
  // set them).
  host::Cinterface* ActiveInterface = nullptr;
  std::shared_ptr<host::LogObject> GclsLog;
  std::shared_ptr<host::db::Connection> GconConnect;

  std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) override;
  int32_t MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) override;
  // The catalog's caption in the user's language, the Italian one without it.
  std::string TraduciCaption(std::string_view caption) override;
  // What the user reads of an error: the data layer's message in the user's
  // language (the translation service's catalog), else its description.
  [[nodiscard]] std::string UserErrorText(const host::Error& error) const;
  // The user's language ("it", "en"): the translation service's, Italian without one.
  [[nodiscard]] std::string UserLanguage() const;
  host::DateService& DateService() override { return dates_; }
  host::NumberService& NumberService() override { return numbers_; }

 protected:
  // The error routine's report: the log takes the error and the
  // connection's errors and shows them with the form's caption and the
  // procedure's name (style 4370). Without a log, one is made over
  // `fallback`.
  void ReportToLog(std::string_view procedure, const host::Error& error,
                   const std::shared_ptr<host::MessagePresenter>& fallback);

 private:
  std::unique_ptr<MultiLanguage> standalone_;
  host::PlainDateService dates_;
  host::PlainNumberService numbers_;
};

}  // namespace component
