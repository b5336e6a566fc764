#include "query_form/lookup_dialog.h"

#include <QCalendarWidget>
#include <QDate>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "host/value/date_time.h"

namespace query_form {

LookupDialog::LookupDialog(host::LookupService& service, host::LookupDefinition definition, Translate translate,
                           ErrorText error_text, const QString& typed, QWidget* parent)
    : QDialog(parent),
      service_(service),
      definition_(std::move(definition)),
      translate_(std::move(translate)),
      error_text_(std::move(error_text)) {
  setObjectName("LookupDialog");
  setWindowTitle(translate_("Cerca") + " — " + translate_(definition_.title));
  auto* layout = new QVBoxLayout(this);
  search_ = new QLineEdit(this);
  search_->setObjectName("Search");
  search_->setPlaceholderText(translate_("Digitare per cercare per codice o descrizione"));
  search_->setClearButtonEnabled(true);
  search_->setText(typed);
  search_->installEventFilter(this);
  view_ = new QTableView(this);
  view_->setObjectName("Rows");
  view_->setModel(&rows_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setTabKeyNavigation(false);  // read only: Tab goes on to the buttons
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->installEventFilter(this);
  status_ = new QLabel(this);
  auto* buttons = new QDialogButtonBox(this);
  auto* choose = buttons->addButton(translate_("&Scegli"), QDialogButtonBox::AcceptRole);
  buttons->addButton(translate_("&Chiudi"), QDialogButtonBox::RejectRole);
  layout->addWidget(search_);
  layout->addWidget(view_);
  layout->addWidget(status_);
  layout->addWidget(buttons);
  resize(640, 420);

  columns_ = {"CODICE", "DESCRIZIONE"};
  QStringList headers{translate_("Codice"), translate_("Descrizione")};
  static const std::map<std::string, const char*> kExtraCaptions{
      {"SEZIONALE", "Sezionale"}, {"DATA", "Data"}, {"RIGA", "Riga"}, {"QUANTITA", "Quantità"}, {"NUMREG", "NUMREG"}};
  for (const auto& [name, expression] : definition_.extra) {
    columns_.push_back(name);
    auto it = kExtraCaptions.find(name);
    headers << (it == kExtraCaptions.end() ? QString::fromStdString(name) : translate_(it->second));
  }
  rows_.setHorizontalHeaderLabels(headers);

  pause_.setSingleShot(true);
  pause_.setInterval(150);
  connect(&pause_, &QTimer::timeout, this, [this] { Search(); });
  connect(search_, &QLineEdit::textChanged, this, [this] { pause_.start(); });
  connect(view_, &QTableView::doubleClicked, this, [this] { Choose(); });
  connect(choose, &QPushButton::clicked, this, [this] { Choose(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Search();
}

void LookupDialog::Search() {
  pause_.stop();
  rows_.removeRows(0, rows_.rowCount());
  constexpr int kPage = 200;
  try {
    auto page = service_.Page(definition_, search_->text().toStdString(), kPage);
    for (page->MoveFirst(); !page->Eof(); page->MoveNext()) {
      QList<QStandardItem*> items;
      for (size_t c = 0; c < columns_.size() && c < page->FieldCount(); ++c) {
        const host::Variant v = page->Value(c);
        QString text;
        if (v.IsDate()) {
          // As a date is typed in the conditions (and chosen into them).
          text = QDate(v.Date().Year(), v.Date().Month(), v.Date().Day()).toString("dd/MM/yyyy");
        } else if (v.IsNumber()) {
          text = QString::fromStdString(v.ToDecimal().Normalized().ToString());
        } else if (!v.IsNull()) {
          text = QString::fromStdString(host::RTrim(v.JoinedText()));
        }
        items << new QStandardItem(text);
      }
      rows_.appendRow(items);
    }
    // How many codes the search found, or that it shows the first ones only.
    const int found = rows_.rowCount();
    const QString count = QLocale().toString(found);
    status_->setText(found >= kPage ? translate_("Le prime %1 righe: scrivere per restringere la ricerca").arg(count)
                     : found == 0 ? translate_("Nessuna riga trovata")
                     : found == 1 ? translate_("1 riga")
                                  : translate_("%1 righe").arg(count));
  } catch (const host::Error& e) {
    status_->setText(error_text_ ? error_text_(e) : QString::fromStdString(e.what()));
  }
  view_->resizeColumnToContents(0);
  if (rows_.rowCount() > 0) view_->selectRow(0);
}

QString LookupDialog::StatusText() const { return status_->text(); }

void LookupDialog::Choose() {
  const QModelIndex current = view_->currentIndex();
  if (!current.isValid()) return;
  chosen_.clear();
  for (size_t c = 0; c < columns_.size(); ++c) {
    chosen_[columns_[c]] = rows_.item(current.row(), static_cast<int>(c))->text();
  }
  accept();
}

bool LookupDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (pause_.isActive()) Search();
      Choose();
      return true;
    }
    // The arrows move in the list while the search box keeps the focus.
    if (watched == search_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
      const int row = view_->currentIndex().row() + (key->key() == Qt::Key_Down ? 1 : -1);
      if (row >= 0 && row < rows_.rowCount()) view_->selectRow(row);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QString PickDate(const QString& current, const std::function<QString(const std::string&)>& translate,
                 QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(translate("Calendario"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* calendar = new QCalendarWidget(&dialog);
  calendar->setGridVisible(true);
  if (auto date = host::DateTime::Parse(current.toStdString())) {
    calendar->setSelectedDate(QDate(date->Year(), date->Month(), date->Day()));
  }
  layout->addWidget(calendar);
  QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted) return {};
  return calendar->selectedDate().toString("dd/MM/yyyy");
}

}  // namespace query_form
