#include "app/shell/print_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "host/qt/user_settings.h"

namespace shell {

host::GlobalObject::PrintOptions LoadPrintOptions() {
  auto settings = host::qt::UserSettings();
  host::GlobalObject::PrintOptions o;
  o.header = settings->value("print/header", o.header).toBool();
  o.company_data = settings->value("print/company_data", o.company_data).toBool();
  o.references = settings->value("print/references", o.references).toBool();
  o.notes = settings->value("print/notes", o.notes).toBool();
  o.trend = settings->value("print/trend", o.trend).toBool();
  o.unbooked = settings->value("print/unbooked", o.unbooked).toBool();
  o.executing = settings->value("print/executing").toString().toStdString();
  o.destination = settings->value("print/destination").toString().toStdString();
  o.note = settings->value("print/note").toString().toStdString();
  return o;
}

void SavePrintOptions(const host::GlobalObject::PrintOptions& o) {
  auto settings = host::qt::UserSettings();
  settings->setValue("print/header", o.header);
  settings->setValue("print/company_data", o.company_data);
  settings->setValue("print/references", o.references);
  settings->setValue("print/notes", o.notes);
  settings->setValue("print/trend", o.trend);
  settings->setValue("print/unbooked", o.unbooked);
  settings->setValue("print/executing", QString::fromStdString(o.executing));
  settings->setValue("print/destination", QString::fromStdString(o.destination));
  settings->setValue("print/note", QString::fromStdString(o.note));
}

PrintOptionsDialog::PrintOptionsDialog(host::GlobalObject::PrintOptions o,
                                       const std::function<QString(const std::string&)>& tr, QWidget* parent)
    : QDialog(parent) {
  setObjectName("PrintOptions");
  setWindowTitle(tr("Opzioni di stampa"));
  auto* layout = new QVBoxLayout(this);
  header_ = new QCheckBox(tr("Stampa intestazione"), this);
  company_ = new QCheckBox(tr("Stampa dati ditta"), this);
  references_ = new QCheckBox(tr("Stampa riferimenti"), this);
  notes_ = new QCheckBox(tr("Stampa note"), this);
  trend_ = new QCheckBox(tr("Stampa andamento mensile"), this);
  trend_->setObjectName("CHK_Andamento");
  unbooked_ = new QCheckBox(tr("Stampa fasi senza versamenti"), this);
  unbooked_->setObjectName("CHK_FasiNonVersate");
  header_->setChecked(o.header);
  company_->setChecked(o.company_data);
  references_->setChecked(o.references);
  notes_->setChecked(o.notes);
  trend_->setChecked(o.trend);
  unbooked_->setChecked(o.unbooked);
  for (auto* box : {header_, company_, references_, notes_, trend_, unbooked_}) layout->addWidget(box);
  auto* form = new QFormLayout();
  executing_ = new QLineEdit(QString::fromStdString(o.executing), this);
  destination_ = new QLineEdit(QString::fromStdString(o.destination), this);
  note_ = new QLineEdit(QString::fromStdString(o.note), this);
  form->addRow(tr("Eseguito da"), executing_);
  form->addRow(tr("Destinazione"), destination_);
  form->addRow(tr("Note"), note_);
  layout->addLayout(form);
  // Qt's own buttons: their texts come from Qt's translation of the language.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

host::GlobalObject::PrintOptions PrintOptionsDialog::Options() const {
  host::GlobalObject::PrintOptions o;
  o.header = header_->isChecked();
  o.company_data = company_->isChecked();
  o.references = references_->isChecked();
  o.notes = notes_->isChecked();
  o.trend = trend_->isChecked();
  o.unbooked = unbooked_->isChecked();
  o.executing = executing_->text().toStdString();
  o.destination = destination_->text().toStdString();
  o.note = note_->text().toStdString();
  return o;
}

}  // namespace shell
