// The query form's saved queries and relative dates, kept out of the form's
// own file:
//  - *Salva ricerca…*: asks a name and saves what the form holds (conditions
//    as typed, grouping, unit, options) for the form's database and company;
//    an existing name is replaced only when the user says so;
//  - *Ricerche*: the saved queries of that database and company; *Apri* puts
//    one into the form, *Elimina* removes it, *Esporta…* writes it to a JSON
//    file, *Importa…* reads one from a file (of any database) and saves it;
//  - the date fields' menu (right click on a from or to cell): the relative
//    dates, written in the cell as such ("@mese-scorso", or the English name
//    in an English interface).
// Failures (a file that is no query, a folder that cannot be written) are
// shown in a message box and change nothing.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "engine/saved_query.h"

class QTableView;
class QWidget;

namespace query_form {

class ConditionModel;

struct SavedQueryForm {
  std::function<QString(const std::string&)> translate;
  // What the form holds now, under a name.
  std::function<engine::SavedQuery(const std::string& name)> capture;
  // Puts a query into the form (controls, unit, options, views).
  std::function<void(const engine::SavedQuery&)> apply;
  std::string database;  // the form's connection (a file or a connection string)
  std::string company;
  std::string root = engine::SavedQueryStore::DefaultRoot();
};

// Both answer whether something was saved or opened.
bool SaveQueryDialog(QWidget* parent, const SavedQueryForm& form);
bool SavedQueriesDialog(QWidget* parent, const SavedQueryForm& form);

// The right-click menu of the date cells of `view`.
void AttachRelativeDateMenu(QTableView* view, ConditionModel* model,
                            std::function<QString(const std::string&)> translate);

}  // namespace query_form
