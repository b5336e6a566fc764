// What a comparison run needs from outside the engine, and where it leaves
// what it has to say: the user's language (texts, captions, dates and
// numbers) and the diagnostics of its steps, gathered as one host::Status.
// The forms and the command line take that status (Take) after each call
// into the run and decide what to show; nothing here shows anything.
//
// One run works on one thread at a time, but the window thread may ask for
// texts while a worker runs: texts and diagnostics are kept under one
// mutex. The run's dates and numbers are its own plain services (the
// form's may be in use on the window thread meanwhile).
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "host/value/language_services.h"
#include "host/value/status.h"

namespace engine {

class RunContext : public host::LanguageServices {
 public:
  // `language` must outlive the context; so must `dates` when given (the
  // dates as one database writes them; else plain dates of the run's own).
  explicit RunContext(host::LanguageServices& language, host::DateService* dates = nullptr)
      : language_(language), dates_(dates != nullptr ? *dates : plain_dates_) {}

  std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) override;
  std::string TraduciCaption(std::string_view caption) override;
  host::DateService& DateService() override { return dates_; }
  host::NumberService& NumberService() override { return numbers_; }

  // Adds a step's outcome to what the run has to say.
  void Add(const host::Status& status);
  // The exception being handled, as a step of `procedure` that stopped
  // (host::Status::Caught). Call only inside a catch block.
  void Caught(std::string_view procedure);
  // The value of a step that goes on after a failure, its status kept.
  template <class T>
  T Value(host::Valued<T> valued) {
    Add(valued.status);
    return std::move(valued.value);
  }
  // What was said since the last Take, and from now on nothing.
  [[nodiscard]] host::Status Take();

 private:
  host::LanguageServices& language_;
  std::mutex mutex_;  // guards status_ and the calls into language_
  host::Status status_;
  host::PlainDateService plain_dates_;
  host::DateService& dates_;
  host::PlainNumberService numbers_;
};

}  // namespace engine
