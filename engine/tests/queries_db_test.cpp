// Every query text of a comparison run, executed on the demo database by the
// SQLite back end and through ODBC with the SQLite driver: both must answer
// the same rows, and the database must come out untouched.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>

#include "engine/blank_variants.h"
#include "engine/booking_queries.h"
#include "engine/grouped_from_detail.h"
#include "engine/planned_queries.h"
#include "engine/tests/demo_db.h"
#include "host/db/connection.h"
#include "host/db/odbc_connection.h"
#include "host/db/sqlite_connection.h"
#include "host/db/sqlite_dialect.h"
#include "host/services/production_services.h"
#include "host/services/recordset_functions.h"

namespace engine {
namespace {

using host::RecordSetPtr;
using host::db::Connection;

std::string Cell(const host::RecordSet& rs, size_t col) {
  const host::Variant v = rs.Value(col);
  if (v.IsNull()) return "<null>";
  if (v.IsNumber()) return v.ToDecimal().ToString();
  return v.ToText();
}

// Same fields (names and kinds) and same cells, row by row.
void ExpectSameRows(const RecordSetPtr& a, const RecordSetPtr& b, const std::string& what) {
  ASSERT_EQ(a->FieldCount(), b->FieldCount()) << what;
  for (size_t c = 0; c < a->FieldCount(); ++c) {
    EXPECT_EQ(a->Field(c).name, b->Field(c).name) << what;
    EXPECT_EQ(static_cast<int>(a->Field(c).type), static_cast<int>(b->Field(c).type))
        << what << " " << a->Field(c).name;
    EXPECT_EQ(static_cast<int>(a->Field(c).scale), static_cast<int>(b->Field(c).scale))
        << what << " " << a->Field(c).name;
  }
  ASSERT_EQ(a->RecordCount(), b->RecordCount()) << what;
  int mismatches = 0;
  for (a->MoveFirst(), b->MoveFirst(); !a->Eof(); a->MoveNext(), b->MoveNext()) {
    for (size_t c = 0; c < a->FieldCount() && mismatches < 5; ++c) {
      if (Cell(*a, c) != Cell(*b, c)) {
        ++mismatches;
        ADD_FAILURE() << what << ": " << a->Field(c).name << " " << Cell(*a, c) << " vs " << Cell(*b, c);
      }
    }
  }
}

class QueriesOnDemo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = testing::DemoDatabase();
    checksum_before_ = std::hash<std::string>{}(testing::FileBytes(path_));
    native_ = host::db::OpenConnection(path_).release();
    odbc_ = host::db::OpenConnection("Driver=SQLite3;Database=" + path_ + ";").release();
  }
  static void TearDownTestSuite() {
    delete native_;
    delete odbc_;
  }

  // Runs on both back ends, checks they agree, answers the native rows.
  static RecordSetPtr Both(const std::string& sql, const std::string& what) {
    RecordSetPtr a = native_->Execute(sql);
    RecordSetPtr b = odbc_->Execute(sql);
    ExpectSameRows(a, b, what);
    a->MoveFirst();
    return a;
  }

  // Company 1's bookings in `unit`, grouped by `items` with `grouping`.
  static BookingQueryInput Input(bool fashion, const std::string& unit, std::vector<OrderItem> items = {},
                                 std::string grouping = "", std::string ordering = "") {
    host::RecordSetFunctions functions;
    functions.SetConnessione(native_);
    BookingQueryInput in;
    in.company = "1";
    in.unit = static_cast<TipoTempo>(std::stoi(unit));
    in.fashion = fashion;
    in.booking_columns = functions.ElencoCampiDaSelect_V2(kBookingColumnsSelect);
    in.items = std::move(items);
    in.grouping = std::move(grouping);
    in.ordering = std::move(ordering);
    return in;
  }

  static inline std::string path_;
  static inline size_t checksum_before_ = 0;
  static inline Connection* native_ = nullptr;
  static inline Connection* odbc_ = nullptr;
};

