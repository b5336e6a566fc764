#include "engine/presentation/result_layout.h"

#include <algorithm>
#include <optional>

#include "engine/decodes.h"
#include "engine/value_helpers.h"

namespace engine {
namespace {

using host::Variant;

std::optional<LabelPair> PairOfAlias(const std::string& alias) {
  if (alias == "Articolo" || alias == "Variante") return LabelPair::Articolo;
  if (alias == "Fase" || alias == "Sequenza fase") return LabelPair::Fase;
  if (alias == "Reparto") return LabelPair::Reparto;
  if (alias == "Macchina") return LabelPair::Macchina;
  if (alias == "Dipendente") return LabelPair::Dipendente;
  if (alias == "Progetto" || alias == "Sottoprogetto") return LabelPair::Progetto;
  if (alias == "Commessa" || alias == "Sottocommessa") return LabelPair::Commessa;
  if (alias == "Codice ordine" || alias == "Numero ordine" || alias == "Sezionale ordine" || alias == "Data ordine" ||
      alias == "Riga ordine") {
    return LabelPair::Ordine;
  }
  if (alias == "Data consegna") return LabelPair::DataCons;
  if (alias == "Data ini. lavoraz.") return LabelPair::DataIniLav;
  return std::nullopt;
}

std::string Text(const Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : host::RTrim(v.JoinedText()); }

}  // namespace

// The value of a grouping field in the current group, or Empty when the
// run did not select it.
static Variant Field(const host::RecordSet& groups, const char* name) {
  const int index = groups.FieldIndex(name);
  return index < 0 ? Variant() : groups.Value(static_cast<size_t>(index));
}

namespace {

std::string DateText(const Variant& v) {
  if (!v.IsDate()) return Text(v);
  const host::DateTime d = v.Date();
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.Day(), d.Month(), d.Year());
  return text;
}

std::string NumberText(const Variant& v) {
  return v.IsNumber() ? v.ToDecimal().Normalized().ToString() : Text(v);
}

std::string Joined(std::initializer_list<std::string> parts) {
  std::string out;
  for (const auto& p : parts) {
    if (p.empty()) continue;
    out += (out.empty() ? "" : " ") + p;
  }
  return out;
}

}  // namespace

std::string LabelCaption(LabelPair pair) {
  switch (pair) {
    case LabelPair::Articolo: return "Articolo";
    case LabelPair::Fase: return "Fase";
    case LabelPair::Reparto: return "Reparto";
    case LabelPair::Macchina: return "Macchina";
    case LabelPair::Dipendente: return "Dipendente";
    case LabelPair::Progetto: return "Progetto";
    case LabelPair::Commessa: return "Commessa";
    case LabelPair::Ordine: return "Ordine";
    case LabelPair::DataCons: return "Data cons.";
    case LabelPair::DataIniLav: return "Data ini.lav.";
  }
  return {};
}

ResultLayout PreparaFormLayout(const host::RecordSet& groups, const host::RecordSet& campi) {
  ResultLayout layout;
  auto metadata = campi.Clone();
  const size_t count = groups.FieldCount();
  for (size_t i = 0; i < count; ++i) {
    const host::FieldDef& field = groups.Field(i);
    GridColumn c;
    c.field = field.name;
    c.caption = field.name;
    c.kind = ColumnKind::Text;
    c.visible = field.name != "IDGRUPPO";
    const bool last = i + 1 == count;
    if (!last && metadata->RecordCount() > 0) {
      metadata->MoveFirst();
      metadata->Find("NOME = '" + host::ReplaceAll(field.name, "'", "''") + "'");
      if (!metadata->Eof()) {
        const std::string alias = Text(metadata->Value("ALIAS"));
        const std::string shown = Text(metadata->Value("ALIASLINGUA"));
        c.caption = shown.empty() ? alias : shown;
        const std::string tipo = Text(metadata->Value("TIPO"));
        if (tipo == "N") {
          c.kind = ColumnKind::Number;
          c.alignment = Alignment::Right;
          const Variant decimals = metadata->Value("DECIMALI");
          if (host::CompareNumbers(ValoreNumerico(decimals), int16_t{0}) > 0) {
            c.format = NumberFormat(ValoreNumerico(decimals).ToInt16());
          }
        }
        if (field.name == "OREVERS" || field.name == "MINVERS" || field.name == "SECVERS") c.visible = false;
        // The booked triple is flagged in RSCampi too, though it is a sum.
        const bool time = field.name == "OREVERS" || field.name == "MINVERS" || field.name == "SECVERS";
        const bool grouping = !time && metadata->FieldIndex("GRUPPO") >= 0 &&
                              host::CompareNumbers(ValoreNumerico(metadata->Value("GRUPPO")), int16_t{1}) == 0;
        if (grouping) layout.grouping_fields.push_back(field.name);
        if (const auto pair = grouping ? PairOfAlias(alias) : std::nullopt) {
          if (std::find(layout.pairs.begin(), layout.pairs.end(), *pair) == layout.pairs.end()) {
            layout.pairs.push_back(*pair);
          }
        }
      }
    }
    layout.columns.push_back(std::move(c));
  }
  return layout;
}

