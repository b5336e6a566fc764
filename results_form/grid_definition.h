// A grid's definition (FwGridDefinition): the column order, widths and
// visibility that the user gives a grid, kept per layout key (form name,
// ".", grid name and the time unit) in the user's settings and restored on
// the next opening. The header's context menu chooses the columns and
// restores the default layout; a click on a header sorts; Ctrl+C copies the
// selected cells with their captions as tab-separated text; Ctrl+Home and
// Ctrl+End select the first and the last row.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QTableView;

namespace results_form {

class RecordSetModel;

class GridDefinition : public QObject {
 public:
  using Translate = std::function<QString(const std::string&)>;
  // `view` shows `model`; the columns' visibility and widths are the
  // defaults until a saved layout replaces them.
  GridDefinition(QTableView* view, RecordSetModel* model, QString layout_key, Translate translate);

  // The saved layout, if any, else the defaults.
  void Restore();
  void Save() const;
  void RestoreDefault();
  // The selected cells as text: a header line of captions, then one line per
  // row, cells separated by tabs.
  [[nodiscard]] QString SelectionText() const;
  [[nodiscard]] const QString& Key() const { return key_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowHeaderMenu(const QPoint& at);

  QPointer<QTableView> view_;
  QTimer save_later_;  // a drag resizes many times: the layout is written once it settles
  QPointer<RecordSetModel> model_;  // the form may delete it before this object
  QString key_;
  Translate translate_;
};

}  // namespace results_form
