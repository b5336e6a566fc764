#include "engine/booking_queries.h"

#include "engine/time_buckets.h"
#include "host/value/variant.h"

namespace engine {
namespace {

constexpr const char* kVariantColumn = "PD44_OPZIONE";
constexpr const char* kVariantAliased = "ISNULL(PD44_OPZIONE,'') AS PD44_OPZIONE";
constexpr const char* kVariantValue = "ISNULL(PD44_OPZIONE,'')";

struct UnitPieces {
  const char* grouped;
  const char* detailed;
};

// Booked-time columns by the time unit's code.
UnitPieces PiecesOfUnit(TipoTempo unit) {
  if (unit == kOreMinutiSecondi) {
    return {
        "SUM(ISNULL(PD44_OREORD,0)) AS OREVERS, SUM(ISNULL(PD44_MINORD,0)) AS MINVERS, "
        "SUM(ISNULL(PD44_SECORD,0)) AS SECVERS ",
        "ISNULL(PD44_OREORD,0) AS OREVERS, ISNULL(PD44_MINORD,0) AS MINVERS, ISNULL(PD44_SECORD,0) AS SECVERS "};
  }
  if (unit == kOreDecimali) {
    return {
        "(CAST(SUM(ISNULL(PD44_OREORD,0)) AS DECIMAL(14,2)) + CAST(SUM(ISNULL(PD44_MINORD,0))/60 AS "
        "DECIMAL(14,2)) +  CAST(SUM(ISNULL(PD44_SECORD,0))/3600 AS DECIMAL (14,2))) AS OREVERS ",
        "(CAST(ISNULL(PD44_OREORD,0) AS DECIMAL(14,2)) + CAST(ISNULL(PD44_MINORD,0)/60 AS DECIMAL(14,2)) +  "
        "CAST(ISNULL(PD44_SECORD,0)/3600 AS DECIMAL (14,2))) AS OREVERS "};
  }
  if (unit == kMinutiDecimali) {
    return {
        "(CAST(SUM(ISNULL(PD44_OREORD,0))*60 AS DECIMAL(14,2)) + CAST(SUM(ISNULL(PD44_MINORD,0)) AS "
        "DECIMAL(14,2)) +  CAST(SUM(ISNULL(PD44_SECORD,0))/60 AS DECIMAL(14,2))) AS MINVERS ",
        "(CAST(ISNULL(PD44_OREORD,0)*60 AS DECIMAL(14,2)) + CAST(ISNULL(PD44_MINORD,0) AS DECIMAL(14,2)) +  "
        "CAST(ISNULL(PD44_SECORD,0)/60 AS DECIMAL(14,2))) AS MINVERS "};
  }
  if (unit == kSecondiDecimali) {
    return {
        "(SUM(ISNULL(PD44_OREORD,0))*3600 + SUM(ISNULL(PD44_MINORD,0))*60 + SUM(ISNULL(PD44_SECORD,0))) AS "
        "SECVERS ",
        "(ISNULL(PD44_OREORD,0)*3600 + ISNULL(PD44_MINORD,0)*60 + ISNULL(PD44_SECORD,0)) AS SECVERS "};
  }
  return {"", ""};
}

constexpr const char* kDetailedHeadPieces =
    ", PD18_INDTIPOART, PD18_CODCICLO, "
    "DO11_DOCUM_MG36, DO11_DATADOC, DO11_SEZDOC, DO11_NUMDOC, DO30_PROGRIGA, DO30_IDDISBA_PD95, DO31_DATACONS, "
    "DO31_DATAINIZLAV, "
    "PD07_DESCR AS PD44_CODFORNREP_D, PD44_COSTOFORN_PD05 AS PD44_COSTOFORN_PD05_D, ISNULL(PD44_IMPDQR,0) + "
    "ISNULL(PD44_IMPMAC,0) AS PD44_IMPTOT, "
    "PD06_COGNOME + ' ' + PD06_NOME AS DESCRDIP, PD08_DESCR, PD12_DESCR, ISNULL(PD69_DESCRSOTPROG,PD68_DESCRPROG) AS "
    "DESCRPROGETTO, "
    "PD0C_DESCR, PD0D_DESCR, PD25_DESCR, CG0C_DESCR, PD5A_CODCOSTO, PD5A_DESCR, CI03_DESCR, DESCRPDC.PC01_DESCR AS "
    "PC01_DESCR, "
    "ANAGPDCORI.PC03_DESCR AS PC03_DESCR_ORI, ANAGPDCDEST.PC03_DESCR AS PC03_DESCR_DEST, DESCRPDCVDS.PC01_DESCR AS "
    "PC01_DESCR_VDS, ANAGVDSORI.PC03_DESCR AS PC03_DESCR_VDSORI, ANAGVDSDEST.PC03_DESCR AS PC03_DESCR_VDSDEST, "
    "MG87_ARTDESC.MG87_DESCART, ARTDESCATTR.MG87_DESCART AS DESCARTATTR, PD56_DESCR, CG16_RAGSOANAG, "
    "ISNULL(PD44_OREORD,0) * 3600 + ISNULL(PD44_MINORD,0) * 60 + ISNULL(PD44_SECORD,0) AS VERSTOTSEC, ";

constexpr const char* kDescriptionJoins =
    "FROM PD44_VERSORE WITH(NOLOCK) "
    "LEFT OUTER JOIN PD18_ARTPROD WITH(NOLOCK) ON PD18_DITTA_CG18 = PD44_DITTA_CG18 AND PD18_CODART_MG66 = "
    "PD44_CODART_MG66 "
    "LEFT OUTER JOIN MG87_ARTDESC WITH (NOLOCK) ON "
    "MG87_ARTDESC.MG87_DITTA_CG18 = PD44_DITTA_CG18 AND MG87_ARTDESC.MG87_CODART_MG66 = PD44_CODART_MG66 AND "
    "MG87_ARTDESC.MG87_OPZIONE_MG5E = ISNULL(PD44_OPZIONE,'') AND MG87_ARTDESC.MG87_LINGUA_MG52 = '' "
    "LEFT OUTER JOIN MG87_ARTDESC AS ARTDESCATTR WITH (NOLOCK) ON "
    "ARTDESCATTR.MG87_DITTA_CG18 = PD44_DITTA_CG18 AND ARTDESCATTR.MG87_CODART_MG66 = PD44_ATTREZZO_PD26 AND "
    "ARTDESCATTR.MG87_OPZIONE_MG5E = PD44_VARATTR_PD26 AND ARTDESCATTR.MG87_LINGUA_MG52 = '' "
    "LEFT OUTER JOIN PD56_ANAGKIT WITH (NOLOCK) ON "
    "PD56_DITTA_CG18 = PD44_DITTA_CG18 AND PD56_CODICE = PD44_KITATT_PD56 "
    "LEFT OUTER JOIN PD06_DIPENDENTI WITH (NOLOCK) ON "
    "PD06_DITTA_CG18 = PD44_DITTA_CG18 AND PD06_CODDIP = PD44_CODDIP_PD06 "
    "LEFT OUTER JOIN VPD08_MACCHINA AS PD08_MACCHINA WITH (NOLOCK) ON "
    "PD08_DITTA_CG18 = PD44_DITTA_CG18 AND PD08_MACCHINA = PD44_MACCHINA_PD08 "
    "LEFT OUTER JOIN VPD12_FASILAVORO AS PD12_FASILAVORO WITH (NOLOCK) ON "
    "PD12_DITTA_CG18 = PD44_DITTA_CG18 AND PD12_CODFASE = PD44_CODFASE_PD12 "
    "LEFT OUTER JOIN VPD07_REPARTO AS PD07_REPARTO WITH (NOLOCK) ON "
    "PD07_DITTA_CG18 = PD44_DITTA_CG18 AND PD07_CODREP = LEFT(PD44_CODFORNREP,5) "
    "LEFT OUTER JOIN PD68_PROGETTI WITH (NOLOCK) ON "
    "PD68_DITTA_CG18 = PD44_DITTA_CG18 AND PD68_CODPROG = PD44_CODPROG_PD14 "
    "LEFT OUTER JOIN PD69_SOTTOPROGETTI WITH (NOLOCK) ON "
    "PD69_DITTA_CG18 = PD68_DITTA_CG18 AND PD69_CODPROG_PD68 = PD68_CODPROG AND PD69_SOTPROG = PD44_SOTPROG_PD14 "
    "LEFT OUTER JOIN VPD0C_NODO AS PD0C_NODO WITH (NOLOCK) ON "
    "PD0C_DITTA_CG18 = PD68_DITTA_CG18 AND PD0C_CODPROG_PD68 = PD68_CODPROG AND PD0C_CODNODO = PD44_CODNODO_PD0C "
    "LEFT OUTER JOIN VPD0D_ATTIVITA AS PD0D_ATTIVITA WITH (NOLOCK) ON "
    "PD0D_DITTA_CG18 = PD68_DITTA_CG18 AND PD0D_CODPROG_PD68 = PD68_CODPROG AND PD0D_CODATTIVITA = "
    "PD44_CODATTIVITA_PD0D "
    "LEFT OUTER JOIN PD25_COMMESSA WITH (NOLOCK) ON "
    "PD25_DITTA_CG18 = PD44_DITTA_CG18 AND PD25_CODCOMMESSA = PD44_CODCOMM AND PD25_CODSOTCOMM = PD44_CODSCOM "
    "LEFT OUTER JOIN CG0C_UNITAMISURA WITH (NOLOCK) ON "
    "CG0C_DITTA_CG18 = PD44_DITTA_CG18 AND CG0C_UMSIGLA = PD44_UMSIGLA_CG0C "
    "LEFT OUTER JOIN VPD5A_DETTCOSTI AS PD5A_DETTCOSTI WITH (NOLOCK) ON "
    "PD5A_IDCOSTO = PD44_IDCOSTO_PD5A "
    "LEFT OUTER JOIN CG44_CLIFOR WITH (NOLOCK) ON "
    "CG44_DITTA_CG18 = PD44_DITTA_CG18 AND CG44_CLIFOR = PD44_CLIFOR_CG44 AND CG44_TIPOCF = 1 "
    "LEFT OUTER JOIN CG16_ANAGGEN WITH (NOLOCK) ON CG16_CODICE = CG44_CODICE_CG16 "
    "OUTER APPLY DBO.FNCI03_CAUSALI(PD44_CODICE_CI03, PD44_DITTA_CG18) "
    "LEFT OUTER JOIN PC01_DESCRPDC AS DESCRPDC WITH (NOLOCK) ON "
    "DESCRPDC.PC01_CODICE = PD44_PDC_PC01 "
    "OUTER APPLY DBO.FNPC03_ANAGPDC_COAN(PD44_PDC_PC01, PD44_CONTOORIG_PC03, PD44_DITTA_CG18, NULL) AS ANAGPDCORI "
    "OUTER APPLY DBO.FNPC03_ANAGPDC_COAN(PD44_PDC_PC01, PD44_CONTODEST_PC03, PD44_DITTA_CG18, NULL) AS ANAGPDCDEST "
    "OUTER APPLY DBO.FNPC03_ANAGPDC_COAN(PD44_PDCVDS_PC01, PD44_VDSORIG_PC03, PD44_DITTA_CG18, NULL) AS ANAGVDSORI "
    "OUTER APPLY DBO.FNPC03_ANAGPDC_COAN(PD44_PDCVDS_PC01, PD44_VDSDEST_PC03, PD44_DITTA_CG18, NULL) AS "
    "ANAGVDSDEST "
    "LEFT OUTER JOIN PC01_DESCRPDC AS DESCRPDCVDS WITH (NOLOCK) ON "
    "DESCRPDCVDS.PC01_CODICE = PD44_PDCVDS_PC01 ";

constexpr const char* kProjectJoins =
    "LEFT OUTER JOIN PD68_PROGETTI WITH (NOLOCK) ON PD68_DITTA_CG18 = PD44_DITTA_CG18 AND PD68_CODPROG = "
    "PD44_CODPROG_PD14"
    " LEFT OUTER JOIN PD0C_NODO WITH (NOLOCK) ON PD0C_DITTA_CG18 = PD68_DITTA_CG18 AND PD0C_CODPROG_PD68 = "
    "PD68_CODPROG AND PD0C_CODNODO = PD44_CODNODO_PD0C ";

constexpr const char* kFashionGrouped =
    "LEFT JOIN MG87_ARTDESC WITH (NOLOCK)"
    "ON MG87_ARTDESC.MG87_DITTA_CG18 = PD44_VERSORE.PD44_DITTA_CG18 AND"
    "   MG87_ARTDESC.MG87_CODART_MG66 = PD44_VERSORE.PD44_CODART_MG66 AND"
    "   MG87_ARTDESC.MG87_OPZIONE_MG5E = ISNULL(PD44_VERSORE.PD44_OPZIONE,'') AND"
    "   MG87_ARTDESC.MG87_LINGUA_MG52 = '' "
    "LEFT JOIN FA12_ARTICOLI WITH (NOLOCK) "
    "ON FA12_ARTICOLI.FA12_DITTA_CG18 = PD44_VERSORE.PD44_DITTA_CG18 AND"
    "   FA12_ARTICOLI.FA12_CODART_MG66 = PD44_VERSORE.PD44_CODART_MG66 AND"
    "   FA12_ARTICOLI.FA12_OPZIONE_MG5E = dbo.FNFA_VALVARIANTEPRI(5, PD44_DITTA_CG18, PD44_CODART_MG66, "
    "ISNULL(PD44_OPZIONE, ''), 'FA12_ARTICOLI') "
    "LEFT JOIN FA13_ATTRIBUTI WITH (NOLOCK)"
    "ON FA13_GUID = MG87_ARTDESC.MG87_GUID AND"
    "   FA13_ENTITA_FA11 = 0 ";

std::string FashionDetailed(const std::string& company) {
  return std::string("LEFT JOIN FA12_ARTICOLI WITH (NOLOCK) ") +
         "ON FA12_ARTICOLI.FA12_DITTA_CG18 = PD44_VERSORE.PD44_DITTA_CG18 AND" +
         "   FA12_ARTICOLI.FA12_CODART_MG66 = PD44_VERSORE.PD44_CODART_MG66 AND" +
         "   FA12_ARTICOLI.FA12_OPZIONE_MG5E = dbo.FNFA_VALVARIANTEPRI(5, " + company +
         ", PD44_CODART_MG66, ISNULL(PD44_OPZIONE, ''), 'FA12_ARTICOLI') " + "LEFT JOIN FA13_ATTRIBUTI WITH (NOLOCK)" +
         "ON FA13_GUID = MG87_ARTDESC.MG87_GUID AND" + "   FA13_ENTITA_FA11 = 0 ";
}

// An item as a select list names it: a time dimension is its expression
// under its name, any other column its name.
std::string SelectedAs(const std::string& name) {
  const TimeBucket* bucket = FindTimeBucket(name);
  return bucket == nullptr ? name : std::string(bucket->expression) + " AS " + bucket->column;
}

std::string ValueOf(const std::string& name) {
  const TimeBucket* bucket = FindTimeBucket(name);
  return bucket == nullptr ? name : std::string(bucket->expression);
}

// "GROUP BY a, b" with each time dimension written as its expression (a
// select alias cannot be grouped on in T-SQL).
std::string GroupingOnValues(const std::string& grouping) {
  constexpr std::string_view kGroupBy = "GROUP BY ";
  if (grouping.rfind(kGroupBy, 0) != 0) return grouping;
  std::string out(kGroupBy);
  size_t from = kGroupBy.size();
  for (bool first = true; from <= grouping.size(); first = false) {
    size_t comma = grouping.find(',', from);
    if (comma == std::string::npos) comma = grouping.size();
    out += (first ? "" : ", ") + ValueOf(host::Trim(grouping.substr(from, comma - from)));
    from = comma + 1;
  }
  return out;
}

}  // namespace

std::string DocumentJoins() {
  return "LEFT OUTER JOIN DO11_DOCTESTATA WITH(NOLOCK) ON "
         "DO11_DITTA_CG18 = PD44_DITTA_CG18 AND DO11_NUMREG_CO99 = PD44_NUMREG_CO99 "
         "LEFT OUTER JOIN DO30_DOCCORPO WITH(NOLOCK) ON "
         "DO30_DITTA_CG18 = PD44_DITTA_CG18 AND DO30_NUMREG_CO99 = PD44_NUMREG_CO99 AND "
         "DO30_PROGRIGA = PD44_PROGRIGA_DO30 "
         "LEFT OUTER JOIN DO31_DOCCORPOORD WITH(NOLOCK) ON "
         "DO31_DITTA_CG18 = DO30_DITTA_CG18 AND DO31_NUMREG_CO99 = DO30_NUMREG_CO99 AND "
         "DO31_PROGRIGA = DO30_PROGRIGA ";
}

std::string AttributeJoins() {
  return " LEFT JOIN MG66_ANAGRART WITH (NOLOCK) "
         " ON        MG66_ANAGRART.MG66_DITTA_CG18 = PD44_DITTA_CG18 AND"
         "           MG66_ANAGRART.MG66_CODART = PD44_CODART_MG66 "
         " LEFT JOIN VFILTROSTATI AS VS_MG66 WITH (NOLOCK) "
         " ON        VS_MG66.V_GUID = MG66_ANAGRART.MG66_GUID "
         " LEFT JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) "
         " ON        VS_DO11.V_GUID = DO11_DOCTESTATA.DO11_GUID "
         " LEFT JOIN CO5L_ATTRIBUTIDEN AS CO5L_ART WITH (NOLOCK) "
         " ON        CO5L_ART.CO5L_GUID = MG66_ANAGRART.MG66_GUID "
         " LEFT JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOT WITH (NOLOCK) "
         " ON        CO5L_DOT.CO5L_GUID = DO11_DOCTESTATA.DO11_GUID "
         " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_PRO WITH (NOLOCK) ON PD68_GUID = CO5L_PRO.CO5L_GUID "
         " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_NOD WITH (NOLOCK) ON PD0C_GUID = CO5L_NOD.CO5L_GUID ";
}

BookingQueries BuildBookingQueries(const BookingQueryInput& input) {
  BookingQueries q;
  std::string time_columns;  // the detailed query selects them too, for the group filter
  for (const OrderItem& item : input.items) {
    if (item.grouping) {
      q.group_list += (q.group_list.empty() ? "" : ", ") + SelectedAs(item.name);
    } else {
      q.aggregate_list +=
          (q.aggregate_list.empty() ? "" : ", ") + ("MAX(" + ValueOf(item.name) + ") AS " + item.name);
    }
    if (FindTimeBucket(item.name) != nullptr) time_columns += ", " + SelectedAs(item.name);
    q.order_list += (q.order_list.empty() ? "" : ", ") + item.name;
  }
  if (!q.group_list.empty()) q.group_list = host::ReplaceAll(q.group_list, kVariantColumn, kVariantAliased) + ", ";
  if (!q.aggregate_list.empty()) q.aggregate_list += ", ";

  const std::string company_condition = "WHERE PD44_DITTA_CG18 = " + input.company + " ";
  const UnitPieces unit = PiecesOfUnit(input.unit);
  const std::string columns = host::ReplaceAll(input.booking_columns, kVariantColumn, kVariantAliased);

  q.grouped = "SELECT " + q.group_list + " " + q.aggregate_list + " ";
  q.detailed = "SELECT " + columns + time_columns + kDetailedHeadPieces + " ";
  q.grouped += unit.grouped;
  q.detailed += unit.detailed;
  q.total = "SELECT " + std::string(unit.grouped) + " FROM PD44_VERSORE WITH(NOLOCK) ";
  q.grouped += ", MAX(PD44_PRGMVORE_PD31) AS IDGRUPPO FROM PD44_VERSORE WITH(NOLOCK) ";
  q.detailed += kDescriptionJoins;
  q.detailed += DocumentJoins();
  q.grouped += DocumentJoins() + kProjectJoins + AttributeJoins();
  q.total += DocumentJoins() + kProjectJoins + AttributeJoins();
  q.detailed += AttributeJoins();
  if (input.fashion) {
    q.grouped += kFashionGrouped;
    q.total += kFashionGrouped;
    q.detailed += FashionDetailed(input.company);
  }
  q.grouped += company_condition;
  q.detailed += company_condition;
  q.total += company_condition;
  if (!host::RTrim(input.condition).empty()) {
    q.grouped += input.condition;
    q.detailed += input.condition;
    q.total += input.condition;
  }
  const std::string grouping = host::RTrim(input.grouping);
  if (!grouping.empty()) q.grouped += " " + host::ReplaceAll(GroupingOnValues(grouping), kVariantColumn, kVariantValue);
  if (!host::RTrim(input.ordering).empty()) {
    const std::string ordering = " ORDER BY " + host::ReplaceAll(q.order_list, kVariantColumn, kVariantValue);
    q.grouped += ordering;
    q.detailed += ordering + ", PD44_DATAREG";
  } else {
    q.detailed += " ORDER BY PD44_DATAREG";
  }
  return q;
}

}  // namespace engine
