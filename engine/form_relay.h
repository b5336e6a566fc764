// The form services a comparison run reports to: it passes everything to the
// form that currently owns the run (the query form while it runs, the results
// form afterwards), and can hold the reports back while the run works on
// another thread, so that no dialog opens off the user-interface thread; the
// owner replays them when the run is back.
//
// A cancellation reported by a procedure is not an error for the user: it is
// counted apart (Cancelled) and never passed on.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "engine/form_services.h"

namespace engine {

class FormRelay : public FormServices {
 public:
  explicit FormRelay(FormServices& target) : target_(&target) {}

  // The form that receives reports from now on.
  void Attach(FormServices& target) { target_ = &target; }
  // While held, error reports and message boxes are kept for Replay; a
  // message box answers Yes.
  void Hold(bool hold);
  // Passes the kept reports to the current form, in their order.
  void Replay();

  [[nodiscard]] int Failures() const { return failures_; }
  [[nodiscard]] bool Cancelled() const { return cancelled_; }
  void ResetCounts() { failures_ = 0; cancelled_ = false; }

  void GestioneErrore(std::string_view procedure, const host::Error& error) override;
  std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) override;
  int32_t MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) override;
  [[nodiscard]] std::string FormCaption() const override;
  std::string TraduciCaption(std::string_view caption) override;
  // The run's own services: the form's may be in use on the other thread.
  host::DateService& DateService() override { return dates_; }
  host::NumberService& NumberService() override { return numbers_; }

 private:
  struct Kept {
    bool error = false;
    std::string procedure_or_text;
    host::Error failure{0, ""};
    int32_t number = 0, buttons = 0;
    std::string title;
  };
  FormServices* target_;
  // The translation service only reads, but a form's caption may change
  // on the other thread: texts are asked under one lock.
  mutable std::mutex mutex_;
  bool hold_ = false;
  std::vector<Kept> kept_;
  int failures_ = 0;
  bool cancelled_ = false;
  host::PlainDateService dates_;
  host::PlainNumberService numbers_;
};

}  // namespace engine
