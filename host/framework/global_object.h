// The host's global object: what the module reads of the session (the
// connection string, the company and its fashion settings, the user's two
// environment values) and the translation service.
#pragma once

#include "host/framework/message_presenter.h"

#include <memory>
#include <string>

#include "host/framework/host_object.h"
#include "host/framework/translation_service.h"

namespace host {

struct GlobalObject : HostObject {
  struct ConnectionInfo {
    std::string connection_string;
  } connection_info;
  struct Company {
    std::string code = "1";
    bool fashion_attributes = false;  // the company's fashion-attributes flag
    bool fashion_cycles = false;      // the environment's three fashion-cycle switches, all on
    std::string description;          // the company's name, printed beside its code
  } company;
  // The user's print options: the report header (its section "RH") prints
  // when `header` is on and either `company_data` or `references` is; the
  // notes print with it when `notes` is on.
  struct PrintOptions {
    bool header = true;
    bool company_data = true;
    bool references = true;
    bool notes = false;
    // The report's optional sections: every group's months, and the
    // phases planned and never booked.
    bool trend = false;
    bool unbooked = false;
    std::string executing, destination, note;  // "eseg", "dest", "note"
  } print_options;
  struct UserEnvironment {
    std::string value1, value2;
  } environment;
  std::shared_ptr<TranslationService> translation;
  // Where the host shows its message boxes (the log's error reports too);
  // null: the forms use their own dialogs.
  std::shared_ptr<MessagePresenter> presenter;
};

}  // namespace host
