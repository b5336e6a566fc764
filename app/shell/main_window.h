// The host shell: a main window with an MDI area, the menu entry that opens
// the module, the company selector (a change asks the module first) and a
// view of the debug output.
#pragma once

#include <QComboBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <memory>

#include "app/shell/module_loader.h"
#include "host/framework/global_object.h"
#include "host/framework/navigator.h"

namespace shell {

struct ShellSettings {
  std::string connection;  // the ERP database
  std::string company = "1";
  std::string language = "it";
  std::string module_path;  // libpdxr_quarvelindo.so
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

  [[nodiscard]] QMdiArea* Mdi() const { return mdi_; }
  [[nodiscard]] QComboBox* Companies() const { return companies_; }
  [[nodiscard]] QAction* ModuleAction() const { return module_action_; }
  [[nodiscard]] host::Cinterface* Module() const { return module_.get(); }

 private:
  ShellSettings settings_;
  std::shared_ptr<host::GlobalObject> global_ = std::make_shared<host::GlobalObject>();
  std::shared_ptr<host::Navigator> navigator_ = std::make_shared<host::Navigator>();
  std::unique_ptr<ModuleLoader> loader_;
  std::shared_ptr<host::Cinterface> module_;
  QMdiArea* mdi_ = nullptr;
  QComboBox* companies_ = nullptr;
  QAction* module_action_ = nullptr;
  QPlainTextEdit* debug_ = nullptr;
  QString current_company_;
};

// Message boxes of the shell (question, information, critical) by style.
class DialogPresenter : public host::MessagePresenter {
 public:
  int32_t Show(const std::string& text, int32_t buttons, const std::string& title) override;
};

}  // namespace shell