const std::vector<OrderItem> kDefaultGrouping{
    {"PD44_CODART_MG66", "Articolo", true},     {"PD44_OPZIONE", "Variante", true},
    {"DO11_DOCUM_MG36", "Codice ordine", true}, {"DO11_DATADOC", "Data ordine", true},
    {"DO11_SEZDOC", "Sezionale ordine", true},  {"DO11_NUMDOC", "Numero ordine", true},
    {"DO30_PROGRIGA", "Riga ordine", true},     {"PD44_CODFORNREP", "Reparto", false},
    {"PD44_SEQFASE", "Sequenza fase", false},   {"PD44_CODFASE_PD12", "Fase", false}};
const std::string kDefaultGroupBy =
    "GROUP BY PD44_CODART_MG66, PD44_OPZIONE, DO11_DOCUM_MG36, DO11_DATADOC, DO11_SEZDOC, DO11_NUMDOC, DO30_PROGRIGA";
const std::string kFromFebruary = " AND PD44_DATAREG >= '2026-02-01 00:00:00'";

TEST_F(QueriesOnDemo, BookingQueriesAgreeForEveryUnitFashionAndGrouping) {
  struct Grouping {
    std::vector<OrderItem> items;
    std::string grouping;
    std::string ordering;
  };
  const std::vector<Grouping> groupings{
      {kDefaultGrouping, kDefaultGroupBy, "1"},
      {{{"PD44_OPZIONE", "Variante", true}}, "GROUP BY PD44_OPZIONE", "1"},
      {{{"PD44_CODDIP_PD06", "Dipendente", true},
        {"PD44_CODFASE_PD12", "Fase", true},
        {"PD44_CODPROG_PD14", "Progetto", false}},
       "GROUP BY PD44_CODDIP_PD06, PD44_CODFASE_PD12",
       ""},
      {{}, "", ""}};
  for (const bool fashion : {false, true}) {
    for (const std::string unit : {"0", "1", "2", "3"}) {
      for (const auto& g : groupings) {
        BookingQueryInput in = Input(fashion, unit, g.items, g.grouping, g.ordering);
        in.condition = kFromFebruary;
        const BookingQueries q = BuildBookingQueries(in);
        const std::string what = "unit " + unit + (fashion ? " fashion " : " ") + g.grouping;
        const RecordSetPtr grouped = Both(q.grouped, what + " grouped");
        const RecordSetPtr detailed = Both(q.detailed, what + " detailed");
        EXPECT_GT(grouped->RecordCount(), 0U) << what;
        EXPECT_GT(detailed->RecordCount(), grouped->RecordCount() - 1) << what;
      }
    }
  }
}

