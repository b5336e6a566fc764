// The tab "Fasi senza versamenti" of the results form: the phases planned and
// never booked of the run's orders (engine::FasiNonVersate) in a grid that
// sorts on a header click and copies its selection with its captions
// (RecordSetModel and GridDefinition, as the form's other grids).
//
// The list is read once, when the tab is first shown: one statement on the
// run's connection. A failure answers failed under "FasiNonVersate" (the
// form shows it) and leaves the grid empty.
#pragma once

#include <QWidget>
#include <functional>

#include "host/value/status.h"
#include <string>

class QLabel;
class QTableView;

namespace engine {
class Comparison;
}

namespace results_form {

class GridDefinition;
class RecordSetModel;

class UnbookedView : public QWidget {
 public:
  using Translate = std::function<QString(const std::string&)>;
  // `layout_key` keeps the grid's layout (columns, widths) apart from the others'.
  UnbookedView(Translate translate, QString layout_key, QWidget* parent = nullptr);

  host::Status Load(engine::Comparison& run);
  [[nodiscard]] bool Loaded() const { return model_ != nullptr; }
  [[nodiscard]] QTableView* Grid() const { return grid_; }
  [[nodiscard]] RecordSetModel* Model() const { return model_; }
  [[nodiscard]] GridDefinition* Definition() const { return definition_; }

 private:
  Translate translate_;
  QString layout_key_;
  QTableView* grid_ = nullptr;
  QLabel* count_ = nullptr;
  RecordSetModel* model_ = nullptr;
  GridDefinition* definition_ = nullptr;
};

}  // namespace results_form
