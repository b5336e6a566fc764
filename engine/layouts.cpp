#include "engine/layouts.h"

namespace engine {

using host::CharField;
using host::DecimalField;
using host::FieldDef;
using host::RecordSet;
using host::RecordSetPtr;
using host::TextField;
using host::VariantField;

namespace {

FieldDef TimeField(std::string_view base, std::string_view suffix) {
  std::string name = std::string(base) + std::string(suffix);
  if (base == "OREPREV" || base == "OREVERS") return DecimalField(name, 14, 2);
  if (base == "MINPREV" || base == "MINVERS") return DecimalField(name, 18, 2);
  if (base == "SECPREV" || base == "SECVERS") return DecimalField(name, 18, 0);
  if (base == "GAPPERC") return DecimalField(name, 8, 2);
  return VariantField(name);  // OMSPREV, OMSVERS, GAP
}

}  // namespace

TimeFieldIndex::TimeFieldIndex(const RecordSet& records) {
  for (size_t c = 0; c < kCategorySuffixes.size(); ++c) {
    for (size_t b = 0; b < kTimeFieldBases.size(); ++b) {
      const std::string name = std::string(kTimeFieldBases[b]) + std::string(kCategorySuffixes[c]);
      const int i = records.FieldIndex(name);
      if (i < 0) throw host::Error(host::kErrItemNotFound, "Item cannot be found in the collection: " + name, "Recordset");
      at_[c][b] = static_cast<size_t>(i);
    }
  }
}

void AppendTimeFields(RecordSet& records) {
  for (const std::string_view suffix : kCategorySuffixes) {
    for (const std::string_view base : kTimeFieldBases) records.AppendField(TimeField(base, suffix));
  }
}

RecordSetPtr NewRSCampi() {
  auto rs = RecordSet::Create();
  rs->AppendField(TextField("NOME", 40));
  rs->AppendField(TextField("ALIAS", 40));
  rs->AppendField(TextField("ALIASLINGUA", 40));
  rs->AppendField(DecimalField("GRUPPO", 1, 0));
  rs->AppendField(CharField("TIPO", 1));
  rs->AppendField(DecimalField("DECIMALI", 1, 0));
  rs->AppendField(TextField("NOMEPREV", 40));
  return rs;
}

RecordSetPtr NewRSTempiPrev() {
  auto rs = RecordSet::Create();
  rs->AppendField(DecimalField("IDGRUPPO", 12, 0));
  AppendTimeFields(*rs);
  return rs;
}

RecordSetPtr NewRSTempiPrevDett() {
  auto rs = RecordSet::Create();
  rs->AppendField(DecimalField("IDVERS", 12, 0));
  rs->AppendField(DecimalField("IDCICLO", 18, 0));
  rs->AppendField(DecimalField("QTAODL", 14, 3));
  AppendTimeFields(*rs);
  return rs;
}

void InizializzaRS(RunContext& context, RunRecordSets& run) {
  try {
    run.RSCampi.reset();
    run.RSTempiVer.reset();
    run.RSTempiVerDett.reset();
    run.RSTempiPrev.reset();
    run.RSTempiPrevDett.reset();
    run.RSCampi = NewRSCampi();
    run.RSCampi->Open();
    run.RSTempiPrev = NewRSTempiPrev();
    run.RSTempiPrev->Open();
    run.RSTempiPrevDett = NewRSTempiPrevDett();
    run.RSTempiPrevDett->Open();
  } catch (const std::exception&) {
    context.Caught("InizializzaRS");
  }
}

}  // namespace engine
