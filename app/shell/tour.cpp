#include "app/shell/tour.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

#include "app/shell/connection_dialog.h"
#include "app/shell/main_window.h"

namespace shell {
namespace {

struct Tour {
  MainWindow& window;
  QString directory;
  std::vector<std::function<bool()>> steps;
  size_t next = 0;
  size_t waited = 0;  // the first step after the wait for the results
  bool unsaved = false;  // a picture could not be written: the tour ends in failure

  QWidget* Form(const char* name) const {
    for (auto* sub : window.Mdi()->subWindowList()) {
      if (sub->widget() != nullptr && sub->widget()->objectName() == name && sub->isVisible()) return sub->widget();
    }
    return nullptr;
  }
  void Save(const QString& file) { Picture(window, file); }
  void Picture(QWidget& widget, const QString& file) {
    const QString path = directory + "/" + file;
    if (widget.grab().save(path)) {
      std::cout << "saved " << path.toStdString() << "\n";
    } else {
      std::cerr << "tour: cannot save " << path.toStdString() << "\n";
      unsaved = true;
    }
  }
  static int RowOf(QAbstractItemModel* model, const QString& caption) {
    for (int r = 0; r < model->rowCount(); ++r) {
      if (model->index(r, 0).data().toString() == caption) return r;
    }
    return -1;
  }
  void Run() {
    if (next >= steps.size()) {
      QApplication::exit(unsaved ? 1 : 0);
      return;
    }
    if (!steps[next]()) {
      std::cerr << "tour: step " << next + 1 << " failed\n";
      Save("failed.png");
      QApplication::exit(1);
      return;
    }
    ++next;
    QTimer::singleShot(400, &window, [this] { Run(); });
  }
};

}  // namespace

void StartTour(MainWindow& window, const QString& directory) {
  QDir().mkpath(directory);
  auto* tour = new Tour{window, directory, {}};
  auto& s = tour->steps;
  s.push_back([tour] {
    // The connection dialog as File → Connessione… opens it, on an ODBC driver.
    ConnectionDialog dialog("Driver={FreeTDS};Server=erp;Port=1433;Database=ERP;UID=controller;PWD=secret",
                            [tour](const std::string& text) { return tour->window.Tr(text); }, &tour->window);
    dialog.show();
    tour->Picture(dialog, "connection-dialog.png");
    return true;
  });
  s.push_back([tour] {
    tour->window.OpenModule();
    auto* form = tour->Form("FRMPD_QUARVELINDO");
    if (form == nullptr) return false;
    qobject_cast<QMdiSubWindow*>(form->parentWidget())->showMaximized();
    return true;
  });
  s.push_back([tour] {
    auto* view = tour->Form("FRMPD_QUARVELINDO")->findChild<QTableView*>("KVL_ADVQ");
    auto* model = view->model();
    const int date = Tour::RowOf(model, "Data reg.vers.");
    model->setData(model->index(date, 1), "01/03/2026");
    model->setData(model->index(date, 2), "31/03/2026");
    const int machine = Tour::RowOf(model, "Macchina");
    view->setCurrentIndex(model->index(machine, 1));
    view->setFocus();
    // F4 opens the machine's look-up (a modal window): it is pictured and
    // its first row chosen from the keyboard.
    QTimer::singleShot(300, tour->Form("FRMPD_QUARVELINDO"), [tour] {
      auto* lookup = QApplication::activeModalWidget();
      if (lookup == nullptr) return;
      lookup->findChild<QLineEdit*>("Search")->setText("3");
      QTimer::singleShot(500, lookup, [tour, lookup] {
        tour->Picture(*lookup, "lookup.png");
        auto* search = lookup->findChild<QLineEdit*>("Search");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(search, &enter);
      });
    });
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(view, &f4);
    return model->index(machine, 1).data().toString() == "M03";
  });
  s.push_back([tour] {
    tour->Save("query-form.png");
    return true;
  });
  s.push_back([tour] {
    auto* form = tour->Form("FRMPD_QUARVELINDO");
    form->findChild<QTabWidget*>("SSTab1")->setCurrentIndex(1);
    auto* model = form->findChild<QListView*>("KVL_ADVO")->model();
    for (int r = 0; r < model->rowCount(); ++r) model->setData(model->index(r, 0), Qt::Unchecked, Qt::CheckStateRole);
    const int department = Tour::RowOf(model, "Reparto");
    model->setData(model->index(department, 0), Qt::Checked, Qt::CheckStateRole);
    const int phase = Tour::RowOf(model, "Fase");
    model->setData(model->index(phase, 0), Qt::Checked, Qt::CheckStateRole);
    return department >= 0 && phase >= 0;
  });
  s.push_back([tour] {
    tour->Save("grouping.png");
    auto* form = tour->Form("FRMPD_QUARVELINDO");
    form->findChild<QTabWidget*>("SSTab1")->setCurrentIndex(0);
    form->findChild<QComboBox*>("CMB_TIPOTEMPO")->setCurrentIndex(1);  // hh,hh
    form->findChild<QLineEdit*>("TXT_STATICHIUSI")->setText("9");  // the demo's closed orders
    form->findChild<QPushButton*>("CmdDupl")->click();
    return true;
  });
  // The run works on its own thread: wait for the results form (a year of
  // bookings takes a while).
  for (int i = 0; i < 600; ++i) {
    s.push_back([tour] {
      // Run then moves on to the first step after the wait.
      if (tour->Form("FRMPD_MAVANZORDLAV") != nullptr) tour->next = tour->waited - 1;
      return true;
    });
  }
  tour->waited = s.size();
  s.push_back([tour] {
    auto* results = tour->Form("FRMPD_MAVANZORDLAV");
    if (results == nullptr) return false;
    qobject_cast<QMdiSubWindow*>(results->parentWidget())->showMaximized();
    return true;
  });
  // The groups' figures come in after the form opens: the picture waits for
  // the totals row, then shows the groups by gap %, largest first.
  const size_t figures_wait = s.size();
  for (int i = 0; i < 300; ++i) {
    s.push_back([tour, figures_wait] {
      auto* results = tour->Form("FRMPD_MAVANZORDLAV");
      auto* total = results == nullptr ? nullptr : results->findChild<QLabel*>("LBL_Tot_0");
      if (total != nullptr && !total->text().isEmpty()) tour->next = figures_wait + 300 - 1;
      return true;
    });
  }
  s.push_back([tour] {
    auto* results = tour->Form("FRMPD_MAVANZORDLAV");
    auto* groups = results->findChild<QTableView*>("GRD_VERS");
    for (int c = 0; c < groups->model()->columnCount(); ++c) {
      // The header's tooltip names the column's field.
      if (groups->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString() == "FIG_GAPPERC") {
        groups->sortByColumn(c, Qt::DescendingOrder);
      }
    }
    if (groups->model()->rowCount() > 1) groups->selectRow(1);
    return true;
  });
  s.push_back([tour] {
    tour->Save("results-form.png");
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QTabWidget*>("SummaryTabs")->setCurrentIndex(1);
    return true;
  });
  s.push_back([tour] {
    tour->Save("results-chart.png");
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QTabWidget*>("SummaryTabs")->setCurrentIndex(2);
    return true;
  });
  s.push_back([tour] {
    tour->Save("results-gaps.png");
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QTabWidget*>("SummaryTabs")->setCurrentIndex(3);
    return true;
  });
  s.push_back([tour] {
    // The phases' last columns in sight: the order's state and whether it is closed.
    auto* phases = tour->Form("FRMPD_MAVANZORDLAV")->findChild<QTableView*>("GRD_FasiNonVersate");
    if (phases != nullptr && phases->model() != nullptr && phases->model()->rowCount() > 0) {
      phases->scrollTo(phases->model()->index(0, phases->model()->columnCount() - 1));
    }
    return true;
  });
  s.push_back([tour] {
    tour->Save("results-unbooked.png");
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QTabWidget*>("SummaryTabs")->setCurrentIndex(4);
    return true;
  });
  s.push_back([tour] {
    tour->Save("results-trend.png");
    // Esporta: the workbook into the temporary folder (not among the
    // pictures), chosen from the menu and the file window as a user does.
    // The answer to "open it?" is No.
    auto* poll = new QTimer(&tour->window);
    QObject::connect(poll, &QTimer::timeout, poll, [tour, poll] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        menu->setActiveAction(menu->actions().front());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
        return;
      }
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        // The name it offers.
        files->setDirectory(QDir::tempPath());
        files->selectFile("comparazione.xlsx");
        static_cast<QDialog*>(files)->accept();  // as its Save button does
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        box->escapeButton()->click();
        poll->deleteLater();
      }
    });
    poll->start(100);
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QPushButton*>("KVL_EXPTOQV1")->click();
    return QFile::remove(QDir::tempPath() + "/comparazione.xlsx");  // it was written
  });
  s.push_back([tour] {
    // Stampa opens the print preview (modal): pictured, then closed.
    QTimer::singleShot(2500, &tour->window, [tour] {
      if (auto* preview = QApplication::activeModalWidget()) {
        tour->Picture(*preview, "print-preview.png");
        preview->close();
      }
    });
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QPushButton*>("CmdStampa")->click();
    return true;
  });
  s.push_back([tour] {
    // Once more with the months of each group (Opzioni di stampa), for this
    // run only: the first group's chart and figures on the first page.
    tour->window.Global().print_options.trend = true;
    QTimer::singleShot(2500, &tour->window, [tour] {
      if (auto* preview = QApplication::activeModalWidget()) {
        tour->Picture(*preview, "report-trend.png");
        preview->close();
      }
      tour->window.Global().print_options.trend = false;
    });
    tour->Form("FRMPD_MAVANZORDLAV")->findChild<QPushButton*>("CmdStampa")->click();
    return true;
  });
  QTimer::singleShot(300, &window, [tour] { tour->Run(); });
}

}  // namespace shell
