// The form services of the command line: errors and messages go to the
// terminal's error stream; texts are the module's own (Italian) ones, as a
// translation service in the base language gives them.
#pragma once

#include <iostream>

#include "engine/form_services.h"

namespace app {

class ConsoleForm : public engine::FormServices {
 public:
  // What happened, in plain words; the procedure and the error number only
  // with --verbose (they help a developer, not the user).
  void GestioneErrore(std::string_view procedure, const host::Error& error) override {
    std::cerr << "quarvelindo: " << error.what();
    if (verbose_) std::cerr << " [" << procedure << ", " << error.Number() << "]";
    std::cerr << "\n";
    ++errors_;
  }
  void SetVerbose(bool verbose) { verbose_ = verbose; }
  std::string TestoLingua(std::string_view text, int32_t /*number*/, int16_t quote) override {
    std::string out(text);
    return quote == 1 ? host::ReplaceAll(out, "'", "''") : out;
  }
  int32_t MsgBoxLingua(std::string_view text, int32_t /*number*/, int32_t /*buttons*/,
                       std::string_view title) override {
    std::cerr << title << ": " << text << "\n";
    return engine::kMbAnswerYes;
  }
  [[nodiscard]] std::string FormCaption() const override { return "Comparazione tempi lavorazione"; }
  host::DateService& DateService() override { return dates_; }
  host::NumberService& NumberService() override { return numbers_; }
  [[nodiscard]] int Errors() const { return errors_; }

 private:
  host::PlainDateService dates_;
  host::PlainNumberService numbers_;
  int errors_ = 0;
  bool verbose_ = false;
};

}  // namespace app
