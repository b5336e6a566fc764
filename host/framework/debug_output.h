// The debug output the trace lines go to: kept in memory for the host
// shell's debug view and for tests, and copied to the standard error stream
// when QUARVELINDO_DEBUG is set. Not for users' eyes otherwise.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace host {

void OutputDebugStringA(const std::string& line);
// The lines written so far (at most the last 10,000).
std::vector<std::string> DebugOutputLines();
// Called with every new line (the shell's view); empty to stop.
void SetDebugOutputListener(std::function<void(const std::string&)> listener);

}  // namespace host
