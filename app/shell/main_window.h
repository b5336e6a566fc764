// The host shell: a main window with an MDI area, the menu entry that opens
// the module (or brings its open window forward), the company selector with
// the database's companies (a change asks the module first) and a view of
// the debug output. Every text follows the user's language.
#pragma once

#include <QComboBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <memory>

#include "app/shell/module_loader.h"
#include "app/shell/password_store.h"
#include "host/framework/global_object.h"
#include "host/framework/navigator.h"

namespace shell {

struct ShellSettings {
  std::string connection;  // the ERP database
  std::string company = "1";
  std::string language = "it";
  std::string module_path;  // libpdxr_quarvelindo.so
  // Where File → Connessione… keeps passwords (in memory when null).
  std::shared_ptr<PasswordStore> passwords;
};

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(ShellSettings settings, std::shared_ptr<host::MessagePresenter> presenter);
  ~MainWindow() override;

  // The menu entry "Comparazione tempi lavorazione".
  void OpenModule();
  // The company selector's change: the module may refuse it.
  void ChangeCompany(const QString& code);
  // File → Connessione…: the connection dialog; a new choice is saved and,
  // once the module agrees to close, used from now on.
  void ChooseConnection();
  // Uses `connection` (with its password) from now on: false when the open
  // module refuses to close.
  bool ChangeConnection(const std::string& connection);

  [[nodiscard]] QMdiArea* Mdi() const { return mdi_; }
  // What the shell hands the module (the tour turns print options on).
  [[nodiscard]] host::GlobalObject& Global() const { return *global_; }
  [[nodiscard]] QComboBox* Companies() const { return companies_; }
  [[nodiscard]] QAction* ModuleAction() const { return module_action_; }
  [[nodiscard]] host::Cinterface* Module() const { return module_.get(); }
  [[nodiscard]] QAction* DebugAction() const { return debug_action_; }
  [[nodiscard]] QAction* ConnectionAction() const { return connection_action_; }
  // Finestra: the arrangements, then the open windows (made as it opens).
  [[nodiscard]] QMenu* WindowMenu() const { return window_menu_; }
  [[nodiscard]] const std::string& Connection() const { return settings_.connection; }

  // A text of the shell in the user's language.
  [[nodiscard]] QString Tr(const std::string& italian) const;

 private:
  void LoadCompanies();

  ShellSettings settings_;
  std::shared_ptr<host::GlobalObject> global_ = std::make_shared<host::GlobalObject>();
  std::shared_ptr<host::Navigator> navigator_ = std::make_shared<host::Navigator>();
  std::unique_ptr<ModuleLoader> loader_;
  std::shared_ptr<host::Cinterface> module_;
  QMdiArea* mdi_ = nullptr;
  QComboBox* companies_ = nullptr;
  QAction* module_action_ = nullptr;
  QAction* debug_action_ = nullptr;
  QAction* connection_action_ = nullptr;
  QMenu* window_menu_ = nullptr;
  void FillWindowMenu();
  QPlainTextEdit* debug_ = nullptr;
  QString current_company_;
};


}  // namespace shell
