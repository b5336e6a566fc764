#include "engine/field_lists.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace engine {
namespace {

constexpr const char* kGroup = "Default";

struct FilterField {
  const char* caption;
  const char* column;
  bool s[6];
  int16_t length;  // 0: none
};

// S4 marks the dates, S1 the others; S2 alphanumeric codes, S3 numeric
// codes, S6 the article.
constexpr FilterField kFilterFields[] = {
    {"Data reg.vers.", "PD44_DATAREG", {false, false, false, true, false, false}, 0},
    {"Articolo", "PD44_CODART_MG66", {true, false, false, false, false, true}, 0},
    {"Variante", "PD44_OPZIONE", {true, false, false, false, false, false}, 15},
    {"Fase", "PD44_CODFASE_PD12", {true, false, true, false, false, false}, 6},
    {"Reparto", "PD44_CODFORNREP", {true, true, false, false, false, false}, 0},
    {"Macchina", "PD44_MACCHINA_PD08", {true, true, false, false, false, false}, 0},
    {"Dipendente", "PD44_CODDIP_PD06", {true, true, false, false, false, false}, 0},
    {"Progetto", "PD44_CODPROG_PD14", {true, true, false, false, false, false}, 8},
    {"Sottoprogetto", "PD44_SOTPROG_PD14", {true, false, true, false, false, false}, 4},
    {"Nodo", "PD44_CODNODO_PD0C", {true, true, false, false, false, false}, 0},
    {"Commessa", "PD44_CODCOMM", {true, true, false, false, false, false}, 8},
    {"Sottocommessa", "PD44_CODSCOM", {true, false, true, false, false, false}, 4},
    {"Codice ordine", "DO11_DOCUM_MG36", {true, true, false, false, false, false}, 0},
    {"Data ordine", "DO11_DATADOC", {false, false, false, true, false, false}, 0},
    {"Sezionale ordine", "DO11_SEZDOC", {true, true, false, false, false, false}, 0},
    {"Numero ordine", "DO11_NUMDOC", {true, false, true, false, false, false}, 6},
    {"Data consegna", "DO31_DATACONS", {false, false, false, true, false, false}, 10},
    {"Data ini. lavoraz.", "DO31_DATAINIZLAV", {false, false, false, true, false, false}, 10},
};

struct GroupingField {
  const char* caption;
  const char* column;
  bool grouping;  // G
  bool o;         // O
};

constexpr GroupingField kGroupingFields[] = {
    {"Articolo", "PD44_CODART_MG66", true, true},
    {"Variante", "PD44_OPZIONE", true, true},
    {"Reparto", "PD44_CODFORNREP", false, true},
    {"Macchina", "PD44_MACCHINA_PD08", false, false},
    {"Dipendente", "PD44_CODDIP_PD06", false, false},
    {"Progetto", "PD44_CODPROG_PD14", false, false},
    {"Sottoprogetto", "PD44_SOTPROG_PD14", false, false},
    {"Nodo", "PD44_CODNODO_PD0C", false, false},
    {"Commessa", "PD44_CODCOMM", false, false},
    {"Sottocommessa", "PD44_CODSCOM", false, false},
    {"Codice ordine", "DO11_DOCUM_MG36", true, true},
    {"Data ordine", "DO11_DATADOC", true, true},
    {"Sezionale ordine", "DO11_SEZDOC", true, true},
    {"Numero ordine", "DO11_NUMDOC", true, true},
    {"Riga ordine", "DO30_PROGRIGA", true, true},
    {"Sequenza fase", "PD44_SEQFASE", false, true},
    {"Fase", "PD44_CODFASE_PD12", false, true},
    {"Data consegna", "DO31_DATACONS", false, false},
    {"Data ini. lavoraz.", "DO31_DATAINIZLAV", false, false},
    // The time dimensions of engine/time_buckets, offered unchecked.
    {"Anno reg.vers.", "ANNOREGVERS", false, false},
    {"Mese reg.vers.", "MESEREGVERS", false, false},
    {"Settimana reg.vers.", "SETTREGVERS", false, false},
};

struct AttributeSource {
  int32_t entity;
  const char* alias;
};
constexpr AttributeSource kAttributeSources[] = {{5, "CO5L_ART"}, {6, "CO5L_PRO"}, {7, "CO5L_NOD"}, {19, "CO5L_DOT"}};

// Runs one add, skipping what the control refuses.
template <typename Add>
void Suppressed(Add add) {
  try {
    add();
  } catch (const std::exception&) {
    // A refused entry is skipped; the list goes on.
  }
}

// Raises the 16-bit running number; past 32767 it overflows and ends the list.
void Raise(int16_t& number, int by = 1) {
  if (number > INT16_MAX - by) throw std::overflow_error("Overflow");
  number = static_cast<int16_t>(number + by);
}

}  // namespace

void LoadFilterFields(host::QueryControl& query, bool fashion) {
  try {
    int16_t number = 1;
    for (const FilterField& f : kFilterFields) {
      Suppressed([&] {
        const std::optional<int16_t> length = f.length > 0 ? std::optional<int16_t>(f.length) : std::nullopt;
        if (std::string(f.caption) == "Variante") {
          query.AddField(kGroup, f.caption, f.column, true, number, f.s[0], f.s[1], f.s[2], f.s[3], f.s[4], f.s[5],
                         length, std::string(), true);
        } else {
          query.AddField(kGroup, f.caption, f.column, true, number, f.s[0], f.s[1], f.s[2], f.s[3], f.s[4], f.s[5],
                         length);
        }
      });
      Raise(number, std::string(f.column) == "DO31_DATAINIZLAV" ? 2 : 1);
    }
    Suppressed([&] { query.AddCategory(kGroup, "Categorie", true, number, "PD44_CODART_MG66", "PD44_OPZIONE"); });
    Raise(number);
    Suppressed([&] { query.AddState(kGroup, "Stato articolo", "VS_MG66.V_IDSTATO", false, number, 6); });
    Raise(number);
    Suppressed([&] { query.AddState(kGroup, "Stato ordine", "VS_DO11.V_IDSTATO", false, number, 7); });
    Raise(number);
    for (const AttributeSource& a : kAttributeSources) {
      Suppressed([&] { query.AddAttribute(kGroup, false, a.entity, a.alias); });
    }
    if (fashion) {
      Suppressed([&] { query.AddFashion1(kGroup, true, ""); });
      Suppressed([&] { query.AddFashion2(kGroup, true, ""); });
      Suppressed([&] { query.AddFashion3(kGroup, true, "", "PD44_CODART_MG66"); });
    }
    query.EndSetup();
  } catch (const std::exception&) {
    // Errors end the loader quietly.
  }
}

void LoadGroupingFields(host::OrderControl& order) {
  try {
    int16_t number = 1;
    for (const GroupingField& f : kGroupingFields) {
      Suppressed([&] { order.AddField(kGroup, f.caption, f.column, f.grouping, number, 0, true, false, f.o, 0); });
      Raise(number);
    }
    for (const AttributeSource& a : kAttributeSources) {
      Suppressed([&] { order.AddAttribute(kGroup, false, a.entity, a.alias); });
    }
    order.EndSetup();
  } catch (const std::exception&) {
    // Errors end the loader quietly.
  }
}

}  // namespace engine
