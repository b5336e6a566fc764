#include "query_form/saved_queries_ui.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <array>

#include "engine/relative_dates.h"
#include "host/value/error.h"
#include "query_form/condition_model.h"

namespace query_form {
namespace {

engine::SavedQueryStore StoreOf(const SavedQueryForm& form) {
  return engine::SavedQueryStore(form.root, form.database, form.company);
}

void ShowFailure(QWidget* parent, const SavedQueryForm& form, const std::string& what) {
  QMessageBox::warning(parent, form.translate("Ricerche"),
                       form.translate("La ricerca non può essere letta:") + "\n" + QString::fromStdString(what));
}

// Saves, asking before replacing a query of the same name.
bool SaveAsked(QWidget* parent, const SavedQueryForm& form, const engine::SavedQuery& saved) {
  const auto store = StoreOf(form);
  if (store.Load(saved.name)) {
    const QString question =
        form.translate("La ricerca \"%1\" esiste già. Sostituirla?").arg(QString::fromStdString(saved.name));
    if (QMessageBox::question(parent, form.translate("Ricerche"), question) != QMessageBox::Yes) return false;
  }
  store.Save(saved);
  return true;
}

}  // namespace

bool SaveQueryDialog(QWidget* parent, const SavedQueryForm& form) {
  bool ok = false;
  const QString name = QInputDialog::getText(parent, form.translate("Salva ricerca…"),
                                             form.translate("Nome della ricerca:"), QLineEdit::Normal, {}, &ok)
                           .trimmed();
  if (!ok || name.isEmpty()) return false;
  try {
    return SaveAsked(parent, form, form.capture(name.toStdString()));
  } catch (const std::exception& e) {
    ShowFailure(parent, form, e.what());
    return false;
  }
}

bool SavedQueriesDialog(QWidget* parent, const SavedQueryForm& form) {
  QDialog dialog(parent);
  dialog.setObjectName("DlgRicerche");
  dialog.setWindowTitle(form.translate("Ricerche"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(form.translate("Ricerche salvate per questo database e questa azienda"), &dialog));
  auto* list = new QListWidget(&dialog);
  list->setObjectName("LST_Ricerche");
  layout->addWidget(list, 1);
  auto* buttons = new QHBoxLayout();
  auto* open = new QPushButton(form.translate("&Apri"), &dialog);
  open->setObjectName("CmdApri");
  open->setDefault(true);
  auto* remove = new QPushButton(form.translate("E&limina"), &dialog);
  remove->setObjectName("CmdElimina");
  auto* export_button = new QPushButton(form.translate("Es&porta…"), &dialog);
  export_button->setObjectName("CmdEsporta");
  auto* import_button = new QPushButton(form.translate("&Importa…"), &dialog);
  import_button->setObjectName("CmdImporta");
  auto* close = new QPushButton(form.translate("&Chiudi"), &dialog);
  for (QPushButton* b : {open, remove, export_button, import_button}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(close);
  layout->addLayout(buttons);
  const auto store = StoreOf(form);
  const auto fill = [&] {
    list->clear();
    for (const auto& name : store.Names()) list->addItem(QString::fromStdString(name));
    if (list->count() > 0) list->setCurrentRow(0);
    for (QPushButton* b : {open, remove, export_button}) b->setEnabled(list->count() > 0);
  };
  fill();
  bool opened = false;
  const auto current = [&]() -> std::optional<engine::SavedQuery> {
    if (list->currentItem() == nullptr) return std::nullopt;
    try {
      return store.Load(list->currentItem()->text().toStdString());
    } catch (const std::exception& e) {
      ShowFailure(&dialog, form, e.what());
      return std::nullopt;
    }
  };
  const auto open_current = [&] {
    if (auto saved = current()) {
      try {
        form.apply(*saved);
      } catch (const std::exception& e) {
        ShowFailure(&dialog, form, e.what());
        return;
      }
      opened = true;
      dialog.accept();
    }
  };
  QObject::connect(open, &QPushButton::clicked, &dialog, open_current);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, open_current);
  QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
    if (list->currentItem() == nullptr) return;
    store.Remove(list->currentItem()->text().toStdString());
    fill();
  });
  QObject::connect(export_button, &QPushButton::clicked, &dialog, [&] {
    auto saved = current();
    if (!saved) return;
    const QString path = QFileDialog::getSaveFileName(&dialog, form.translate("Es&porta…").remove('&'),
                                                      QString::fromStdString(saved->name) + ".json",
                                                      form.translate("Ricerca JSON (*.json)"));
    if (path.isEmpty()) return;
    try {
      engine::WriteSavedQueryFile(path.toStdString(), *saved);
    } catch (const std::exception& e) {
      ShowFailure(&dialog, form, e.what());
    }
  });
  QObject::connect(import_button, &QPushButton::clicked, &dialog, [&] {
    const QString path = QFileDialog::getOpenFileName(&dialog, form.translate("&Importa…").remove('&'), {},
                                                      form.translate("Ricerca JSON (*.json)"));
    if (path.isEmpty()) return;
    try {
      const engine::SavedQuery saved = engine::ReadSavedQueryFile(path.toStdString());
      if (SaveAsked(&dialog, form, saved)) {
        fill();
        const auto found = list->findItems(QString::fromStdString(saved.name), Qt::MatchExactly);
        if (!found.isEmpty()) list->setCurrentItem(found.front());
      }
    } catch (const std::exception& e) {
      ShowFailure(&dialog, form, e.what());
    }
  });
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
  dialog.resize(420, 320);
  dialog.exec();
  return opened;
}

void AttachRelativeDateMenu(QTableView* view, ConditionModel* model,
                            std::function<QString(const std::string&)> translate) {
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(view, &QWidget::customContextMenuRequested, view, [view, model, translate](const QPoint& at) {
    const QModelIndex index = view->indexAt(at);
    if (!index.isValid() || !model->IsDate(index.row()) ||
        (index.column() != ConditionModel::kFrom && index.column() != ConditionModel::kTo)) {
      return;
    }
    static constexpr std::array<const char*, 6> kDescriptions{"Oggi",          "Mese corrente", "Mese scorso",
                                                              "Settimana scorsa", "Anno corrente", "Ultimi 30 giorni"};
    const auto& names = engine::RelativeDateNames();
    // The names in the module's language: the Italian ones unless its catalog reads English.
    const bool italian = translate("Mese scorso") == QString("Mese scorso");
    const size_t offset = italian ? 0 : kDescriptions.size();
    QMenu menu(view);
    menu.setObjectName("MenuDataRelativa");
    menu.addSection(translate("Data relativa"));
    for (size_t i = 0; i < kDescriptions.size(); ++i) {
      const QString name = QString::fromStdString(names[offset + i]);
      QAction* action = menu.addAction(name + "\t" + translate(kDescriptions[i]));
      QObject::connect(action, &QAction::triggered, view, [model, index, name] { model->setData(index, name, Qt::EditRole); });
    }
    menu.exec(view->viewport()->mapToGlobal(at));
  });
}

}  // namespace query_form
