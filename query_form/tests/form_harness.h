// The module's forms as the host opens them, for Qt Test: a global object on
// a test database, a navigator, the public class with the real query form,
// message boxes answered and recorded, settings in a temporary file.
#pragma once

#include <QComboBox>
#include <QtTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/clspd_quarvelindo.h"
#include "host/framework/global_object.h"
#include "host/framework/message_presenter.h"
#include "host/framework/navigator.h"
#include "query_form/frmpd_quarvelindo.h"

namespace query_form::testing {

// Waits for a run started by CmdDupl to end.
inline bool WaitForRun(const FRMPD_QUARVELINDO& form, int milliseconds = 60000) {
  QElapsedTimer timer;
  timer.start();
  while (form.Running() && timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::processEvents();
  return !form.Running();
}

struct FormHarness {
  explicit FormHarness(const std::string& database, const std::string& language = "it", int32_t answer = 1) {
    presenter = std::make_shared<host::RecordingPresenter>(answer);
    global = std::make_shared<host::GlobalObject>();
    global->connection_info.connection_string = database;
    global->company.code = "1";
    global->translation =
        std::make_shared<host::TranslationService>(host::MessageCatalog::BuiltIn(), language, presenter);
    global->presenter = presenter;
    module = std::make_unique<component::CLSPD_QUARVELINDO>([] { return FRMPD_QUARVELINDO::Create(); });
    module->SetClsGlobal(global);
    module->SetActiveNavigator(navigator);
    module->LetCaption("Comparazione tempi lavorazione");
  }
  // The query form still open (and its results) closes as the test ends.
  ~FormHarness() {
    if (const auto open = module->QueryForm()) open->Unload();
  }

  // ShowForm, as the host's menu does; the form's first activation has run.
  std::shared_ptr<FRMPD_QUARVELINDO> Open() {
    module->ShowForm();
    return std::dynamic_pointer_cast<FRMPD_QUARVELINDO>(module->QueryForm());
  }

  // Opens the query form (kept in `form`) and runs it, grouped by `grouping`
  // and in time unit `unit` where given: the results form the run opened,
  // null when the run did not end.
  std::shared_ptr<results_form::FRMPD_MAVANZORDLAV> Run(const std::vector<std::string>& grouping,
                                                        std::optional<int> unit = {}) {
    return Run(&grouping, unit);
  }
  std::shared_ptr<results_form::FRMPD_MAVANZORDLAV> Run(const std::vector<std::string>* grouping = nullptr,
                                                        std::optional<int> unit = {}) {
    form = Open();
    if (grouping != nullptr) form->KVL_ADVO().SetGrouping(*grouping);
    if (unit) form->CMB_TIPOTEMPO()->setCurrentIndex(*unit);
    form->CmdDupl_Click();
    if (!WaitForRun(*form)) return nullptr;
    return form->FrmMod();
  }

  // The texts the message boxes showed.
  [[nodiscard]] QStringList Shown() const {
    QStringList out;
    for (const auto& s : presenter->shown) out << QString::fromStdString(s.text);
    return out;
  }

  std::shared_ptr<host::RecordingPresenter> presenter;
  std::shared_ptr<host::GlobalObject> global;
  std::shared_ptr<host::Navigator> navigator = std::make_shared<host::Navigator>();
  std::unique_ptr<component::CLSPD_QUARVELINDO> module;
  std::shared_ptr<FRMPD_QUARVELINDO> form;  // the query form of the last Run
};

}  // namespace query_form::testing
