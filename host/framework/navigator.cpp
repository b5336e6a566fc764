#include "host/framework/navigator.h"

#include <algorithm>

namespace host {

void Navigator::Connect(NavigatorEvents* listener) {
  if (listener != nullptr && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
    listeners_.push_back(listener);
  }
}

void Navigator::Disconnect(NavigatorEvents* listener) { std::erase(listeners_, listener); }

bool Navigator::RaiseBeforeChangeDitta() {
  bool cancel = false;
  // A listener may disconnect while handling the event.
  const auto listeners = listeners_;
  for (auto* l : listeners) l->BeforeChangeDitta(cancel);
  return cancel;
}

void Navigator::RaiseInitializeLayoutObjectModel(LayoutObjectModel& layout) {
  bool cancel = false;
  const auto listeners = listeners_;
  for (auto* l : listeners) l->InitializeLayoutObjectModel(cancel, layout);
}

void Navigator::RaiseInitializeScriptObjectModel(ScriptObjectModel& script) {
  bool cancel = false;
  const auto listeners = listeners_;
  for (auto* l : listeners) l->InitializeScriptObjectModel(cancel, script);
}

}  // namespace host