// The grouped rows worked out from the detailed ones are the grouped
// query's own, field by field and cell by cell (the kind of each value
// too), on both back ends: every unit, with and without fashion, with
// ungrouped items between the grouping ones and a time bucket.
TEST_F(QueriesOnDemo, GroupedRowsFromTheBookingsAreTheGroupedQuerysRows) {
  const std::vector<std::pair<std::vector<OrderItem>, std::string>> groupings{
      {kDefaultGrouping, kDefaultGroupBy},
      {{{"PD44_CODFORNREP", "Reparto", true},
        {"PD44_CODDIP_PD06", "Dipendente", false},
        {"PD44_CODFASE_PD12", "Fase", true},
        {"MESEREGVERS", "Mese reg.vers.", true},
        {"PD44_DATAREG", "Data", false}},
       "GROUP BY PD44_CODFORNREP, PD44_CODFASE_PD12, MESEREGVERS"},
      {{{"PD44_CODDIP_PD06", "Dipendente", true}, {"ANNOREGVERS", "Anno reg.vers.", false}},
       "GROUP BY PD44_CODDIP_PD06"},
      // As the command line groups: the chosen fields first, the others after.
      {{{"PD44_CODFORNREP", "Reparto", true},
        {"PD44_CODART_MG66", "Articolo", false},
        {"PD44_OPZIONE", "Variante", false},
        {"DO11_NUMDOC", "Numero ordine", false}},
       "GROUP BY PD44_CODFORNREP"},
      // Some articles' bookings hold a Null variant only (MAX() is Null),
      // others a blank one too (MAX() is blank): both are in the demo.
      {{{"PD44_CODART_MG66", "Articolo", true}, {"PD44_OPZIONE", "Variante", false}}, "GROUP BY PD44_CODART_MG66"}};
  for (Connection* connection : {native_, odbc_}) {
    // Through ODBC the same arithmetic: two units are enough to show it.
    const std::vector<bool> fashions = connection == native_ ? std::vector<bool>{false, true} : std::vector<bool>{false};
    const std::vector<std::string> units =
        connection == native_ ? std::vector<std::string>{"0", "1", "2", "3"} : std::vector<std::string>{"0", "2"};
    for (const bool fashion : fashions) {
      for (const std::string& unit : units) {
        for (const auto& [items, grouping] : groupings) {
          BookingQueryInput in = Input(fashion, unit, items, grouping, "1");
          in.condition = kFromFebruary;
          const std::string what = connection->BackEnd() + " unit " + unit + (fashion ? " fashion " : " ") + grouping;
          ASSERT_TRUE(CanGroupFromDetail(in, connection->BackEnd())) << what;
          const BookingQueries q = BuildBookingQueries(in);
          const RecordSetPtr grouped = connection->Execute(q.grouped);
          const RecordSetPtr layout = connection->Execute(GroupedLayoutQuery(q.grouped));
          EXPECT_TRUE(layout->Eof()) << what;
          const RecordSetPtr detailed = connection->Execute(q.detailed);
          const BlankVariants blank_variants = BlankVariants::Read(*connection->Execute(BlankVariantQuery("1")));
          EXPECT_FALSE(blank_variants.Empty()) << what;
          const RecordSetPtr derived = GroupFromDetail(*detailed, *layout, in, blank_variants);
          // Through ODBC the year of registration comes untyped (the driver
          // cannot tell a computed text): the database is asked instead.
          if (connection == odbc_ && grouping == "GROUP BY PD44_CODDIP_PD06") {
            EXPECT_EQ(derived, nullptr) << what;
            continue;
          }
          ASSERT_TRUE(derived) << what;
          ASSERT_EQ(grouped->FieldCount(), derived->FieldCount()) << what;
          for (size_t c = 0; c < grouped->FieldCount(); ++c) {
            const host::FieldDef& a = grouped->Field(c);
            const host::FieldDef& b = derived->Field(c);
            EXPECT_TRUE(a.name == b.name && a.type == b.type && a.size == b.size && a.scale == b.scale &&
                        a.precision == b.precision)
                << what << " " << a.name;
          }
          ASSERT_EQ(grouped->RecordCount(), derived->RecordCount()) << what;
          int mismatches = 0;
          int null_variants = 0;
          int blank_variants_seen = 0;
          const int variant = derived->FieldIndex("PD44_OPZIONE");
          for (grouped->MoveFirst(); !grouped->Eof() && mismatches < 5; grouped->MoveNext(), derived->MoveNext()) {
            if (variant >= 0 && derived->Value(static_cast<size_t>(variant)).IsNull()) ++null_variants;
            if (variant >= 0 && Cell(*derived, static_cast<size_t>(variant)).empty()) ++blank_variants_seen;
            for (size_t c = 0; c < grouped->FieldCount(); ++c) {
              if (grouped->Value(c) == derived->Value(c)) continue;
              ++mismatches;
              ADD_FAILURE() << what << " row " << grouped->AbsolutePosition() << " " << grouped->Field(c).name << ": "
                            << Cell(*grouped, c) << " (kind " << static_cast<int>(grouped->Value(c).Type())
                            << ") vs " << Cell(*derived, c) << " (kind " << static_cast<int>(derived->Value(c).Type())
                            << ")";
            }
          }
          if (grouping == "GROUP BY PD44_CODART_MG66") {
            EXPECT_GT(null_variants, 0) << what;
            EXPECT_GT(blank_variants_seen, 0) << what;
          }
        }
      }
    }
  }
  // What the bookings cannot tell is asked of the database.
  BookingQueryInput in = Input(false, "0", kDefaultGrouping, "GROUP BY PD44_CODART_MG66", "1");
  EXPECT_FALSE(CanGroupFromDetail(in, "ODBC:SQL Server"));
  EXPECT_TRUE(CanGroupFromDetail(in, "SQLite"));
  in.condition = " AND PD07_DESCR LIKE 'A%'";  // a description only the detailed query joins
  EXPECT_FALSE(CanGroupFromDetail(in, "SQLite"));
  in.condition.clear();
  in.ordering.clear();
  EXPECT_FALSE(CanGroupFromDetail(in, "SQLite"));
  in.ordering = "1";
  in.items = {{"PD44_CODART_MG66", "Articolo", true}, {"PD44_OPZIONE", "Variante", false},
              {"PD44_CODFORNREP", "Reparto", true}};  // the variant of any booking would order the groups
  EXPECT_FALSE(CanGroupFromDetail(in, "SQLite"));
  in.items = kDefaultGrouping;
  in.ordering = "1";
  in.items.push_back({"PD18_CODCICLO", "Ciclo", true});
  EXPECT_FALSE(CanGroupFromDetail(in, "SQLite"));
}

