#include "engine/presentation/booking_columns.h"

#include <algorithm>
#include <array>
#include <set>

namespace engine {
namespace {

constexpr ColumnKind T = ColumnKind::Text;
constexpr ColumnKind N = ColumnKind::Number;
constexpr ColumnKind L = ColumnKind::List;

struct Row {
  const char* field;
  const char* caption;
  ColumnKind kind;
  int width;
  bool visible;
  ValueList list = ValueList::None;
};

constexpr std::array<Row, 87> kColumns{{
    {"PD44_PRGMVORE_PD31", "ID", N, 100, false},
    {"PD44_CODDIP_PD06", "Dipendente", T, 1100, true},
    {"DESCRDIP", "Desc. dipendente", T, 1900, true},
    {"PD44_CODFORNREP", "Reparto", T, 800, true},
    {"PD44_CODFORNREP_D", "Desc. reparto", T, 2000, true},
    {"PD44_MACCHINA_PD08", "Macchina", T, 1200, true},
    {"PD08_DESCR", "Desc. macchina", T, 1500, true},
    {"PD44_CODPROG_PD14", "Progetto", T, 1200, true},
    {"PD44_SOTPROG_PD14", "S.prog.", N, 900, true},
    {"DESCRPROGETTO", "Descrizione progetto", T, 2000, true},
    {"PD44_CODCOMM", "Commessa", T, 1200, true},
    {"PD44_CODSCOM", "S.comm.", N, 900, true},
    {"PD25_DESCR", "Descrizione commessa", T, 2100, true},
    {"PD44_CODNODO_PD0C", "Nodo", T, 1200, true},
    {"PD0C_DESCR", "Descrizione nodo", T, 2000, true},
    {"PD44_CODATTIVITA_PD0D", "Codice attività", T, 1500, true},
    {"PD0D_DESCR", "Descrizione attività", T, 2000, true},
    {"PD44_SEQFASE", "Seq.Fase", N, 900, true},
    {"PD44_CODFASE_PD12", "Fase", N, 500, true},
    {"PD12_DESCR", "Desc. fase", T, 1500, true},
    {"PD44_DATAREG", "Data Reg.", T, 950, true},
    {"PD44_QTALAV", "Qta lavorata", N, 1200, true},
    {"PD44_SEZDOC_DO11", "Sez.", T, 800, false},
    {"PD44_NUMDOC_DO11", "Num.Doc", N, 900, false},
    {"PD44_PROGRIGA_DO30", "Riga", N, 800, false},
    {"PD44_CODART_MG66", "Articolo", T, 1200, false},
    {"PD44_OPZIONE", "Variante", T, 1200, false},
    {"MG87_DESCART", "Descrizione articolo", T, 2000, false},
    {"PD44_ATTREZZO_PD26", "Attrezzo", T, 1200, true},
    {"PD44_VARATTR_PD26", "Variante attrezzo", T, 1600, true},
    {"DESCARTATTR", "Descrizione attrezzo", T, 2000, true},
    {"PD44_KITATT_PD56", "Kit", T, 1200, true},
    {"PD56_DESCR", "Descrizione kit", T, 2000, true},
    {"PD44_INDORA", "Tipo ora", L, 1300, true, ValueList::WorkKind},
    {"OREVERS", "Ore vers.", N, 1200, true},
    {"MINVERS", "Min.vers.", N, 1200, true},
    {"SECVERS", "Sec.vers.", N, 1200, true},
    {"VERSTOTSEC", "hhmmss vers.", N, 1300, true},
    {"PD44_INDTIPOCOSDQR", "Tipo orario", L, 1300, true, ValueList::HourType},
    {"PD44_VALUTADQR", "Valuta DQR", T, 1100, true},
    {"PD44_UMTEMPODQR", "UM tmp DQR", L, 1300, true, ValueList::TimeUnit},
    {"PD44_COSTODQR", "Costo DQR", N, 1300, true},
    {"PD44_IMPDQR", "Importo DQR", N, 1300, true},
    {"PD44_VALUTAMAC", "Valuta mac.", T, 1100, true},
    {"PD44_UMTEMPOMAC", "UM tmp mac.", L, 1300, true, ValueList::TimeUnit},
    {"PD44_COSTOMAC", "Costo mac.", N, 1300, true},
    {"PD44_IMPMAC", "Importo mac.", N, 1300, true},
    {"PD44_IMPTOT", "Importo tot.", N, 1300, true},
    {"PD44_NOTE", "Note", T, 2000, true},
    {"PD44_NUMREG_CO99", "Num.reg.", T, 1000, false},
    {"PD44_INDLAVORAZ", "Ind.lavor.", L, 1000, true, ValueList::InternalExternal},
    {"PD44_INIZLAV", "Data inizio", T, 1000, true},
    {"PD44_OREINI", "Ore ini.", N, 900, true},
    {"PD44_MININI", "Min.ini.", N, 900, true},
    {"PD44_SECINI", "Sec.ini.", N, 900, true},
    {"PD44_FINELAV", "Data fine", T, 1000, true},
    {"PD44_OREFIN", "Ore fin.", N, 900, true},
    {"PD44_MINFIN", "Min.fin.", N, 900, true},
    {"PD44_SECFIN", "Sec.fin.", N, 900, true},
    {"PD44_CLIFOR_CG44", "Fornitore", N, 900, true},
    {"CG16_RAGSOANAG", "Ragione sociale", T, 2000, true},
    {"PD44_UMSIGLA_CG0C", "UM att.forn.", T, 1200, true},
    {"CG0C_DESCR", "Descr. UM att.forn.", T, 2000, true},
    {"PD44_COSTOFORN_PD05", "Cod.costo.forn.", T, 1500, true},
    {"PD44_COSTOFORN_PD05_D", "Descr.costo.forn.", T, 2000, true},
    {"PD5A_CODCOSTO", "Costo aggiuntivo", T, 1700, true},
    {"PD5A_DESCR", "Descrizione costo agg.", T, 2000, true},
    {"PD44_CODICE_CI03", "Causale", T, 1000, true},
    {"CI03_DESCR", "Descr.causale", T, 2000, true},
    {"PD44_PDC_PC01", "PdC", N, 1000, true},
    {"PC01_DESCR", "Descrizione PdC", T, 1800, true},
    {"PD44_CONTOORIG_PC03", "Conto origine", T, 1500, true},
    {"PC03_DESCR_ORI", "Descr. conto origine", T, 2000, true},
    {"PD44_CONTODEST_PC03", "Conto destinazione", T, 1800, true},
    {"PC03_DESCR_DEST", "Descr. conto destin.", T, 2000, true},
    {"PD44_PDCVDS_PC01", "VdS", T, 1200, true},
    {"PC01_DESCR_VDS", "Descrizione VdS", T, 1800, true},
    {"PD44_VDSORIG_PC03", "VdS origine", T, 1500, true},
    {"PC03_DESCR_VDSORI", "Descr. VdS origine", T, 2000, true},
    {"PD44_VDSDEST_PC03", "VdS destinazione", T, 1600, true},
    {"PC03_DESCR_VDSDEST", "Descr. VdS destin.", T, 2000, true},
    {"PD44_INDTIPOVERS", "Tipo versamento", L, 1600, true, ValueList::BookingKind},
    {"PD44_PROGAVANZ_DO57", "Prog.avanz.", T, 1500, true},
    {"PD44_NUMREGRIF_D030", "Num.reg.fatt.progetto", T, 1000, false},
    {"PD44_PROGRIGARIF_DO30", "Riga fatt.progetto", N, 1000, false},
    {"PD44_NUMREGRIFP_DO30", "Num.reg.prefatt.passiva", T, 1000, false},
    {"PD44_PROGRIGAP_DO30", "Riga prefatt.passiva", N, 1000, false},
}};

// Right-aligned columns (alignment code 1), in the form's order.
constexpr std::array<const char*, 25> kRightAligned{
    "PD44_PROGRIGA_DO30", "PD44_NUMDOC_DO11", "PD44_SEQFASE",        "PD44_CODFASE_PD12",     "PD44_QTALAV",
    "VERSTOTSEC",         "OREVERS",          "MINVERS",             "SECVERS",               "PD44_COSTODQR",
    "PD44_COSTOMAC",      "PD44_IMPDQR",      "PD44_IMPMAC",         "PD44_IMPTOT",           "PD44_OREINI",
    "PD44_MININI",        "PD44_SECINI",      "PD44_OREFIN",         "PD44_MINFIN",           "PD44_SECFIN",
    "PD44_CLIFOR_CG44",   "PD44_PDC_PC01",    "PD44_PROGAVANZ_DO57", "PD44_PROGRIGARIF_DO30", "PD44_PROGRIGAP_DO30"};

constexpr std::array<const char*, 5> kMoney{"PD44_COSTODQR", "PD44_IMPDQR", "PD44_COSTOMAC", "PD44_IMPMAC",
                                            "PD44_IMPTOT"};

// The columns that the export names by their field.
constexpr std::array<const char*, 8> kNoCaption{"PD44_CODDIP_PD06",  "PD44_CODFORNREP", "PD44_MACCHINA_PD08",
                                                "PD44_CODPROG_PD14", "PD44_CODCOMM",    "PD44_CODART_MG66",
                                                "PD44_OPZIONE",      "MG87_DESCART"};

constexpr std::array<std::pair<const char*, const char*>, 16> kExtraCaptions{{
    {"PD44_DITTA_CG18", "Azienda Codice"},
    {"PD44_NUMREGCOIN_CO99", "Num.reg.COIN"},
    {"PD44_IDCOSTO_PD5A", "ID Costo"},
    {"PD44_NUMRAP", "Num.rapp.ass.impianti"},
    {"PD44_NUMRIGARAP", "Riga.rapp.ass.impianti"},
    {"PD44_CODSQUADRA_PD10", "Codice squadra"},
    {"PD18_INDTIPOART", "Tipo articolo"},
    {"PD18_CODCICLO", "Codice ciclo"},
    {"DO11_DOCUM_MG36", "Codice documento"},
    {"DO11_DATADOC", "Data documento"},
    {"DO11_SEZDOC", "Sez. documento"},
    {"DO11_NUMDOC", "Numero documento"},
    {"DO30_PROGRIGA", "Riga documento"},
    {"DO30_IDDISBA_PD95", "ID dist.base loc."},
    {"DO31_DATACONS", "Data consegna"},
    {"DO31_DATAINIZLAV", "Data inizio lav."},
}};

template <size_t Size>
bool In(const std::array<const char*, Size>& list, const std::string& field) {
  return std::any_of(list.begin(), list.end(), [&](const char* f) { return field == f; });
}

}  // namespace

std::vector<GridColumn> BookingGridColumns(const std::string& quantity_format) {
  std::vector<GridColumn> out;
  out.reserve(kColumns.size());
  for (const Row& r : kColumns) {
    GridColumn c;
    c.field = r.field;
    c.caption = r.caption;
    c.kind = r.kind;
    c.width = r.width;
    c.visible = r.visible;
    c.list = r.list;
    if (In(kMoney, c.field)) c.format = kMoneyFormat;
    if (c.field == "PD44_QTALAV") c.format = quantity_format;
    if (In(kRightAligned, c.field)) c.alignment = Alignment::Right;
    c.form_text = c.field == "VERSTOTSEC";
    out.push_back(std::move(c));
  }
  return out;
}

std::map<ValueList, ValueListTexts> BuildValueLists(host::LanguageServices& language) {
  const auto text = [&language](const char* italian, int32_t number) {
    return language.TestoLingua(italian, number, 0);
  };
  std::map<ValueList, ValueListTexts> lists;
  lists[ValueList::InternalExternal] = {{0, text("Interna", 34030)}, {1, text("Esterna", 26159)}};
  lists[ValueList::BookingKind] = {
      {0, text("Non definito", 39797)}, {1, text("Macchina", 36431)}, {2, text("Dip./Qual./Rep.", 74274)}};
  lists[ValueList::HourType] = {{0, text("Ordinario", 42537)},
                                {1, text("Straordinario", 55457)},
                                {2, text("Ordinario festivo", 42538)},
                                {3, text("Straord. festivo", 55454)}};
  lists[ValueList::WorkKind] = {
      {0, text("Lavorazione", 35336)}, {1, text("Setup", 52110)}, {2, text("Manutenzione", 36824)}};
  lists[ValueList::TimeUnit] = {{0, text("Secondi", 51228)}, {1, text("Minuti", 37426)}, {2, text("Ore", 42732)}};
  return lists;
}

DizionarioEtichette BuildCaptionDictionary(const host::RecordSet* bookings) {
  DizionarioEtichette dictionary;
  for (const Row& r : kColumns) {
    if (!In(kNoCaption, r.field)) dictionary[r.field] = r.caption;
  }
  if (bookings != nullptr) {
    for (size_t i = 0; i < bookings->FieldCount(); ++i) {
      const std::string& name = bookings->Field(i).name;
      if (dictionary.count(name) != 0) continue;
      for (const auto& [field, caption] : kExtraCaptions) {
        if (name == field) dictionary[name] = caption;
      }
    }
  }
  return dictionary;
}

std::string EtichettaCampo(const DizionarioEtichette& dictionary, const std::string& field) {
  auto it = dictionary.find(field);
  return it == dictionary.end() ? field : it->second;
}

}  // namespace engine
