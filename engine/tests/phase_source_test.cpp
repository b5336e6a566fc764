// Which phase row a lookup by id answers, known without the lookup: only
// where the bulk tables hold the row and no other row has its id.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "engine/phase_source.h"
#include "engine/tests/demo_db.h"
#include "engine/tests/tiny_erp.h"
#include "host/db/connection.h"

namespace engine {
namespace {

// Company 1's order phases, which the bulk table holds (the query's end).
constexpr const char* kCompanyOrderPhases =
    "PD2A_IDFASE) FROM PD2A_DETFASIDOC INNER JOIN DO46_DOCCORORDDET ON DO46_NUMREG_CO99 = PD2A_NUMREG_CO99 AND "
    "DO46_PROGRIGA = PD2A_PROGRIGA_DO46 AND DO46_PROGDET = PD2A_PROGDET_DO46 WHERE DO46_DITTA_CG18 = 1";

TEST(PhaseSource, KnownRowByIdOnlyForTheBulkRowOfAnIdNoOtherRowHas) {
  // The demo, with one order phase's row read twice: its id names two rows.
  testing::TempDir dir;
  const std::string path = dir.File("shared-id.db");
  std::filesystem::copy_file(testing::DemoDatabase(), path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  // The table made again without its key, so that the row can be there twice.
  testing::Exec(db, "ALTER TABLE PD2A_DETFASIDOC RENAME TO PD2A_KEYED");
  testing::Exec(db, "DROP INDEX PD2A_BY_DETAIL");
  sqlite3_stmt* schema = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE name = 'PD2A_KEYED'", -1, &schema, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(schema), SQLITE_ROW);
  std::string create = reinterpret_cast<const char*>(sqlite3_column_text(schema, 0));
  sqlite3_finalize(schema);
  create.replace(create.find("PD2A_KEYED"), 10, "PD2A_DETFASIDOC");
  create.replace(create.find(" PRIMARY KEY"), 12, "");
  testing::Exec(db, create);
  testing::Exec(db, "INSERT INTO PD2A_DETFASIDOC SELECT * FROM PD2A_KEYED");
  testing::Exec(db, std::string("INSERT INTO PD2A_DETFASIDOC SELECT * FROM PD2A_KEYED WHERE PD2A_IDFASE = (SELECT MIN(") +
               kCompanyOrderPhases + ")");
  sqlite3_close(db);

  auto connection = host::db::OpenConnection(path);
  PhaseSource phases(*connection, "1");
  const auto first_id = [&](const char* sql) {
    auto rows = connection->Execute(sql);
    return rows->Value(size_t{0});
  };
  const host::Variant shared = first_id((std::string("SELECT MIN(") + kCompanyOrderPhases).c_str());
  const host::Variant order = first_id((std::string("SELECT MAX(") + kCompanyOrderPhases).c_str());
  const host::Variant cycle = first_id("SELECT MAX(PD48_IDCICLO) FROM PD48_CICLI WHERE PD48_DITTA_CG18 = 1");
  ASSERT_FALSE(order.IsNull());
  ASSERT_FALSE(cycle.IsNull());

  // Before the bulk tables are read, only the lookup can tell.
  const std::optional<PhaseRow> queried = phases.OrderPhaseById(order);
  ASSERT_TRUE(queried);
  EXPECT_FALSE(phases.KnownRowById(true, order, queried->table, queried->row));

  phases.Prefetch();
  const std::optional<PhaseRow> order_row = phases.OrderPhaseById(order);
  const std::optional<PhaseRow> cycle_row = phases.CyclePhaseById(cycle);
  ASSERT_TRUE(order_row);
  ASSERT_TRUE(cycle_row);
  const std::optional<PhaseRow> known = phases.KnownRowById(true, order, order_row->table, order_row->row);
  ASSERT_TRUE(known);
  EXPECT_EQ(known->table, order_row->table);
  EXPECT_EQ(known->row, order_row->row);
  EXPECT_EQ(known->lot, order_row->lot);
  const std::optional<PhaseRow> known_cycle = phases.KnownRowById(false, cycle, cycle_row->table, cycle_row->row);
  ASSERT_TRUE(known_cycle);
  EXPECT_EQ(known_cycle->row, cycle_row->row);
  // The same id as a decimal with places: the same number, the same row.
  EXPECT_TRUE(phases.KnownRowById(true, host::Variant(host::Decimal::FromParts(
                                             static_cast<host::Int128>(order.ToInt64()) * 100, 2)),
                                  order_row->table, order_row->row));

  // Not the row's id, not that kind's table, no id at all.
  EXPECT_FALSE(phases.KnownRowById(true, host::Variant(order.ToInt64() + 1), order_row->table, order_row->row));
  EXPECT_FALSE(phases.KnownRowById(false, order, order_row->table, order_row->row));
  EXPECT_FALSE(phases.KnownRowById(true, cycle, cycle_row->table, cycle_row->row));
  EXPECT_FALSE(phases.KnownRowById(true, host::Variant::Null(), order_row->table, order_row->row));
  // Both rows of the shared id: the lookup asks the query.
  size_t rows_of_shared = 0;
  const host::Table& bulk = *order_row->table;
  const int id_column = bulk.FieldIndex("PD2A_IDFASE");
  for (size_t r = 0; r < bulk.RowCount(); ++r) {
    if (host::CompareNumbers(bulk.Get(r, static_cast<size_t>(id_column)), shared) != 0) continue;
    ++rows_of_shared;
    EXPECT_FALSE(phases.KnownRowById(true, shared, &bulk, r)) << r;
  }
  EXPECT_EQ(rows_of_shared, 2U);
}

}  // namespace
}  // namespace engine