// The bookings with a blank variant are read straight through the table:
// through the company's index, on a database of one company, every booking
// would be looked up on its own.
TEST_F(QueriesOnDemo, BlankVariantsAreReadStraightThrough) {
  const std::string sql = BlankVariantQuery("1");
  EXPECT_EQ(sql,
            "SELECT PD44_PRGMVORE_PD31 FROM PD44_VERSORE WITH(NOLOCK) WHERE +PD44_DITTA_CG18 = 1 AND PD44_OPZIONE "
            "IS NOT NULL AND RTRIM(PD44_OPZIONE) = ''");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* plan = nullptr;
  const std::string explain = "EXPLAIN QUERY PLAN " + host::sql::SqliteDialect().Translate(sql).sql;
  ASSERT_EQ(sqlite3_prepare_v2(db, explain.c_str(), -1, &plan, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  std::string steps;
  while (sqlite3_step(plan) == SQLITE_ROW) steps += reinterpret_cast<const char*>(sqlite3_column_text(plan, 3));
  sqlite3_finalize(plan);
  sqlite3_close(db);
  EXPECT_EQ(steps, "SCAN PD44_VERSORE");
  // Company 1's blank variants only: the demo's company 2 has some too.
  const RecordSetPtr rows = native_->Execute(sql);
  const RecordSetPtr expected = native_->Execute(
      "SELECT PD44_PRGMVORE_PD31 FROM PD44_VERSORE WHERE PD44_DITTA_CG18 = 1 AND PD44_OPZIONE IS NOT NULL AND "
      "RTRIM(PD44_OPZIONE) = '' ORDER BY PD44_PRGMVORE_PD31");
  ASSERT_GT(expected->RecordCount(), 0U);
  ASSERT_GT(native_->Execute(BlankVariantQuery("2"))->RecordCount(), 0U);
  const BlankVariants read = BlankVariants::Read(*rows);
  EXPECT_EQ(read.Count(), expected->RecordCount());
  for (; !expected->Eof(); expected->MoveNext()) {
    EXPECT_TRUE(read.Holds(expected->Value(0).ToDecimal().TruncToInt64())) << expected->Value(0).ToText();
  }
}

TEST_F(QueriesOnDemo, BookedTimesAddUpToTheTable) {
  // Unit 3: the groups' seconds add up to every booking of the company.
  BookingQueryInput in = Input(false, "3", kDefaultGrouping, kDefaultGroupBy);
  const BookingQueries q = BuildBookingQueries(in);
  RecordSetPtr grouped = native_->Execute(q.grouped);
  host::Decimal total;
  for (; !grouped->Eof(); grouped->MoveNext()) total = total + grouped->Value("SECVERS").ToDecimal();
  RecordSetPtr direct = native_->Execute(
      "SELECT SUM(PD44_OREORD*3600 + PD44_MINORD*60 + PD44_SECORD) AS S FROM PD44_VERSORE WHERE PD44_DITTA_CG18 = 1");
  EXPECT_EQ(total.ToString(), direct->Value("S").ToDecimal().ToString());

  // Unit 1 per booking: each part cast to two decimals before adding.
  in.unit = kOreDecimali;
  RecordSetPtr detailed = native_->Execute(BuildBookingQueries(in).detailed);
  EXPECT_EQ(detailed->Field(static_cast<size_t>(detailed->FieldIndex("OREVERS"))).scale, 2);
  int checked = 0;
  for (; !detailed->Eof() && checked < 300; detailed->MoveNext(), ++checked) {
    const auto h = detailed->Value("PD44_OREORD").ToDecimal();
    const auto m = detailed->Value("PD44_MINORD").ToDecimal();
    const auto s = detailed->Value("PD44_SECORD").ToDecimal();
    const auto expected =
        h.Round(2) + (m / host::Decimal::FromInt(60)).Round(2) + (s / host::Decimal::FromInt(3600)).Round(2);
    ASSERT_EQ(detailed->Value("OREVERS").ToDecimal(), expected)
        << h.ToString() << " " << m.ToString() << " " << s.ToString();
  }
}

TEST_F(QueriesOnDemo, PlannedTimeQueriesAgreeAndFindBothSources) {
  BookingQueryInput in = Input(false, "0");
  RecordSetPtr bookings = native_->Execute(BuildBookingQueries(in).detailed);
  host::ProductionServices production(*native_, "1");
  int order_phases = 0;
  int cycle_by_bom = 0;
  int default_cycle = 0;
  int workers = 0;
  int walked = 0;
  for (; !bookings->Eof() && walked < 3000; bookings->MoveNext(), ++walked) {
    const auto text = [&](const char* f) { return host::RTrim(bookings->Value(f).JoinedText()); };
    const auto number = [&](const char* f) {
      const auto v = bookings->Value(f);
      return v.IsNull() ? std::string("0") : v.ToDecimal().ToString();
    };
    if (!bookings->Value("DO30_IDDISBA_PD95").IsNull()) {
      RecordSetPtr phase = Both(OrderPhaseQuery("1", text("PD44_NUMREG_CO99"), number("PD44_PROGRIGA_DO30"),
                                                text("PD44_CODFORNREP"), number("PD44_CODFASE_PD12")),
                                "order phase");
      if (phase->Eof()) continue;
      ++order_phases;
      const std::string id = phase->Value("PD2A_IDFASE").ToDecimal().ToString();
      workers += static_cast<int>(Both(OrderWorkersQuery(id), "order workers")->RecordCount());
      EXPECT_EQ(Both(OrderPhaseByIdQuery("1", id), "order phase by id")->RecordCount(), 1U);
      continue;
    }
    if (text("PD44_CODART_MG66").empty()) continue;
    const int16_t type = bookings->Value("PD18_INDTIPOART").IsNull() ? 0 : bookings->Value("PD18_INDTIPOART").ToInt16();
    const std::string project = type == 3 ? text("PD44_CODPROG_PD14") : "";
    const host::Variant bom =
        production.CercaDistintaBase(text("PD44_CODART_MG66"), text("PD44_OPZIONE"), project.empty() ? 0 : 3, project);
    RecordSetPtr cycle;
    if (!bom.IsNull()) {
      cycle =
          Both(CycleByBomQuery("1", text("PD44_CODFORNREP"), number("PD44_CODFASE_PD12"), bom.ToDecimal().ToString()),
               "cycle by bill of materials");
      cycle_by_bom += cycle->Eof() ? 0 : 1;
    } else if (!text("PD18_CODCICLO").empty()) {
      cycle = Both(DefaultCycleQuery("1", text("PD44_CODFORNREP"), number("PD44_CODFASE_PD12"), text("PD18_CODCICLO")),
                   "default cycle");
      default_cycle += cycle->Eof() ? 0 : 1;
    }
    if (cycle && !cycle->Eof()) {
      const std::string id = cycle->Value("PD48_IDCICLO").ToDecimal().ToString();
      workers += static_cast<int>(Both(CycleWorkersQuery(id), "cycle workers")->RecordCount());
      EXPECT_EQ(Both(CyclePhaseByIdQuery("1", id), "cycle phase by id")->RecordCount(), 1U);
    }
  }
  EXPECT_GT(order_phases, 10);
  EXPECT_GT(cycle_by_bom, 3);
  EXPECT_GT(default_cycle, 1);
  EXPECT_GT(workers, 5);
}

TEST_F(QueriesOnDemo, ConfigurationQueriesAndTheTemporaryTable) {
  EXPECT_EQ(Both(CommercialConfigurationQuery("1", "ART0001"), "configured")->RecordCount(), 1U);
  EXPECT_EQ(Both(CommercialConfigurationQuery("1", "ART0002"), "not configured")->RecordCount(), 0U);
  EXPECT_EQ(Both(ArticleTypeQuery("1", "ART0007"), "type")->Value(size_t{0}).ToInt32(), 3);
  // Segments 3 and 2 (not progressive), then 4 (progressive): start 6, length 4.
  RecordSetPtr segments = Both(VariantSegmentsQuery("1"), "segments");
  ASSERT_EQ(segments->RecordCount(), 3U);
  segments->MoveLast();
  EXPECT_EQ(segments->Value("MG5F_SIZE").ToInt32(), 4);
  EXPECT_EQ(segments->Value("MG5F_INDPROGCONFIG").ToInt32(), 1);
  RecordSetPtr values = Both(CatvalConfigQuery("1", "null", "ART0001", "'ROS.042'", "'2026-06-01 00:00:00'", "6", "4"),
                             "configuration values");
  ASSERT_EQ(values->RecordCount(), 2U);
  EXPECT_EQ(values->Value("CODICE").Text(), "DIAM");
  EXPECT_EQ(values->Value("CODARTMOD_MG66").Text(), "ART0001M");
  for (Connection* c : {native_, odbc_}) {
    c->ExecuteNoRecords(CatvalCreateBatch());
    c->ExecuteNoRecords(CatvalInsert("DIAM", "1", "null", "13.5"));
    c->ExecuteNoRecords(CatvalInsert("FINITURA", "0", "'LUCIDA'", "null"));
    RecordSetPtr catval = c->Execute("SELECT PROG, CAT, TIPOCAT, VALSTR, VALNUM FROM #CATVAL ORDER BY PROG");
    ASSERT_EQ(catval->RecordCount(), 2U) << c->BackEnd();
    EXPECT_EQ(catval->Value("PROG").ToInt32(), 1);
    EXPECT_EQ(catval->Value("CAT").Text(), "DIAM      ");  // CHAR(10)
    EXPECT_EQ(catval->Value("VALNUM").ToDecimal().ToString(), "13.5");
    c->ExecuteNoRecords(DropTempTableBatch("#CATVAL"));
    EXPECT_THROW(c->Execute("SELECT * FROM #CATVAL"), host::Error) << c->BackEnd();
    c->ExecuteNoRecords(DropTempTableBatch("#CATVAL"));  // dropping what is not there is no error
  }
  EXPECT_EQ(Both(ArticleBomManagementQuery("1", "ART0007"), "bom management")->Value(size_t{0}).ToInt32(), 2);
  EXPECT_EQ(Both(CompanyBomManagementQuery("1"), "company bom management")->Value(size_t{0}).ToInt32(), 1);
  RecordSetPtr description = Both(
      "SELECT TOP 1 DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_CODFASE, DO46_DESCRFASE FROM DO46_DOCCORORDDET "
      "WHERE DO46_DESCRFASE IS NOT NULL ORDER BY DO46_NUMREG_CO99",
      "a described phase");
  ASSERT_FALSE(description->Eof());
  RecordSetPtr found = Both(OrderPhaseDescriptionQuery("1", description->Value(size_t{0}).Text(),
                                                       description->Value(size_t{1}).ToDecimal().ToString(),
                                                       description->Value(size_t{2}).ToDecimal().ToString()),
                            "phase description");
  EXPECT_EQ(found->Value("DO46_DESCRFASE").Text(), description->Value(size_t{3}).Text());
}

TEST_F(QueriesOnDemo, TheDatabaseIsReadOnlyAndUntouched) {
  try {
    native_->ExecuteNoRecords("UPDATE PD44_VERSORE SET PD44_NOTE = 'x'");
    FAIL() << "an ERP table was written";
  } catch (const host::Error& e) {
    EXPECT_NE(std::string(e.what()).find("readonly"), std::string::npos) << e.what();
    ASSERT_FALSE(native_->Errors().empty());
    EXPECT_EQ(native_->Errors().front().source, "SQLite");
  }
  EXPECT_EQ(std::hash<std::string>{}(testing::FileBytes(path_)), checksum_before_);
}

TEST(Connections, BadTargetsFailClearlyAndQuickly) {
  const auto start = std::chrono::steady_clock::now();
  const auto message = [](const std::string& target) {
    try {
      host::db::OpenConnection(target);
    } catch (const host::Error& e) {
      return std::string(e.what());
    }
    return std::string("opened");
  };
  // (A missing file and one that is no database: cli_test's
  // WhatIsWrongWithTheFileIsSaidPlainly, through either back end.)
  EXPECT_NE(message("Data Source=").find("No database file"), std::string::npos);
  const std::string no_driver = message("Driver=NoSuchDriver;Database=x;PWD=Secret123");
  EXPECT_NE(no_driver.find("Cannot connect"), std::string::npos) << no_driver;
  EXPECT_EQ(no_driver.find("Secret123"), std::string::npos) << no_driver;
  const std::string refused = message(
      "Driver=FreeTDS;Server=127.0.0.1;Port=1;Database=erp;UID=sa;PWD=Secret123;TDS_Version=7.4;LoginTimeout=3");
  EXPECT_NE(refused.find("Cannot connect"), std::string::npos) << refused;
  EXPECT_EQ(refused.find("Secret123"), std::string::npos) << refused;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  host::db::SqliteConnection closed;
  EXPECT_THROW(closed.Execute("SELECT 1"), host::Error);
  EXPECT_EQ(closed.Errors().size(), 1U);
}

TEST(ProductionServices, BillsOfMaterialsAndFormulas) {
  auto connection = host::db::OpenConnection(testing::DemoDatabase());
  host::ProductionServices production(*connection, "1");
  EXPECT_TRUE(production.CercaDistintaBase("ART0003", "", 0, "").IsNull());  // n % 5 == 2 has none... (3 % 5 = 3)
  EXPECT_FALSE(production.CercaDistintaBase("ART0001", "", 0, "").IsNull());
  EXPECT_TRUE(production.CercaDistintaBase("ART0002", "", 0, "").IsNull());          // 2 % 5 == 2: no bill
  EXPECT_FALSE(production.CercaDistintaBase("ART0003", "ROS.042", 0, "").IsNull());  // per option
  EXPECT_TRUE(production.CercaDistintaBase("NOPE'; --", "", 0, "").IsNull());        // quotes are doubled
  const int64_t asked = production.Queries();
  (void)production.CercaDistintaBase("ART0001", "", 0, "");
  EXPECT_EQ(production.Queries(), asked);  // answered from the cache

  std::array<host::Variant, host::ProductionServices::kFormulaValues> values;
  values[0] = host::Decimal::FromInt(8);
  values[2] = int32_t{50};
  values[9] = "not a number";
  host::Variant result;
  production.ValutaFormula("F_MAGG", "ART0001", "", "CIC0001", values, result);
  EXPECT_DOUBLE_EQ(result.ToDouble(), 10);  // T * 1.25
  production.ValutaFormula("F_LOTTO", "ART0001", "", "CIC0001", values, result);
  EXPECT_DOUBLE_EQ(result.ToDouble(), 9);  // T + 0.02 * Q
  production.ValutaFormula("NOPE", "ART0001", "", "CIC0001", values, result);
  EXPECT_TRUE(result.IsEmpty());
}

}  // namespace
}  // namespace engine
