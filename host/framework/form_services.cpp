#include "host/framework/form_services.h"

namespace host {

void ReportStatus(FormServices& form, const Status& status) {
  for (const auto& d : status.diagnostics()) {
    if (d.kind == Diagnostic::Kind::kError) {
      form.GestioneErrore(d.procedure, d.error);
    } else {
      form.MsgBoxLingua(form.TestoLingua(d.text, d.number, 0), 0, d.style, form.FormCaption());
    }
  }
}

void ReportCurrentError(FormServices& form, std::string_view procedure) {
  form.GestioneErrore(procedure, CurrentError());
}

}  // namespace host
