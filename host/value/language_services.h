// What a computation needs of the user's language: the catalog's texts and
// captions, and the date and number services that read and write values as
// the user's locale does. The forms and the command line give theirs; the
// engine asks for nothing else of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/value/date_number_services.h"

namespace host {

class LanguageServices {
 public:
  virtual ~LanguageServices() = default;
  // Translated text of message `number` ("[x<number>x] " + text without a
  // program interface); with quote 1 every apostrophe is doubled.
  virtual std::string TestoLingua(std::string_view text, int32_t number, int16_t quote) = 0;
  // A caption in the user's language (the translation service by text);
  // the base-language caption where there is no translation.
  virtual std::string TraduciCaption(std::string_view caption) { return std::string(caption); }
  virtual host::DateService& DateService() = 0;
  virtual host::NumberService& NumberService() = 0;
};

}  // namespace host
