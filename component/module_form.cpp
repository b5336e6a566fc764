#include "component/module_form.h"

#include "host/framework/global_object.h"

namespace component {

std::string ModuleForm::TestoLingua(std::string_view text, int32_t number, int16_t quote) {
  return component::TestoLingua(ActiveInterface, std::string(text), number, std::nullopt, quote);
}

int32_t ModuleForm::MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) {
  return component::MsgBoxLingua(ActiveInterface, standalone_, std::string(text), number, buttons, std::string(title));
}

std::string ModuleForm::TraduciCaption(std::string_view caption) {
  const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
  if (global && global->translation) return global->translation->Caption(std::string(caption));
  return std::string(caption);
}

std::string ModuleForm::UserErrorText(const host::Error& error) const {
  const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
  return global && global->translation ? global->translation->ErrorText(error) : std::string(error.what());
}

std::string ModuleForm::UserLanguage() const {
  const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
  if (global && global->translation && !global->translation->Language().empty()) return global->translation->Language();
  return "it";
}

void ModuleForm::ReportToLog(std::string_view procedure, const host::Error& error,
                             const std::shared_ptr<host::MessagePresenter>& fallback) {
  // A value left out is news for the user, not a failure: a warning with
  // OK, without the error report's "nothing was changed".
  // The data layer's messages in the user's language.
  const auto shown_text = [this](const host::Error& e) { return UserErrorText(e); };
  const host::Error shown(error.Number(), error.Key(), shown_text(error), error.Source());
  if (error.Number() == host::kWarnValueLeftOut) {
    if (fallback) fallback->Show(shown.what(), 48, FormCaption());
    return;
  }
  auto log = GclsLog ? GclsLog : std::make_shared<host::LogObject>(fallback);
  log->TakeError(shown);
  if (GconConnect) {
    std::vector<host::db::DbError> details = GconConnect->Errors();
    for (auto& d : details) {
      if (!d.key.Empty()) d.description = shown_text(host::Error(d.number, d.key, d.description, d.source));
    }
    log->TakeConnectionErrors(details);
  }
  log->Report("quarvelindo", FormCaption(), std::string(procedure), host::kMbErrorReportStyle);
}

}  // namespace component
