#include "results_form/unbooked_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "engine/category_texts.h"
#include "engine/comparison.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"
#include "results_form/grid_columns.h"
#include "results_form/grid_definition.h"
#include "results_form/recordset_model.h"

namespace results_form {

UnbookedView::UnbookedView(Translate translate, QString layout_key, QWidget* parent)
    : QWidget(parent), translate_(std::move(translate)), layout_key_(std::move(layout_key)) {
  setObjectName("FasiNonVersate");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  count_ = new QLabel(this);
  count_->setObjectName("LBL_FasiNonVersate");
  layout->addWidget(count_);
  grid_ = new QTableView(this);
  grid_->setObjectName("GRD_FasiNonVersate");
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setTabKeyNavigation(false);  // read only: Tab leaves the grid
  grid_->setAlternatingRowColors(true);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->verticalHeader()->hide();
  layout->addWidget(grid_, 1);
}

host::Status UnbookedView::Load(engine::Comparison& run) {
  if (model_ != nullptr) return {};
  host::RecordSetPtr phases;
  try {
    phases = engine::FasiNonVersate(run);
  } catch (...) {
    return host::Status::FailedHere("FasiNonVersate");
  }
  std::vector<RecordSetModel::Column> columns;
  for (const auto& c : engine::kUnbookedColumns) {
    RecordSetModel::Column column{c.field, translate_(c.caption)};
    const std::string field = c.field;
    if (field == "DO11_NUMDOC" || field == "DO30_PROGRIGA" || field == "SEQFASE" || field == "CODFASE" ||
        field == "OMSPREV" || field == "STATOORDINE") {
      column.alignment = Qt::AlignRight | Qt::AlignVCenter;
    }
    if (field == "OMSPREV") {
      // Shown as the unit reads, sorted as the seconds are.
      column.shown = "PREV_SEC";
      const auto unit = static_cast<int16_t>(run.Unit());
      column.text = [unit](const host::Variant& seconds) { return LocalFigure(engine::TimeText(seconds, unit)); };
    }
    if (field == "CHIUSA") {
      // "sì"/"no" in the user's language.
      column.text = [this](const host::Variant& closed) {
        return closed.IsNull() || closed.IsEmpty() ? QString() : translate_(closed.ToText());
      };
    }
    columns.push_back(std::move(column));
  }
  model_ = new RecordSetModel(phases, std::move(columns), grid_);
  grid_->setModel(model_);
  model_->Bind(grid_);
  grid_->resizeColumnsToContents();
  definition_ = new GridDefinition(grid_, model_, layout_key_, translate_);
  count_->setText(translate_(engine::kUnbookedTitle) + ": " + QString::number(model_->rowCount()));
  return {};
}

}  // namespace results_form
