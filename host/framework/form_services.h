// What a form gives the code it runs: its error routine, its message boxes
// and caption, beside the user's language. The query and results forms
// implement it; the command line and the tests give their own.
//
// Nothing below the forms holds one: the computations answer a host::Status
// and the form shows it (ReportStatus), with the procedure names, message
// numbers and box styles the user has always seen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "host/value/error.h"
#include "host/value/language_services.h"
#include "host/value/status.h"

namespace host {

class FormServices : public LanguageServices {
 public:
  // The form's error routine: restores the pointer, stops the progress bar,
  // hands the error to the host log and has it reported under `procedure`.
  virtual void GestioneErrore(std::string_view procedure, const Error& error) = 0;
  // Shows a translated message (by text when number < 1); answers the button.
  virtual int32_t MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) = 0;
  [[nodiscard]] virtual std::string FormCaption() const = 0;
};

// Shows a step's diagnostics on the form, in order, as they would have been
// shown where they arose: an error through the form's error routine under
// its procedure, a message translated in a message box of its style.
// Nothing for an ok or cancelled status without diagnostics.
void ReportStatus(FormServices& form, const Status& status);

// The value of a step that goes on after a failure, its diagnostics shown.
template <class T>
T Reported(FormServices& form, Valued<T> valued) {
  ReportStatus(form, valued.status);
  return std::move(valued.value);
}

// Reports the exception being handled through the form's error routine.
// Call only inside a catch block.
void ReportCurrentError(FormServices& form, std::string_view procedure);

}  // namespace host
