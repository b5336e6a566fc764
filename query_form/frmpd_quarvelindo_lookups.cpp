// The query form's descriptions and look-ups: KVL_ADVQ_StartDecode with the
// parent pairing of each field, KVL_ADVQ_StartLookup (the master data, the
// calendar for dates, the document look-up for order numbers) and
// PclsLookupDoc_OnSelection.
#include <QTableView>

#include "engine/decodes.h"
#include "query_form/condition_model.h"
#include "query_form/frmpd_quarvelindo.h"
#include "query_form/lookup_dialog.h"

namespace query_form {

namespace {
constexpr int16_t kLookupFrom = 5;  // the side of a look-up on the from-value
}  // namespace

void FRMPD_QUARVELINDO::DecodeRow(int row) {
  if (!PclsDecodeDb) return;
  int16_t cancel = 0;
  QString from_description, to_description;
  const std::string column = conditions_->ColumnOf(row);
  KVL_ADVQ_StartDecode(cancel, conditions_->CaptionOf(row), query_.FromValue(column), from_description,
                       query_.ToValue(column), to_description);
  conditions_->SetDescription(row, false, from_description);
  conditions_->SetDescription(row, true, to_description);
}

void FRMPD_QUARVELINDO::KVL_ADVQ_StartDecode(int16_t& cancel, const std::string& caption,
                                             const host::Variant& from_value, QString& from_description,
                                             const host::Variant& to_value, QString& to_description) {
  cancel = 0;
  try {
    const auto blank = [](const host::Variant& v) { return host::Trim(v.JoinedText()).empty(); };
    // The decode of one side; `side` picks the parent field's value.
    std::function<std::string(const host::Variant&, bool)> decode;
    const auto parent = [this](const char* column, bool to_side) {
      return to_side ? query_.ToValue(column) : query_.FromValue(column);
    };
    auto& d = *PclsDecodeDb;
    if (caption == "Macchina") {
      decode = [&](const host::Variant& v, bool) { return host::Reported(*this, engine::DecodificaMacchina(d, v)); };
    } else if (caption == "Dipendente") {
      decode = [&](const host::Variant& v, bool) { return host::Reported(*this, engine::DecodificaDipendente(d, v)); };
    } else if (caption == "Fase") {
      decode = [&](const host::Variant& v, bool) { return host::Reported(*this, engine::DecodificaFase(d, v)); };
    } else if (caption == "Reparto") {
      decode = [&](const host::Variant& v, bool) { return host::Reported(*this, engine::DecodificaReparto(d, v)); };
    } else if (caption == "Articolo") {
      decode = [&](const host::Variant& v, bool to) {
        return engine::DecodificaArticolo(d, v, parent("PD44_OPZIONE", to));
      };
    } else if (caption == "Variante") {
      decode = [&](const host::Variant& v, bool to) {
        return engine::DecodificaArticolo(d, parent("PD44_CODART_MG66", to), v);
      };
    } else if (caption == "Progetto") {
      decode = [&](const host::Variant& v, bool) { return engine::DecodificaProgetto(d, v, std::string()); };
    } else if (caption == "Sottoprogetto") {
      decode = [&](const host::Variant& v, bool to) {
        return engine::DecodificaProgetto(d, parent("PD44_CODPROG_PD14", to), v);
      };
    } else if (caption == "Nodo") {
      decode = [&](const host::Variant& v, bool to) {
        return engine::DecodificaNodo(d, parent("PD44_CODPROG_PD14", to), v);
      };
    } else if (caption == "Commessa") {
      decode = [&](const host::Variant& v, bool) { return engine::DecodificaCommessa(d, v, std::string()); };
    } else if (caption == "Sottocommessa") {
      decode = [&](const host::Variant& v, bool to) {
        return engine::DecodificaCommessa(d, parent("PD44_CODCOMM", to), v);
      };
    } else {
      return;
    }
    if (!blank(from_value)) from_description = QString::fromStdString(decode(from_value, false));
    if (!blank(to_value)) to_description = QString::fromStdString(decode(to_value, true));
  } catch (...) {
    host::ReportCurrentError(*this, "KVL_ADVQ_StartDecode");
  }
}

void FRMPD_QUARVELINDO::LookupCurrentCell() {
  const QModelIndex current = condition_view_->currentIndex();
  if (!current.isValid()) return;
  const bool to_side = current.column() == ConditionModel::kTo || current.column() == ConditionModel::kToDescription;
  if (to_side && conditions_->IsState(current.row())) return;
  int16_t cancel = 0;
  KVL_ADVQ_StartLookup(cancel, conditions_->CaptionOf(current.row()), to_side ? int16_t{0} : kLookupFrom);
}

void FRMPD_QUARVELINDO::KVL_ADVQ_StartLookup(int16_t& cancel, const std::string& caption, int16_t side) {
  cancel = 0;
  try {
    if (!PclsLookupDb) return;
    const bool from_side = side == kLookupFrom;
    const int row = [&] {
      for (int r = 0; r < conditions_->rowCount(); ++r) {
        if (conditions_->CaptionOf(r) == caption) return r;
      }
      return -1;
    }();
    if (row < 0) return;
    const int cell_column = from_side ? ConditionModel::kFrom : ConditionModel::kTo;
    const QModelIndex cell = conditions_->index(row, cell_column);
    const auto translate = [this](const std::string& s) { return Tr(s); };
    if (conditions_->IsDate(row)) {
      const QString date = PickDate(cell.data().toString(), translate, Window());
      if (!date.isEmpty()) conditions_->setData(cell, date, Qt::EditRole);
      return;
    }
    if (caption == "Numero ordine") {
      // The form runs the document look-up itself.
      cancel = 1;
      LookupDialog dialog(*PclsLookupDb, PclsLookupDb->Documents(), translate, cell.data().toString(), Window());
      if (dialog.exec() != QDialog::Accepted) return;
      auto header = host::RecordSet::Create();
      header->AppendField({"DO11_SEZDOC", host::FieldType::Text, 3});
      header->AppendField({"DO11_NUMDOC", host::FieldType::Text, 10});
      header->Open();
      header->AddNew();
      header->SetValue("DO11_SEZDOC", dialog.Chosen().at("SEZIONALE").toStdString());
      header->SetValue("DO11_NUMDOC", dialog.Chosen().at("CODICE").toStdString());
      header->Update();
      int16_t doc_cancel = 0;
      PclsLookupDoc_OnSelection(doc_cancel, header, header);
      const int section_row = conditions_->RowOfColumn("DO11_SEZDOC");
      conditions_->setData(conditions_->index(section_row, cell_column), QString::fromStdString(chosen_section_),
                           Qt::EditRole);
      conditions_->setData(cell, QString::fromStdString(chosen_number_), Qt::EditRole);
      return;
    }
    std::string parent;
    if (caption == "Sottocommessa") {
      parent = (from_side ? query_.FromValue("PD44_CODCOMM") : query_.ToValue("PD44_CODCOMM")).JoinedText();
      if (host::Trim(parent).empty()) {
        MsgBoxLingua(Tr("Scegliere prima la commessa.").toStdString(), 0, 64, Caption());
        return;
      }
    } else if (caption == "Sottoprogetto" || caption == "Nodo") {
      parent = (from_side ? query_.FromValue("PD44_CODPROG_PD14") : query_.ToValue("PD44_CODPROG_PD14")).JoinedText();
      if (host::Trim(parent).empty()) {
        MsgBoxLingua(Tr("Scegliere prima il progetto.").toStdString(), 0, 64, Caption());
        return;
      }
    }
    const auto definition = PclsLookupDb->Definition(caption, parent);
    if (!definition) return;
    QString typed = cell.data().toString();
    if (typed.contains('*')) typed.remove('*');
    LookupDialog dialog(*PclsLookupDb, *definition, translate, typed, Window());
    if (dialog.exec() != QDialog::Accepted) return;
    conditions_->setData(cell, dialog.Chosen().at("CODICE"), Qt::EditRole);
  } catch (...) {
    host::ReportCurrentError(*this, "KVL_ADVQ_StartLookup");
  }
}

void FRMPD_QUARVELINDO::PclsLookupDoc_OnSelection(int16_t& /*cancel*/, const host::RecordSetPtr& rsetRigaDoc,
                                                  const host::RecordSetPtr& RsetTestateDoc) {
  try {
    if (rsetRigaDoc && rsetRigaDoc->RecordCount() > 0 && RsetTestateDoc) {
      chosen_section_ = RsetTestateDoc->Value("DO11_SEZDOC").JoinedText();
      chosen_number_ = RsetTestateDoc->Value("DO11_NUMDOC").JoinedText();
    }
  } catch (...) {
    // Errors are suppressed.
  }
}

}  // namespace query_form
