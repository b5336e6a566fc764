#include "host/value/date_number_services.h"

#include <array>
#include <cstdio>

namespace host {

void PlainDateService::SetText(const std::string& text) {
  const auto date = DateTime::Parse(text);
  if (!date) {
    error_ = 1;
    formatted_.clear();
    return;
  }
  error_ = 0;
  std::array<char, 32> buffer{};
  if (form_ == Form::Iso) {
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d %02d:%02d:%02d", date->Year(), date->Month(),
                  date->Day(), date->Hour(), date->Minute(), date->Second());
  } else if (date->HasTime()) {
    std::snprintf(buffer.data(), buffer.size(), "%04d%02d%02d %02d:%02d:%02d", date->Year(), date->Month(), date->Day(),
                  date->Hour(), date->Minute(), date->Second());
  } else {
    std::snprintf(buffer.data(), buffer.size(), "%04d%02d%02d", date->Year(), date->Month(), date->Day());
  }
  formatted_ = buffer.data();
}

std::string PlainNumberService::Format(const Variant& number) const { return number.ToDecimal().ToString(); }

}  // namespace host
