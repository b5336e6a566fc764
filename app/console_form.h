// The form services of the command line: errors and messages go to the
// terminal's error stream. Texts are the module's own (Italian) ones unless
// the command line sets how they read in its language (`message` for an
// error, `text` for a module text by its number).
#pragma once

#include <functional>
#include <iostream>

#include "host/framework/form_services.h"

namespace app {

class ConsoleForm : public host::FormServices {
 public:
  // What happened, in plain words; the procedure and the error number only
  // with --verbose (they help a developer, not the user).
  void GestioneErrore(std::string_view procedure, const host::Error& error) override {
    std::cerr << "quarvelindo: " << message(error);
    if (verbose_) std::cerr << " [" << procedure << ", " << error.Number() << "]";
    std::cerr << "\n";
    ++errors_;
  }
  void SetVerbose(bool verbose) { verbose_ = verbose; }
  std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) override {
    std::string out = this->text(text, number);
    return quote == 1 ? host::ReplaceAll(out, "'", "''") : out;
  }
  int32_t MsgBoxLingua(std::string_view text, int32_t number, int32_t /*buttons*/,
                       std::string_view title) override {
    std::cerr << this->text(title, 0) << ": " << this->text(text, number) << "\n";
    return host::kMbAnswerYes;
  }
  [[nodiscard]] std::string FormCaption() const override { return "Comparazione tempi lavorazione"; }
  host::DateService& DateService() override { return dates_; }
  host::NumberService& NumberService() override { return numbers_; }
  [[nodiscard]] int Errors() const { return errors_; }

  std::function<std::string(const host::Error&)> message = [](const host::Error& error) { return error.what(); };
  std::function<std::string(std::string_view, int32_t)> text = [](std::string_view italian, int32_t) {
    return std::string(italian);
  };

 private:
  host::PlainDateService dates_;
  host::PlainNumberService numbers_;
  int errors_ = 0;
  bool verbose_ = false;
};

}  // namespace app
