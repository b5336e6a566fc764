#include "component/facilities.h"

#include <uuid/uuid.h>

#include <array>
#include <cstdio>

#include "host/framework/debug_output.h"
#include "host/framework/translation_service.h"

namespace component {
namespace {

std::shared_ptr<host::MessagePresenter>& StandalonePresenter() {
  static std::shared_ptr<host::MessagePresenter> presenter;
  return presenter;
}

}  // namespace

std::string GuidTesto() {
  uuid_t id;
  uuid_generate_random(id);
  // The bytes in order: the first field's 8 digits, the second's and third's
  // 4 each, then the eight bytes of the last, two digits each.
  std::string text;
  std::array<char, 3> hex{};
  for (const unsigned char byte : id) {
    std::snprintf(hex.data(), hex.size(), "%02X", byte);
    text += hex.data();
  }
  return text.size() == 32 ? text : std::string();
}

const std::string& InstanceIdentity::IdIstanza() {
  if (id_.empty()) id_ = GuidTesto();
  return id_;
}

void WriteTrace(InstanceIdentity& identity, const std::string& action, const std::string& module) {
  host::OutputDebugStringA("ZNGE:|" + identity.IdIstanza() + "|" + action + "|PDXR_QUARVELINDO|" + module);
}

int32_t MultiLanguage::KVLMsgBox(const std::string& text, int32_t buttons, const std::string& title) {
  const auto& presenter = StandalonePresenter();
  return presenter ? presenter->Show(text, buttons, title) : 0;
}

void SetStandalonePresenter(std::shared_ptr<host::MessagePresenter> presenter) {
  StandalonePresenter() = std::move(presenter);
}

int32_t MsgBoxLingua(host::Cinterface* program, std::unique_ptr<MultiLanguage>& standalone, const std::string& text,
                     int32_t number, int32_t buttons, const std::string& title,
                     const std::optional<std::vector<std::string>>& params) {
  int32_t answer = 0;
  try {
    if (program == nullptr) {
      if (!standalone) standalone = std::make_unique<MultiLanguage>();
      return standalone->KVLMsgBox(host::MarkedText(number, text), buttons, title);
    }
    auto global = program->GetClsGlobal();
    auto& translation = *global->translation;
    if (number < 1) {
      answer = translation.ShowText(text, buttons, title);
    } else {
      answer = translation.ShowNumber(number, buttons, title, params.value_or(std::vector<std::string>{}));
    }
  } catch (...) {
    // Errors are suppressed here.
  }
  return answer;
}

std::string TestoLingua(host::Cinterface* program, const std::string& text, int32_t number,
                        const std::optional<std::vector<std::string>>& params, int16_t quote) {
  std::string result;
  try {
    if (program == nullptr || number < 1) {
      result = host::MarkedText(number, text);
    } else {
      result = program->GetClsGlobal()->translation->Text(number, params.value_or(std::vector<std::string>{}));
      // A number the catalog lacks keeps the module's own text.
      if (result == host::MarkedText(number, "")) result = text;
    }
    if (quote == 1) result = host::ReplaceAll(result, "'", "''");
  } catch (...) {
    // Stops at the first error with what it has.
  }
  return result;
}

}  // namespace component
