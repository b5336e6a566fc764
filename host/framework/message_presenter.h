// Where the host shows a message box: a dialog in the shell, a recorder in
// tests. Buttons and answers are the standard message-box values (6 Yes,
// 7 No, 3 Abort, 4 Retry, 5 Ignore, 1 OK).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual int32_t Show(const std::string& text, int32_t buttons, const std::string& title) = 0;
  // An error report: what happened in plain words, and the technical detail
  // (procedure, error number, what the database said) for who asks for it.
  // Answers 5 (Ignore: go on) unless the presenter offers more.
  virtual int32_t ShowError(const std::string& headline, const std::string& details, int32_t buttons,
                            const std::string& title) {
    return Show(headline + "\n\n" + details, buttons, title);
  }
};

// Answers every message with a set answer and keeps what it was shown.
class RecordingPresenter : public MessagePresenter {
 public:
  struct Shown {
    std::string text;
    int32_t buttons;
    std::string title;
  };
  explicit RecordingPresenter(int32_t answer = 1) : answer(answer) {}
  int32_t Show(const std::string& text, int32_t buttons, const std::string& title) override {
    shown.push_back({text, buttons, title});
    return answer;
  }
  int32_t answer;
  std::vector<Shown> shown;
};

}  // namespace host
