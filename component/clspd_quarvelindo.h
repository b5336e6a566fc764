// CLSPD_QUARVELINDO: the module's only creatable class. The host creates it,
// sets its program-interface properties and navigator, and calls ShowForm;
// the class opens the query form and answers the navigator's events.
//
// Every member runs with errors suppressed: a failing statement is skipped
// and nothing is reported (a WindowState beyond 16 bits, or a Top that is
// not a number, leaves the old value).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "component/facilities.h"
#include "component/form_port.h"
#include "host/framework/cinterface.h"

namespace component {

class CLSPD_QUARVELINDO : public host::Cinterface, public host::NavigatorEvents {
 public:
  explicit CLSPD_QUARVELINDO(QueryFormFactory make_query_form);
  ~CLSPD_QUARVELINDO() override;
  CLSPD_QUARVELINDO(const CLSPD_QUARVELINDO&) = delete;
  CLSPD_QUARVELINDO& operator=(const CLSPD_QUARVELINDO&) = delete;

  // The event DataTransfer(Data1): the holder connects here.
  using DataTransferHandler = std::function<void(const host::Variant&)>;
  void OnDataTransfer(DataTransferHandler handler) { data_transfer_.push_back(std::move(handler)); }

  void SetClsGlobal(std::shared_ptr<host::GlobalObject> global) override { global_ = std::move(global); }
  [[nodiscard]] std::shared_ptr<host::GlobalObject> GetClsGlobal() const override { return global_; }
  void SetActiveFrame(host::HostObjectPtr frame) override { frame_ = std::move(frame); }
  [[nodiscard]] host::HostObjectPtr GetActiveFrame() const override { return frame_; }
  void SetActiveNavigator(std::shared_ptr<host::Navigator> navigator) override;
  [[nodiscard]] std::shared_ptr<host::Navigator> GetActiveNavigator() const override { return navigator_; }
  void SetActiveDll(host::Cinterface* dll) override { active_dll_ = dll; }
  [[nodiscard]] host::Cinterface* GetActiveDll() const override { return active_dll_; }
  void SetStatusBar(host::HostObjectPtr bar) override { status_bar_ = std::move(bar); }
  [[nodiscard]] host::HostObjectPtr GetStatusBar() const override { return status_bar_; }
  void LetCanInsert(bool v) override { can_insert_ = v; }
  [[nodiscard]] bool GetCanInsert() const override { return can_insert_; }
  void LetCanDelete(bool v) override { can_delete_ = v; }
  [[nodiscard]] bool GetCanDelete() const override { return can_delete_; }
  void LetCanUpdate(bool v) override { can_update_ = v; }
  [[nodiscard]] bool GetCanUpdate() const override { return can_update_; }
  void LetCanQbe(bool v) override { can_qbe_ = v; }
  [[nodiscard]] bool GetCanQbe() const override { return can_qbe_; }
  void LetWindowState(int32_t value) override;
  [[nodiscard]] int32_t GetWindowState() const override { return window_state_; }
  void LetWindowModal(bool v) override { window_modal_ = v; }
  [[nodiscard]] bool GetWindowModal() const override { return window_modal_; }
  void LetProgramMode(int32_t value) override;
  [[nodiscard]] int32_t GetProgramMode() const override { return program_mode_; }
  void LetMenuModulo(const host::Variant& v) override { menu_modulo_ = v; }
  [[nodiscard]] host::Variant GetMenuModulo() const override { return menu_modulo_; }
  void LetMenuPadre(const host::Variant& v) override { menu_padre_ = v; }
  [[nodiscard]] host::Variant GetMenuPadre() const override { return menu_padre_; }
  void LetMenuProg(const host::Variant& v) override { menu_prog_ = v; }
  [[nodiscard]] host::Variant GetMenuProg() const override { return menu_prog_; }
  void LetCaption(const host::Variant& v) override { caption_ = v; }
  [[nodiscard]] host::Variant GetCaption() const override { return caption_; }
  void LethwndParent(int32_t v) override { hwnd_parent_ = v; }
  [[nodiscard]] int32_t GethwndParent() const override { return hwnd_parent_; }
  host::Variant ShowForm() override;
  host::Variant CloseForm() override;
  void SetConnection(host::HostObjectPtr connection) override { connection_ = std::move(connection); }
  [[nodiscard]] host::HostObjectPtr GetConnection() const override { return connection_; }
  [[nodiscard]] host::HostObjectPtr GetCwindow() const override { return window_; }
  host::Variant TransferData(host::Variant data) override;
  [[nodiscard]] host::Variant GetTop() const override { return top_; }
  void LetTop(const host::Variant& value) override;
  [[nodiscard]] host::Variant GetLeft() const override { return left_; }
  void LetLeft(const host::Variant& value) override;
  void SetClsVoceMenu(host::HostObjectPtr item) override { menu_item_ = std::move(item); }
  [[nodiscard]] host::HostObjectPtr GetClsVoceMenu() const override { return menu_item_; }
  void LetIsActive(bool v) override { is_active_ = v; }
  [[nodiscard]] bool GetIsActive() const override { return is_active_; }
  void LetIsCalled(bool v) override { is_called_ = v; }
  [[nodiscard]] bool GetIsCalled() const override { return is_called_; }
  void LetFiltro(const host::Variant& /*value*/) override {}
  [[nodiscard]] host::Variant GetFiltro() const override { return {}; }

  // Navigator events.
  void BeforeChangeDitta(bool& cancel) override;
  void InitializeLayoutObjectModel(bool& cancel, host::LayoutObjectModel& layout) override;
  void InitializeScriptObjectModel(bool& cancel, host::ScriptObjectModel& script) override;

  [[nodiscard]] std::shared_ptr<QueryFormPort> QueryForm() const { return query_form_; }
  [[nodiscard]] const std::string& IdIstanza() { return identity_.IdIstanza(); }

 private:
  QueryFormFactory make_query_form_;
  InstanceIdentity identity_;
  host::Cinterface* active_dll_ = nullptr;
  std::shared_ptr<host::GlobalObject> global_;
  std::shared_ptr<host::Navigator> navigator_;
  host::HostObjectPtr window_, frame_, status_bar_, connection_, menu_item_;
  host::Variant caption_, menu_modulo_, menu_padre_, menu_prog_;
  host::Variant top_ = int32_t{0}, left_ = int32_t{0};
  int16_t window_state_ = 0;
  int16_t program_mode_ = 0;
  int32_t hwnd_parent_ = 0;
  bool can_insert_ = false, can_delete_ = false, can_update_ = false, can_qbe_ = false;
  bool window_modal_ = false, is_active_ = false, is_called_ = false;
  std::shared_ptr<QueryFormPort> query_form_;
  std::unique_ptr<MultiLanguage> standalone_;
  std::vector<DataTransferHandler> data_transfer_;
};

}  // namespace component
