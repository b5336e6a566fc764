#include "host/framework/log_object.h"

namespace host {

int32_t LogObject::Report(const std::string& application_title, const std::string& form_caption,
                          const std::string& procedure, int32_t style) {
  std::string text =
      form_caption + "\n" + procedure + ": " + error_.what() + " (" + std::to_string(error_.Number()) + ")";
  for (const auto& e : connection_errors_) {
    text += "\n" + e.source + (e.sql_state.empty() ? "" : " [" + e.sql_state + "]") + ": " + e.description;
  }
  reports_.push_back(text);
  connection_errors_.clear();
  if (!presenter_) return 3;
  return presenter_->ShowError(error_.what(), text, style, application_title);
}

}  // namespace host
