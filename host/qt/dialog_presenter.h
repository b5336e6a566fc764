// The host's message boxes as Qt dialogs. Buttons follow the style's low
// bits (4 Yes/No, 1 OK/Cancel, anything else OK) and read in the user's
// language; an error report shows what happened with the technical detail
// behind "Details", and offers only the answer that does something (OK,
// which goes on: answered as 5, Ignore).
#pragma once

#include <string>

#include "host/framework/message_presenter.h"

namespace host::qt {

class DialogPresenter : public MessagePresenter {
 public:
  // language: "it" or "en" (the button texts).
  explicit DialogPresenter(std::string language = "it") : language_(std::move(language)) {}
  void SetLanguage(std::string language) { language_ = std::move(language); }

  int32_t Show(const std::string& text, int32_t buttons, const std::string& title) override;
  int32_t ShowError(const std::string& headline, const std::string& details, int32_t buttons,
                    const std::string& title) override;

 private:
  std::string language_;
};

}  // namespace host::qt
