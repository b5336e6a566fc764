// The small facilities that the class and both forms carry: the instance
// identifier, the trace line, the translated message box and text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/framework/cinterface.h"
#include "host/framework/message_presenter.h"

namespace component {

// A new identifier: 32 upper-case hexadecimal digits, or "" when none can
// be made.
std::string GuidTesto();

// The instance identifier, made on first use and kept (tried again while
// GuidTesto answers empty).
class InstanceIdentity {
 public:
  const std::string& IdIstanza();

 private:
  std::string id_;
};

// Writes "ZNGE:|<id>|<action>|PDXR_QUARVELINDO|<module>" to the debug output.
void WriteTrace(InstanceIdentity& identity, const std::string& action, const std::string& module);

// The stand-alone translation object used without a program interface: it
// shows the marked text through the presenter set for the process.
class MultiLanguage {
 public:
  int32_t KVLMsgBox(const std::string& text, int32_t buttons, const std::string& title);
};
void SetStandalonePresenter(std::shared_ptr<host::MessagePresenter> presenter);

// Shows message `number` (or `text` when number < 1) through the program
// interface's translation service, or the marked text through the
// stand-alone object (created on demand in `standalone`). Errors are
// suppressed: the answer stays 0.
int32_t MsgBoxLingua(host::Cinterface* program, std::unique_ptr<MultiLanguage>& standalone, const std::string& text,
                     int32_t number, int32_t buttons, const std::string& title,
                     const std::optional<std::vector<std::string>>& params = std::nullopt);

// The text of `number` in the user's language (the marked text without a
// program interface or for number < 1); quote 1 doubles every apostrophe.
std::string TestoLingua(host::Cinterface* program, const std::string& text, int32_t number,
                        const std::optional<std::vector<std::string>>& params, int16_t quote);

}  // namespace component
