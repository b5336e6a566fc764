// The host's program interface: what the host sets and calls on a module,
// in the order of its slots. A module implements it; its forms hold it as
// their ActiveInterface.
//
// Object members take and give HostObjectPtr (null is Nothing). WindowState
// and ProgramMode take a 32-bit value, keep 16 bits and give 32 back; Top and
// Left take any Variant convertible to a 32-bit integer. Filtro discards what
// it is given and reads back Empty.
#pragma once

#include <cstdint>
#include <memory>

#include "host/framework/global_object.h"
#include "host/framework/host_object.h"
#include "host/framework/navigator.h"
#include "host/value/variant.h"

namespace host {

class Cinterface {
 public:
  virtual ~Cinterface() = default;

  virtual void SetClsGlobal(std::shared_ptr<GlobalObject> global) = 0;
  [[nodiscard]] virtual std::shared_ptr<GlobalObject> GetClsGlobal() const = 0;
  virtual void SetActiveFrame(HostObjectPtr frame) = 0;
  [[nodiscard]] virtual HostObjectPtr GetActiveFrame() const = 0;
  virtual void SetActiveNavigator(std::shared_ptr<Navigator> navigator) = 0;
  [[nodiscard]] virtual std::shared_ptr<Navigator> GetActiveNavigator() const = 0;
  virtual void SetActiveDll(Cinterface* dll) = 0;
  [[nodiscard]] virtual Cinterface* GetActiveDll() const = 0;
  virtual void SetStatusBar(HostObjectPtr bar) = 0;
  [[nodiscard]] virtual HostObjectPtr GetStatusBar() const = 0;
  virtual void LetCanInsert(bool value) = 0;
  [[nodiscard]] virtual bool GetCanInsert() const = 0;
  virtual void LetCanDelete(bool value) = 0;
  [[nodiscard]] virtual bool GetCanDelete() const = 0;
  virtual void LetCanUpdate(bool value) = 0;
  [[nodiscard]] virtual bool GetCanUpdate() const = 0;
  virtual void LetCanQbe(bool value) = 0;
  [[nodiscard]] virtual bool GetCanQbe() const = 0;
  virtual void LetWindowState(int32_t value) = 0;
  [[nodiscard]] virtual int32_t GetWindowState() const = 0;
  virtual void LetWindowModal(bool value) = 0;
  [[nodiscard]] virtual bool GetWindowModal() const = 0;
  virtual void LetProgramMode(int32_t value) = 0;
  [[nodiscard]] virtual int32_t GetProgramMode() const = 0;
  virtual void LetMenuModulo(const Variant& value) = 0;
  [[nodiscard]] virtual Variant GetMenuModulo() const = 0;
  virtual void LetMenuPadre(const Variant& value) = 0;
  [[nodiscard]] virtual Variant GetMenuPadre() const = 0;
  virtual void LetMenuProg(const Variant& value) = 0;
  [[nodiscard]] virtual Variant GetMenuProg() const = 0;
  virtual void LetCaption(const Variant& value) = 0;
  [[nodiscard]] virtual Variant GetCaption() const = 0;
  virtual void LethwndParent(int32_t value) = 0;
  [[nodiscard]] virtual int32_t GethwndParent() const = 0;
  virtual Variant ShowForm() = 0;
  virtual Variant CloseForm() = 0;
  virtual void SetConnection(HostObjectPtr connection) = 0;
  [[nodiscard]] virtual HostObjectPtr GetConnection() const = 0;
  [[nodiscard]] virtual HostObjectPtr GetCwindow() const = 0;
  virtual Variant TransferData(Variant data) = 0;
  [[nodiscard]] virtual Variant GetTop() const = 0;
  virtual void LetTop(const Variant& value) = 0;
  [[nodiscard]] virtual Variant GetLeft() const = 0;
  virtual void LetLeft(const Variant& value) = 0;
  virtual void SetClsVoceMenu(HostObjectPtr item) = 0;
  [[nodiscard]] virtual HostObjectPtr GetClsVoceMenu() const = 0;
  virtual void LetIsActive(bool value) = 0;
  [[nodiscard]] virtual bool GetIsActive() const = 0;
  virtual void LetIsCalled(bool value) = 0;
  [[nodiscard]] virtual bool GetIsCalled() const = 0;
  virtual void LetFiltro(const Variant& value) = 0;
  [[nodiscard]] virtual Variant GetFiltro() const = 0;
};

// The factory a module library exports for the host to create its class
// (extern "C", so that the host finds it by name with dlsym).
using CreateModuleFunction = Cinterface* (*)();
using DestroyModuleFunction = void (*)(Cinterface*);

}  // namespace host
