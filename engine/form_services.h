// What the engine needs from the form it runs on: the form's error routine,
// the translated text and message box helpers, the form's caption, and the
// host's date and number services. The query and results forms implement it;
// the command line and the tests give their own.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "host/value/date_number_services.h"
#include "host/value/error.h"
#include "host/value/status.h"

namespace engine {

using host::MessageBox;
using host::kMbYesNo;
using host::kMbIconQuestion;
using host::kMbIconExclamation;
using host::kMbAnswerYes;
using host::kMbAnswerNo;
using host::kMbErrorReportStyle;

class FormServices {
 public:
  virtual ~FormServices() = default;
  // The form's error routine: restores the pointer, stops the progress bar,
  // hands the error to the host log and has it reported under `procedure`.
  virtual void GestioneErrore(std::string_view procedure, const host::Error& error) = 0;
  // Translated text of message `number` ("[x<number>x] " + text without a
  // program interface); with quote 1 every apostrophe is doubled.
  virtual std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) = 0;
  // Shows a translated message (by text when number < 1); answers the button.
  virtual int32_t MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) = 0;
  [[nodiscard]] virtual std::string FormCaption() const = 0;
  // A caption in the user's language (the translation service by text);
  // the base-language caption where there is no translation.
  virtual std::string TraduciCaption(std::string_view caption) { return std::string(caption); }
  virtual host::DateService& DateService() = 0;
  virtual host::NumberService& NumberService() = 0;
};

// The exception being handled as a host error (other exceptions keep their
// message under a generic number). Call only inside a catch block.
using host::CurrentError;

// Shows a step's diagnostics on the form, in order, as they would have been
// shown where they arose: an error through the form's error routine under
// its procedure, a message translated in a message box of its style.
// Nothing for an ok or cancelled status without diagnostics.
void ReportStatus(FormServices& form, const host::Status& status);

// The value of a step that goes on after a failure, its diagnostics shown.
template <class T>
T Reported(FormServices& form, host::Valued<T> valued) {
  ReportStatus(form, valued.status);
  return std::move(valued.value);
}

// Reports the exception being handled through the form's error routine.
void ReportCurrentError(FormServices& form, std::string_view procedure);

}  // namespace engine
