#include "engine/planned_queries.h"

#include "engine/formato_db.h"

namespace engine {
namespace {

// The FROM and JOIN pieces of the order source, shared by the per-booking
// and the by-id query.
constexpr const char* kOrderFrom =
    "FROM PD2A_DETFASIDOC WITH (NOLOCK) "
    "INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK) ON "
    "DO46_NUMREG_CO99 =  PD2A_NUMREG_CO99 AND DO46_PROGRIGA = PD2A_PROGRIGA_DO46 "
    "AND DO46_PROGDET = PD2A_PROGDET_DO46 "
    "LEFT OUTER JOIN PD48_CICLI WITH (NOLOCK) ON PD48_IDCICLO = DO46_IDCICLO_PD48 "
    "LEFT OUTER JOIN DO30_DOCCORPO WITH (NOLOCK) ON "
    "DO46_DITTA_CG18 = DO30_DITTA_CG18 "
    "AND DO46_NUMREG_CO99 = DO30_NUMREG_CO99 "
    "AND DO46_PROGRIGA = DO30_PROGRIGA "
    "LEFT OUTER JOIN PD95_DISBA WITH (NOLOCK) ON "
    "DO30_DITTA_CG18 = PD95_DITTA_CG18 "
    "AND DO30_IDDISBA_PD95 = PD95_IDDISBA ";

constexpr const char* kCycleColumns =
    "SELECT PD48_INDUMLAV, PD48_TMACLAV, PD48_FORMLAV_PD24, "
    "PD48_INDUMSETUP, PD48_TMACSETUP, PD48_NUMPEZSETUP, PD48_FORMSETUP_PD24, "
    "PD48_INDUMLAV, PD48_NUMPEZZIUM, PD48_INDUMATTESA, PD48_TATTESA, PD48_INDUMCODA, PD48_TCODA, PD48_INDUMTOTLAV, "
    "PD48_TTOTLAV, ";

}  // namespace

std::string OrderPhaseQuery(const std::string& company, const std::string& numreg, const std::string& order_row,
                            const std::string& department, const std::string& phase) {
  return std::string("SELECT PD2A_IDFASE, PD2A_INDUMLAV, PD2A_TMACLAV, PD2A_FORMLAV_PD24, ") +
         "PD2A_INDUMSETUP, PD2A_TMACSETUP, PD2A_NUMPEZZISETUP, PD2A_FORMSETUP_PD24, " +
         "PD2A_INDUMLAV, PD2A_NUMPEZZIUM, PD2A_INDUMTOTLAV, PD2A_TTOTLAV, " +
         "PD2A_INDUMATTESA, PD2A_TATTESA, PD2A_INDUMCODA, PD2A_TCODA, PD2A_IDENTPROG, " +
         "DO46_QTA1ORD, DO46_IDCICLO_PD48, DO46_PROGDET, DO46_MACCHINAALT, PD48_CICLO_PD52, PD95_LOTTORIF " +
         kOrderFrom + "WHERE DO46_DITTA_CG18 = " + company + " AND DO46_QTA1ORD > 0 " + "AND DO46_NUMREG_CO99 = '" +
         DoubleQuotes(numreg) + "' " + "AND DO46_PROGRIGA = " + order_row + " " + "AND DO46_CODREPARTO = '" +
         DoubleQuotes(department) + "' " + "AND DO46_CODFASE = " + phase;
}

std::string OrderWorkersQuery(const std::string& phase_id) {
  return std::string(
             "SELECT ISNULL(PD2B_NUMADDETTI,1)* PD2B_TEMPOIMP AS TTOTADDETTI, PD2B_INDUMTEMPO, "
             "PD2B_INDOPERAZIONE") +
         " FROM PD2B_ADDETTIDOC WITH (NOLOCK)" + " WHERE PD2B_IDFASE_PD2A = " + phase_id + " AND PD2B_TEMPOIMP <> 0 ";
}

std::string CycleWorkersQuery(const std::string& cycle_id) {
  return std::string(
             "SELECT ISNULL(PD54_NUMADDETTI,1)* PD54_TEMPOIMP AS TTOTADDETTI, PD54_INDUMTEMPO, "
             "PD54_INDOPERAZIONE") +
         " FROM PD54_ADDETTILAV WITH (NOLOCK)" + " WHERE PD54_IDCICLO_PD48 = " + cycle_id + " AND PD54_TEMPOIMP <> 0 ";
}

std::string CycleByBomQuery(const std::string& company, const std::string& department, const std::string& phase,
                            const std::string& bom_id) {
  return std::string(kCycleColumns) +
         "PD48_CODFASE_PD12, PD48_IDCICLO, PD48_CICLO_PD52, PD48_MACCHINA_PD08, PD48_IDENTPROG, PD95_LOTTORIF FROM "
         "PD48_CICLI WITH (NOLOCK) " +
         "INNER JOIN PD95_DISBA WITH (NOLOCK) " + "ON PD48_DITTA_CG18 = PD95_DITTA_CG18 " +
         "AND PD48_IDDISBA_PD95 = PD95_IDDISBA " + "WHERE PD48_DITTA_CG18 = " + company + " " +
         "AND PD48_CODREP_PD07 = '" + DoubleQuotes(department) + "' " + "AND PD48_CODFASE_PD12 = " + phase + " " +
         "AND PD48_IDDISBA_PD95 = " + bom_id;
}

std::string DefaultCycleQuery(const std::string& company, const std::string& department, const std::string& phase,
                              const std::string& cycle) {
  return std::string("SELECT") + " PD48_CICLI.*," + " 0 AS PD95_LOTTORIF " + "FROM" + " PD48_CICLI WITH (NOLOCK) " +
         "WHERE PD48_DITTA_CG18 = " + company + " " + "AND PD48_CODREP_PD07 = '" + DoubleQuotes(department) + "' " +
         "AND PD48_CODFASE_PD12 = " + phase + " " + "AND PD48_IDDISBA_PD95 IS NULL " + "AND PD48_CICLO_PD52 = '" +
         DoubleQuotes(cycle) + "' " + "AND PD48_VERSIONE_PD52 =  0";
}

std::string OrderPhaseByIdQuery(const std::string& company, const std::string& phase_id) {
  return std::string("SELECT PD2A_IDFASE, PD2A_INDUMLAV, PD2A_TMACLAV, PD2A_FORMLAV_PD24, ") +
         "PD2A_INDUMSETUP, PD2A_TMACSETUP, PD2A_NUMPEZZISETUP, PD2A_FORMSETUP_PD24, " +
         "PD2A_INDUMLAV, PD2A_NUMPEZZIUM, PD2A_INDUMTOTLAV, PD2A_TTOTLAV, " +
         "PD2A_INDUMATTESA, PD2A_TATTESA, PD2A_INDUMCODA, PD2A_TCODA, PD2A_IDENTPROG, " +
         "DO46_IDCICLO_PD48, DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET, DO46_CODFASE, " +
         "DO46_CODREPARTO, DO46_CLIFOR_CG44, DO46_MACCHINAALT, PD48_CICLO_PD52, PD95_LOTTORIF " + kOrderFrom +
         "WHERE DO46_DITTA_CG18 = " + company + " " + "AND PD2A_IDFASE = " + phase_id;
}

std::string CyclePhaseByIdQuery(const std::string& company, const std::string& cycle_id) {
  return std::string(kCycleColumns) +
         "PD48_IDCICLO, PD48_CICLO_PD52, PD48_CODFASE_PD12, PD48_CODREP_PD07, PD48_CODFORN_CG44, " +
         "PD48_MACCHINA_PD08, PD48_IDENTPROG, PD95_LOTTORIF " + "FROM PD48_CICLI WITH (NOLOCK) " +
         "LEFT OUTER JOIN PD95_DISBA WITH (NOLOCK) " + "ON PD48_DITTA_CG18 = PD95_DITTA_CG18 " +
         "AND PD48_IDDISBA_PD95 = PD95_IDDISBA " + "WHERE PD48_DITTA_CG18 = " + company + " " +
         "AND PD48_IDCICLO = " + cycle_id;
}

std::string DropTempTableBatch(const std::string& name) {
  return "IF OBJECT_ID('tempdb.." + name + "') IS NOT NULL DROP TABLE " + name;
}

std::string CatvalCreateBatch() {
  return "IF OBJECT_ID('tempdb..#CATVAL') IS NOT NULL DROP TABLE #CATVAL\r\n CREATE TABLE #CATVAL (PROG DECIMAL "
         "(5,0) NOT NULL IDENTITY (1,1), CAT CHAR (10) COLLATE DATABASE_DEFAULT, TIPOCAT TINYINT NOT NULL, VALSTR "
         "CHAR (20) COLLATE DATABASE_DEFAULT, VALNUM DECIMAL(17,6) NULL)";
}

std::string CommercialConfigurationQuery(const std::string& company, const std::string& article) {
  return "SELECT TOP 1 1 FROM CM15_CONFGCOMM WITH (NOLOCK) WHERE CM15_DITTA_CG18 = " + company +
         " AND CM15_CODART_MG66 = '" + DoubleQuotes(article) + "'";
}

std::string ArticleTypeQuery(const std::string& company, const std::string& article) {
  return "SELECT PD18_INDTIPOART FROM PD18_ARTPROD WHERE PD18_DITTA_CG18 = " + company + " AND PD18_CODART_MG66 = '" +
         DoubleQuotes(article) + "'";
}

std::string VariantSegmentsQuery(const std::string& company) {
  return std::string("SELECT ISNULL(MG5F_SIZE,0) AS MG5F_SIZE, MG5F_INDPROGCONFIG FROM MG5F_DIMECONF WITH (NOLOCK) ") +
         "WHERE MG5F_DITTA_CG18 = " + company + " ORDER BY MG5F_CODICEVAR";
}

std::string CatvalConfigQuery(const std::string& company, const std::string& b_literal, const std::string& article,
                              const std::string& a_literal, const std::string& c_literal, const std::string& start,
                              const std::string& length) {
  return "SELECT * FROM FNPD_CATVALCONFIG (" + company + "," + b_literal + ",'" + DoubleQuotes(article) + "'," +
         a_literal + "," + c_literal + "," + start + "," + length + ")";
}

std::string CatvalInsert(const std::string& code, const std::string& data_type, const std::string& text_literal,
                         const std::string& number_literal) {
  return "INSERT INTO #CATVAL (CAT,TIPOCAT,VALSTR,VALNUM) VALUES ('" + DoubleQuotes(code) + "'," + data_type + "," +
         text_literal + "," + number_literal + ")";
}

std::string ArticleBomManagementQuery(const std::string& company, const std::string& article) {
  return "SELECT PD18_INDGESDISBA FROM PD18_ARTPROD WHERE PD18_DITTA_CG18 = " + company + " AND PD18_CODART_MG66 = '" +
         DoubleQuotes(article) + "'";
}

std::string CompanyBomManagementQuery(const std::string& company) {
  return "SELECT PD42_INDGESDISBA FROM PD42_PARGEST WHERE PD42_DITTA_CG18 = " + company;
}

std::string OrderPhaseDescriptionQuery(const std::string& company, const std::string& numreg,
                                       const std::string& order_row, const std::string& phase) {
  return std::string("SELECT DO46_DESCRFASE FROM DO46_DOCCORORDDET WITH (NOLOCK) ") +
         "WHERE DO46_DITTA_CG18 = " + company + " AND DO46_NUMREG_CO99 = '" + DoubleQuotes(numreg) + "' AND " +
         "DO46_PROGRIGA = " + order_row + " AND DO46_CODFASE = " + phase;
}

}  // namespace engine
