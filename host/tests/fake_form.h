// A form for the tests: records what it is asked to show (a step's status
// reaches it through host::ReportStatus, as it reaches a real form), and
// gives the catalog's texts as "[x<number>x] text" without translating.
#pragma once

#include <string>
#include <vector>

#include "host/framework/form_services.h"

namespace host::testing {

class FakeForm : public FormServices {
 public:
  struct Message {
    std::string text;
    int32_t number;
    int32_t buttons;
    std::string title;
  };

  void GestioneErrore(std::string_view procedure, const Error& error) override {
    errors.emplace_back(procedure);
    error_texts.emplace_back(error.what());
  }
  std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) override {
    std::string out = "[x" + std::to_string(number) + "x] " + std::string(text);
    return quote == 1 ? host::ReplaceAll(out, "'", "''") : out;
  }
  int32_t MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) override {
    messages.push_back({std::string(text), number, buttons, std::string(title)});
    return kMbAnswerYes;
  }
  [[nodiscard]] std::string FormCaption() const override { return "Ricerca ordini di lavorazione"; }
  host::DateService& DateService() override { return dates_from != nullptr ? *dates_from : dates; }
  host::NumberService& NumberService() override { return numbers; }

  std::vector<std::string> errors;
  std::vector<std::string> error_texts;
  std::vector<Message> messages;
  // Shows a step's status as the forms do.
  void Show(const Status& status) { ReportStatus(*this, status); }
  host::PlainDateService dates;
  host::DateService* dates_from = nullptr;  // a connection's own, when the test has one
  host::PlainNumberService numbers;
};

// The procedures a status names, and its errors' texts, in order.
inline std::vector<std::string> Procedures(const Status& status) {
  std::vector<std::string> out;
  for (const auto& d : status.diagnostics()) out.push_back(d.procedure);
  return out;
}
inline std::vector<std::string> ErrorTexts(const Status& status) {
  std::vector<std::string> out;
  for (const auto& d : status.diagnostics()) out.emplace_back(d.error.what());
  return out;
}

}  // namespace host::testing
