// The language of the command line ("it", the default, or "en"): table
// captions and headers through the module's catalog, the command line's own
// messages and notes, and the messages that come up from the data layer,
// which it writes in English.
//
// A message the table below does not know is shown as it was written
// (English): better an untranslated message than none. The CSV and JSON
// field names are an interface and never change with the language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/value/error.h"

namespace app {

void SetCliLanguage(const std::string& language);  // "it" or "en"; anything else is "it"
[[nodiscard]] const std::string& CliLanguage();

// A caption of the module (Italian) in the command line's language.
[[nodiscard]] std::string CliCaption(const std::string& italian);
// A module text by its catalog number (0: none), given in Italian: the
// catalog's English for "en", else the text itself.
[[nodiscard]] std::string CliNumberedText(std::string_view italian, int32_t number);
// A message written in English, in the command line's language.
[[nodiscard]] std::string CliMessage(const std::string& english);
// An error in the command line's language: the data layer's keyed message
// from the catalog, else its description as CliMessage reads it.
[[nodiscard]] std::string CliErrorText(const host::Error& error);
// One of the command line's own texts, given in both languages.
[[nodiscard]] std::string CliText(const char* italian, const char* english);

}  // namespace app
