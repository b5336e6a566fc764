// The conditions of a run as the reader of its print reads them, so that
// a report tells what it covers: each field with a value,
// "Reparto R02 – R04", "Articolo = A1", "Data reg.vers. ≥ 2026-01-01",
// "Data consegna ≤ 2026-03-31" (its caption through `translate`, its values
// as entered, a relative date as the day it was resolved to), in the
// fields' order, joined by "; ". Empty without any condition. Symbols, not
// words, so that the line reads the same in every language.
#pragma once

#include <functional>
#include <string>

#include "host/controls/query_control.h"

namespace engine {

using CaptionTranslator = std::function<std::string(const std::string& italian)>;

std::string ConditionsSummary(const host::QueryControl& query, const CaptionTranslator& translate);

}  // namespace engine
