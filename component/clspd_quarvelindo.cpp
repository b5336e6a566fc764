#include "component/clspd_quarvelindo.h"

namespace component {

namespace {

// Runs a member's body with errors suppressed.
template <typename Body>
void Suppressed(Body body) {
  try {
    body();
  } catch (...) {
    // Skipped, as the member's errors are.
  }
}

constexpr const char* kModule = "CLSPD_QUARVELINDO";

}  // namespace

CLSPD_QUARVELINDO::CLSPD_QUARVELINDO(QueryFormFactory make_query_form) : make_query_form_(std::move(make_query_form)) {
  WriteTrace(identity_, "INI", kModule);
  active_dll_ = this;
}

CLSPD_QUARVELINDO::~CLSPD_QUARVELINDO() {
  Suppressed([&] { WriteTrace(identity_, "TER", kModule); });
  global_.reset();
  window_.reset();
  menu_item_.reset();
  if (navigator_) navigator_->Disconnect(this);
  navigator_.reset();
  active_dll_ = nullptr;
  query_form_.reset();  // released, not unloaded
  standalone_.reset();
}

void CLSPD_QUARVELINDO::SetActiveNavigator(std::shared_ptr<host::Navigator> navigator) {
  // Holding the navigator connects its events.
  if (navigator_) navigator_->Disconnect(this);
  navigator_ = std::move(navigator);
  if (navigator_) navigator_->Connect(this);
}

void CLSPD_QUARVELINDO::LetWindowState(int32_t value) {
  Suppressed([&] { window_state_ = host::Variant(value).ToInt16(); });
}

void CLSPD_QUARVELINDO::LetProgramMode(int32_t value) {
  Suppressed([&] { program_mode_ = host::Variant(value).ToInt16(); });
}

void CLSPD_QUARVELINDO::LetTop(const host::Variant& value) {
  Suppressed([&] { top_ = value.ToInt32(); });
}

void CLSPD_QUARVELINDO::LetLeft(const host::Variant& value) {
  Suppressed([&] { left_ = value.ToInt32(); });
}

host::Variant CLSPD_QUARVELINDO::ShowForm() {
  Suppressed([&] {
    query_form_ = make_query_form_();
    query_form_->SetActiveInterface(active_dll_);
    query_form_->SetWindowState(window_state_);  // loads the form
    query_form_->SetCaption(caption_.JoinedText());
    query_form_->Show(window_modal_);
  });
  return {};
}

host::Variant CLSPD_QUARVELINDO::CloseForm() {
  Suppressed([&] {
    if (query_form_) query_form_->Unload();
  });
  return false;
}

host::Variant CLSPD_QUARVELINDO::TransferData(host::Variant data) {
  Suppressed([&] {
    for (const auto& handler : data_transfer_) handler(data);
  });
  return {};
}

void CLSPD_QUARVELINDO::BeforeChangeDitta(bool& cancel) {
  Suppressed([&] {
    if (!active_dll_->GetIsActive()) return;
    const std::string title = query_form_ ? query_form_->Caption() : std::string();
    const int32_t answer =
        MsgBoxLingua(active_dll_ == this ? this : active_dll_, standalone_,
                     "Il cambio azienda comporta la chiusura del programma, proseguo ?", 30178, 36, title);
    if (answer == 6) {
      if (query_form_) query_form_->Unload();
    } else {
      cancel = true;
    }
  });
}

void CLSPD_QUARVELINDO::InitializeLayoutObjectModel(bool& /*cancel*/, host::LayoutObjectModel& layout) {
  Suppressed([&] {
    if (!active_dll_->GetIsActive() || !query_form_) return;
    if (query_form_->MainFormActive()) {
      host::HostObjectPtr form = query_form_;
      layout.Initialize(host::Variant(query_form_->Caption()), form, 0, 0, 1);
      // The model may hand back another form: it becomes the query form.
      if (auto replaced = std::dynamic_pointer_cast<QueryFormPort>(form)) query_form_ = replaced;
    } else if (auto results = query_form_->ResultsForm()) {
      host::HostObjectPtr form = results;
      layout.Initialize(host::Variant("Tempi lavorazione"), form, 0, 0, 1);
    }
  });
}

void CLSPD_QUARVELINDO::InitializeScriptObjectModel(bool& /*cancel*/, host::ScriptObjectModel& script) {
  Suppressed([&] {
    if (!active_dll_->GetIsActive() || !query_form_) return;
    if (query_form_->MainFormActive()) {
      host::HostObjectPtr form = query_form_;
      script.Initialize(query_form_->Name(), form, 0, query_form_->Caption());
      if (auto replaced = std::dynamic_pointer_cast<QueryFormPort>(form)) query_form_ = replaced;
    } else if (auto results = query_form_->ResultsForm()) {
      host::HostObjectPtr form = results;
      script.Initialize(results->Name(), form, 0, results->Caption());
    }
  });
}

}  // namespace component
