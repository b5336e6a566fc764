// FRMPD_QUARVELINDO, the query form. For now its window shows the company
// and the database the module works on; its lifecycle (Form_Initialize,
// Form_Load, Form_Unload, Form_Terminate) is the full one: trace lines,
// the connection opened from the host's connection string and handed back
// through the program interface, and closed at unload.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "component/facilities.h"
#include "component/form_port.h"
#include "host/db/connection.h"

namespace query_form {

// The open connection handed back to the host through Cinterface.
struct ConnectionObject : host::HostObject {
  std::shared_ptr<host::db::Connection> connection;
};

class FRMPD_QUARVELINDO : public component::QueryFormPort, public std::enable_shared_from_this<FRMPD_QUARVELINDO> {
 public:
  static std::shared_ptr<FRMPD_QUARVELINDO> Create();
  FRMPD_QUARVELINDO();
  ~FRMPD_QUARVELINDO() override;
  FRMPD_QUARVELINDO(const FRMPD_QUARVELINDO&) = delete;
  FRMPD_QUARVELINDO& operator=(const FRMPD_QUARVELINDO&) = delete;

  std::string Name() const override { return "FRMPD_QUARVELINDO"; }
  std::string Caption() const override;
  void SetActiveInterface(host::Cinterface* program) override { active_interface_ = program; }
  void SetWindowState(int16_t state) override;
  void SetCaption(const std::string& caption) override;
  void Show(bool modal) override;
  void Unload() override;
  bool MainFormActive() const override;
  std::shared_ptr<component::FormPort> ResultsForm() const override { return nullptr; }

  [[nodiscard]] QWidget* Window() const { return window_; }
  [[nodiscard]] const std::string& CompanyCode() const { return company_; }

 private:
  void FormLoad();
  void FormUnload();
  void GestioneErrore(const std::string& procedure, const host::Error& error);

  component::InstanceIdentity identity_;
  host::Cinterface* active_interface_ = nullptr;
  QPointer<QWidget> window_;
  bool loaded_ = false;
  std::string company_;
  std::shared_ptr<host::db::Connection> connection_;  // GconConnect
  std::unique_ptr<component::MultiLanguage> standalone_;
};

}  // namespace query_form
