// A value written as a SQL literal for the configuration queries.
//
// | kind | not blank                       | blank, null allowed | blank, not allowed   |
// | 0    | 'text' (quotes doubled)         | null                | ''                   |
// | 1    | the value as a Decimal          | null                | message 52518, Empty |
// | 2    | the number service's text       | null                | message 52518, Empty |
// | 3    | 'date service DBFormat'         | null                | message 52517, Empty |
// | 4    | N'text' (quotes doubled)        | null                | ''                   |
// | else | Empty                           | null                | Empty                |
// A date the date service refuses gives message 25382 and Empty. Blank means
// Empty, Null, or a text that is empty without its trailing blanks. A
// message comes back in the status (failed, the exclamation style) for the
// caller to show; another failure is a failure of "FormatoDB" answering
// Empty.
#pragma once

#include <cstdint>

#include <string>
#include <string_view>

#include "host/value/date_number_services.h"
#include "host/value/status.h"
#include "host/value/variant.h"

namespace engine {

enum FormatoDBKind : int32_t { kDbText = 0, kDbDecimal = 1, kDbNumber = 2, kDbDate = 3, kDbUnicodeText = 4 };

inline constexpr int32_t kMsgNullNumber = 52518;
inline constexpr int32_t kMsgNullDate = 52517;
inline constexpr int32_t kMsgDateConversion = 25382;
inline constexpr std::string_view kTextNullNumber =
    "Si sta tentando di assegnare il valore (numerico) null a un campo che non ammette null.";
inline constexpr std::string_view kTextNullDate =
    "Si sta tentando di assegnare il valore (data) null a un campo che non ammette null.";
inline constexpr std::string_view kTextDateConversion =
    "Conversione della data non riuscita nel metodo DBFormat del servizio date.";

host::Valued<host::Variant> FormatoDB(const host::Variant& value, int32_t kind, bool null_allowed,
                                      host::DateService& dates, host::NumberService& numbers);

// Every single quote doubled, so that the text can stand between quotes.
std::string DoubleQuotes(std::string_view text);

}  // namespace engine
