// A value of a record as the JSON report writes it: Null and Empty as null,
// whole numbers as integers, other decimals as numbers, dates as ISO text,
// texts without trailing blanks (a text that is not valid UTF-8 shows U+FFFD
// where it breaks, rather than stopping the output).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "host/value/variant.h"

namespace output {

// The value as a JSON value of the library.
nlohmann::json Json(const host::Variant& v);

// The same value written straight into `out` as its JSON text: whole numbers
// and plain texts without a JSON object in between (a million bookings of
// 94 fields each), the rest through the library, so that the text is the
// same as Json(v).dump() gives.
void AppendJson(std::string& out, const host::Variant& v);

}  // namespace output