host::Valued<std::vector<LabelText>> LabelRowTexts(host::LanguageServices& language, host::DecodeService& decode,
                                                   const host::RecordSet& groups, const std::vector<LabelPair>& pairs,
                                                   const std::vector<std::string>& grouping_fields) {
  std::vector<LabelText> out;
  host::Status status;
  const auto described = [&status](host::Valued<std::string> decoded) {
    status.Add(decoded.status);
    return std::move(decoded.value);
  };
  // A field that is not a grouping dimension holds one booking's value: not read.
  const auto Field = [&](const host::RecordSet& rs, const char* name) {
    if (!grouping_fields.empty() &&
        std::find(grouping_fields.begin(), grouping_fields.end(), std::string(name)) == grouping_fields.end()) {
      return Variant();
    }
    return engine::Field(rs, name);
  };
  const auto coded = [&](const Variant& code, const std::string& description) {
    return Joined({Text(code), description});
  };
  for (const LabelPair pair : pairs) {
    LabelText label{pair, language.TraduciCaption(LabelCaption(pair)), {}};
    switch (pair) {
      case LabelPair::Articolo: {
        const Variant article = Field(groups, "PD44_CODART_MG66");
        const Variant variant = Field(groups, "PD44_OPZIONE");
        label.value = Joined({Text(article), Text(variant), DecodificaArticolo(decode, article, variant)});
        break;
      }
      case LabelPair::Fase: {
        const Variant phase = Field(groups, "PD44_CODFASE_PD12");
        const Variant sequence = Field(groups, "PD44_SEQFASE");
        label.value = coded(phase, described(DecodificaFase(decode, phase)));
        if (!Text(sequence).empty() && host::CompareNumbers(ValoreNumerico(sequence), int16_t{0}) != 0) {
          label.value = Joined({label.value, language.TestoLingua("seq.", 51943, 0), NumberText(sequence)});
        }
        break;
      }
      case LabelPair::Reparto: {
        const Variant v = Field(groups, "PD44_CODFORNREP");
        label.value = coded(v, described(DecodificaReparto(decode, v)));
        break;
      }
      case LabelPair::Macchina: {
        const Variant v = Field(groups, "PD44_MACCHINA_PD08");
        label.value = coded(v, described(DecodificaMacchina(decode, v)));
        break;
      }
      case LabelPair::Dipendente: {
        const Variant v = Field(groups, "PD44_CODDIP_PD06");
        label.value = coded(v, described(DecodificaDipendente(decode, v)));
        break;
      }
      case LabelPair::Progetto: {
        const Variant v = Field(groups, "PD44_CODPROG_PD14");
        label.value = Text(v).empty() ? std::string() : coded(v, DecodificaProgetto(decode, v, std::string()));
        const std::string sub = NumberText(Field(groups, "PD44_SOTPROG_PD14"));
        if (!sub.empty()) label.value = Joined({label.value, "/", sub});
        break;
      }
      case LabelPair::Commessa: {
        const Variant v = Field(groups, "PD44_CODCOMM");
        label.value = Text(v).empty() ? std::string() : coded(v, DecodificaCommessa(decode, v, std::string()));
        const std::string sub = NumberText(Field(groups, "PD44_CODSCOM"));
        if (!sub.empty()) label.value = Joined({label.value, "/", sub});
        break;
      }
      case LabelPair::Ordine: {
        const Variant code = Field(groups, "DO11_DOCUM_MG36");
        const auto part = [&](const std::string& word, const std::string& value) {
          return value.empty() ? std::string() : word + " " + value;
        };
        label.value = Joined({Text(code), part(language.TraduciCaption("n."), NumberText(Field(groups, "DO11_NUMDOC"))),
                              part(language.TestoLingua("sez.", 52116, 0), Text(Field(groups, "DO11_SEZDOC"))),
                              part(language.TraduciCaption("del"), DateText(Field(groups, "DO11_DATADOC"))),
                              part(language.TestoLingua("riga", 49386, 0), NumberText(Field(groups, "DO30_PROGRIGA")))});
        break;
      }
      case LabelPair::DataCons: label.value = DateText(Field(groups, "DO31_DATACONS")); break;
      case LabelPair::DataIniLav: label.value = DateText(Field(groups, "DO31_DATAINIZLAV")); break;
    }
    out.push_back(std::move(label));
  }
  return {std::move(out), std::move(status)};
}

}  // namespace engine
