// The one way a step below the forms says how it went: ok, a warning (done,
// with something the user should read), failed, or cancelled by the user;
// with the diagnostics, in the order they arose. A diagnostic is either an
// error under the name of the procedure it stopped (shown through the form's
// error routine) or a numbered message for the user (shown in a message box
// of the given style). Nothing here shows anything: the forms and the
// command line decide.
//
// Exceptions stay inside the data layer and the helpers; where they meet a
// caller that answers with a Status, `FailedHere` turns the exception being
// handled into a failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/value/error.h"

namespace host {

// Message-box styles and answers (the standard flag values).
enum MessageBox : int32_t {
  kMbYesNo = 4,
  kMbIconQuestion = 32,
  kMbIconExclamation = 48,
  kMbAnswerYes = 6,
  kMbAnswerNo = 7,
  kMbErrorReportStyle = 4370,  // system modal + second button default + critical + Abort/Retry/Ignore
};

struct Diagnostic {
  enum class Kind { kError, kMessage };
  Kind kind = Kind::kError;
  std::string procedure;  // kError: the procedure the error stopped
  Error error{0, ""};     // kError: number, description, the user's message key
  std::string text;       // kMessage: the message in the base language
  int32_t number = 0;     // kMessage: its catalog number (0: none)
  int32_t style = 0;      // kMessage: the message box's buttons and icon
};

class Status {
 public:
  enum class Kind { kOk, kWarning, kFailed, kCancelled };

  Status() = default;  // ok, nothing to say
  [[nodiscard]] static Status Failed(std::string procedure, Error error);
  [[nodiscard]] static Status Cancelled();
  // Done, with `error` for the user to read under `procedure`.
  [[nodiscard]] static Status Warning(std::string procedure, Error error);
  // Done, with a numbered message for the user; the kind is given (a
  // message that refuses a value fails the step that needed it).
  [[nodiscard]] static Status Message(Kind kind, std::string text, int32_t number, int32_t style);
  // The exception being handled as a failure of `procedure`; call only
  // inside a catch block. A host::Error keeps its number and key; another
  // exception keeps its text under kErrInvalidArgument.
  [[nodiscard]] static Status FailedHere(std::string procedure);
  // The same, read as the user reads it: the user's own stop is cancelled
  // (nothing to show), a value left out of the figures is a warning, any
  // other error a failure.
  [[nodiscard]] static Status Caught(std::string procedure);
  // An error of `procedure` read the same way.
  [[nodiscard]] static Status Of(std::string procedure, Error error);

  [[nodiscard]] Kind kind() const { return kind_; }
  [[nodiscard]] bool ok() const { return kind_ == Kind::kOk || kind_ == Kind::kWarning; }
  [[nodiscard]] bool failed() const { return kind_ == Kind::kFailed; }
  [[nodiscard]] bool cancelled() const { return kind_ == Kind::kCancelled; }
  [[nodiscard]] const std::vector<Diagnostic>& diagnostics() const { return diagnostics_; }

  // Adds another step's outcome: the worse kind stays (cancelled over
  // failed over warning over ok), the diagnostics follow these.
  Status& Add(const Status& other);

 private:
  Kind kind_ = Kind::kOk;
  std::vector<Diagnostic> diagnostics_;
};

// A value with the status of the step that made it: where the module's way
// is to report a failure and go on, the value is still the one to go on
// with (Empty, 0...).
template <class T>
struct Valued {
  T value;
  Status status;
};

// The exception being handled as a host error (another exception keeps its
// text under kErrInvalidArgument). Call only inside a catch block.
[[nodiscard]] Error CurrentError();

}  // namespace host
