// The look-up window of a field: type to search by code or description,
// Enter or a double click chooses, Esc closes. Each keystroke (after a short
// pause) asks the look-up service for one page of at most 200 rows, so a
// table of 100,000 articles opens as fast as one of ten.
#pragma once

#include <QDialog>
#include <QStandardItemModel>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

#include "host/services/lookup_service.h"

class QLineEdit;
class QTableView;
class QLabel;

namespace query_form {

class LookupDialog : public QDialog {
 public:
  using Translate = std::function<QString(const std::string&)>;
  // A search that fails shows why under the rows, as `error_text` words it
  // in the user's language (the error's own text when not given).
  using ErrorText = std::function<QString(const host::Error&)>;
  LookupDialog(host::LookupService& service, host::LookupDefinition definition, Translate translate,
               ErrorText error_text, const QString& typed, QWidget* parent = nullptr);

  // The chosen row by column name (CODICE, DESCRIZIONE and the extra ones).
  [[nodiscard]] const std::map<std::string, QString>& Chosen() const { return chosen_; }
  // Runs the search now (tests; the window does it after a pause).
  void Search();
  [[nodiscard]] QStandardItemModel& Rows() { return rows_; }
  [[nodiscard]] QLineEdit* SearchBox() const { return search_; }
  // What the search found ("12 righe"), or why it failed.
  [[nodiscard]] QString StatusText() const;
  void Choose();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  host::LookupService& service_;
  host::LookupDefinition definition_;
  Translate translate_;
  ErrorText error_text_;
  QLineEdit* search_ = nullptr;
  QTableView* view_ = nullptr;
  QLabel* status_ = nullptr;
  QStandardItemModel rows_;
  QTimer pause_;
  std::vector<std::string> columns_;
  std::map<std::string, QString> chosen_;
};

// A calendar to pick a date; answers "" when closed without a choice.
QString PickDate(const QString& current, const std::function<QString(const std::string&)>& translate,
                 QWidget* parent);

}  // namespace query_form
