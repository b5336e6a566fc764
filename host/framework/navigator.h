// The host navigator: the events it raises to the module that holds it
// (company change, layout and script object models) and the operations the
// forms call on it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/framework/host_object.h"
#include "host/value/variant.h"

namespace host {

// The layout object model: one initialisation (title, the form by
// reference, 0, 0, 1), which may replace the form.
class LayoutObjectModel {
 public:
  virtual ~LayoutObjectModel() = default;
  virtual void Initialize(const Variant& title, HostObjectPtr& form, int32_t a, int32_t b, int32_t c) = 0;
};

// The script object model: initialisation (form name, the form by reference,
// 0, caption) and notifications ("znOpen", "znClose").
class ScriptObjectModel {
 public:
  virtual ~ScriptObjectModel() = default;
  virtual void Initialize(const std::string& name, HostObjectPtr& form, int32_t a, const std::string& caption) = 0;
  virtual void Notify(const std::string& name, const std::string& action) = 0;
  // Whether the scripts refuse the closing of the form `name`.
  virtual bool QueryCancel(const std::string& /*name*/) { return false; }
};

class NavigatorEvents {
 public:
  virtual ~NavigatorEvents() = default;
  virtual void BeforeChangeDitta(bool& cancel) = 0;
  virtual void InitializeLayoutObjectModel(bool& cancel, LayoutObjectModel& layout) = 0;
  virtual void InitializeScriptObjectModel(bool& cancel, ScriptObjectModel& script) = 0;
};

class Navigator : public HostObject {
 public:
  void Connect(NavigatorEvents* listener);
  void Disconnect(NavigatorEvents* listener);

  // Raises the company change; answers whether a listener cancelled it.
  bool RaiseBeforeChangeDitta();
  void RaiseInitializeLayoutObjectModel(LayoutObjectModel& layout);
  void RaiseInitializeScriptObjectModel(ScriptObjectModel& script);

  // Operations of the forms.
  void ReceiveStatus(const Variant& value) { status_.push_back(value); }
  void Refresh() { ++refreshes_; }
  void FormActiveAgain() { ++activations_; }
  // The host's window list: a form registers when it opens ("znOpen") and
  // leaves it when it closes ("znClose").
  void RegisterWindow(const std::string& name) { windows_.push_back(name); }
  void UnregisterWindow(const std::string& name) {
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
      if (*it == name) {
        windows_.erase(it);
        return;
      }
    }
  }
  [[nodiscard]] const std::vector<std::string>& Windows() const { return windows_; }
  [[nodiscard]] std::shared_ptr<ScriptObjectModel> Script() const { return script_; }
  void SetScript(std::shared_ptr<ScriptObjectModel> script) { script_ = std::move(script); }

  [[nodiscard]] size_t Listeners() const { return listeners_.size(); }
  [[nodiscard]] int Refreshes() const { return refreshes_; }

 private:
  std::vector<NavigatorEvents*> listeners_;
  std::vector<Variant> status_;
  std::shared_ptr<ScriptObjectModel> script_;
  std::vector<std::string> windows_;
  int refreshes_ = 0;
  int activations_ = 0;
};

}  // namespace host
