// How the public class drives the query form (and sees the results form):
// the window itself lives in query_form/, behind this port, so that the class
// is tested without windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/framework/cinterface.h"

namespace component {

class FormPort : public host::HostObject {
 public:
  [[nodiscard]] virtual std::string Name() const = 0;
  [[nodiscard]] virtual std::string Caption() const = 0;
};

class QueryFormPort : public FormPort {
 public:
  virtual void SetActiveInterface(host::Cinterface* program) = 0;
  // The first access to the window loads the form (its Form_Load runs).
  virtual void SetWindowState(int16_t state) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void Show(bool modal) = 0;
  // Form_QueryUnload and Form_Unload run; the window closes.
  virtual void Unload() = 0;
  // The query form is the module's active window.
  [[nodiscard]] virtual bool MainFormActive() const = 0;
  // The results form, or null.
  [[nodiscard]] virtual std::shared_ptr<FormPort> ResultsForm() const = 0;
};

using QueryFormFactory = std::function<std::shared_ptr<QueryFormPort>()>;

}  // namespace component
