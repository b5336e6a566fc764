// What the engine needs from the form it runs on: the form's error routine,
// the translated text and message box helpers, the form's caption, and the
// host's date and number services. The query and results forms implement it;
// the command line and the tests give their own.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "host/value/date_number_services.h"
#include "host/value/error.h"

namespace engine {

// Message-box styles and answers (the standard flag values).
enum MessageBox : int32_t {
  kMbYesNo = 4,
  kMbIconQuestion = 32,
  kMbIconExclamation = 48,
  kMbAnswerYes = 6,
  kMbAnswerNo = 7,
  kMbErrorReportStyle = 4370,  // system modal + second button default + critical + Abort/Retry/Ignore
};

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
host::Error CurrentError();

// Reports the exception being handled through the form's error routine.
void ReportCurrentError(FormServices& form, std::string_view procedure);

}  // namespace engine
