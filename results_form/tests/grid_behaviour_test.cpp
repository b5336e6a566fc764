// A grid as the user handles it (offscreen), over a small record set made by
// hand: sorting a number column as numbers, the record a row stands for after
// a sort, the copy in the order and with the columns the user sees, the
// default layout restored, a moved column kept for the next opening; the
// filter of a booking's planned record while its index is built beside.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "host/qt/user_settings.h"
#include "host/recordset/recordset.h"
#include "results_form/booking_record_filter.h"
#include "results_form/grid_definition.h"
#include "results_form/recordset_model.h"

using results_form::GridDefinition;
using results_form::RecordSetModel;

namespace {

// Five machines and their hours: the sorted order (by hours) is not its own
// inverse, so a row mapped through the wrong one lands on another record.
host::RecordSetPtr Machines() {
  auto rs = host::RecordSet::Create();
  rs->AppendField(host::TextField("MACCHINA", 10));
  rs->AppendField(host::DecimalField("ORE", 10, 2));
  rs->AppendField(host::TextField("REPARTO", 10));
  rs->Open();
  const std::vector<std::tuple<const char*, const char*, const char*>> rows{
      {"M1", "100", "R01"}, {"M2", "9", "R02"}, {"M3", "10", "R01"}, {"M4", "2.5", "R03"}, {"M5", "20", "R02"}};
  for (const auto& [machine, hours, department] : rows) {
    rs->AddNew();
    rs->SetValue("MACCHINA", machine);
    rs->SetValue("ORE", *host::Decimal::Parse(hours));
    rs->SetValue("REPARTO", department);
    rs->Update();
  }
  rs->MoveFirst();
  return rs;
}

std::vector<RecordSetModel::Column> Columns() {
  return {{"MACCHINA", "Macchina"}, {"ORE", "Ore", Qt::AlignRight | Qt::AlignVCenter}, {"REPARTO", "Reparto"}};
}

QStringList Column(const QAbstractItemModel* model, int column) {
  QStringList out;
  for (int row = 0; row < model->rowCount(); ++row) out << model->index(row, column).data().toString();
  return out;
}

// A grid as the results form makes one: a view, its model bound to the
// record set, and its definition under a layout key.
struct Grid {
  explicit Grid(host::RecordSetPtr records, const QString& key = "TEST.GRID.0")
      : model(new RecordSetModel(std::move(records), Columns(), &view)) {
    view.setModel(model);
    model->Bind(&view);
    definition = new GridDefinition(&view, model, key, [](const std::string& s) { return QString::fromStdString(s); });
    view.resize(600, 300);
    view.show();
  }
  QTableView view;
  RecordSetModel* model;
  GridDefinition* definition;
};

}  // namespace

class GridBehaviourTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(settings_dir_.isValid());
    host::qt::SetUserSettingsFile(settings_dir_.filePath("settings.ini"));
  }

  // After a sort, choosing any row makes its own record current (and the
  // record set's moves select the right row). By hours as numbers
  // (2.5 < 9 < 10 < 20 < 100, not "10" < "100" < "2.5" < "20" < "9" as texts).
  void aChosenRowAfterASortIsItsOwnRecord() {
    auto records = Machines();
    Grid grid(records);
    grid.view.sortByColumn(1, Qt::AscendingOrder);
    for (int row = 0; row < grid.model->rowCount(); ++row) {
      grid.view.selectRow(row);
      QCOMPARE(QString::fromStdString(records->Value("MACCHINA").JoinedText()),
               grid.model->index(row, 0).data().toString());
    }
    QCOMPARE(Column(grid.model, 0), QStringList({"M4", "M2", "M3", "M5", "M1"}));
    records->MoveFirst();  // M1: the last row by hours
    QCOMPARE(grid.view.currentIndex().row(), 4);
    records->Find("MACCHINA = 'M2'");
    QCOMPARE(grid.view.currentIndex().row(), 1);
  }

  // Ctrl+C copies the columns in the order on the screen, without the
  // hidden ones, with their captions: after a sort, a move and a hide.
  void theCopyFollowsTheScreen() {
    Grid grid(Machines());
    grid.view.sortByColumn(1, Qt::DescendingOrder);
    QHeaderView* header = grid.view.horizontalHeader();
    header->moveSection(header->visualIndex(2), 0);  // Reparto first
    grid.view.selectAll();
    QTest::keyClick(&grid.view, Qt::Key_C, Qt::ControlModifier);
    QStringList lines = QApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.value(0), QString("Reparto\tMacchina\tOre"));
    QCOMPARE(lines.value(1), QString("R01\tM1\t100"));
    QCOMPARE(lines.value(5), QString("R03\tM4\t2.5"));
    grid.view.setColumnHidden(0, true);  // Macchina
    QTest::keyClick(&grid.view, Qt::Key_C, Qt::ControlModifier);
    lines = QApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.value(0), QString("Reparto\tOre"));
    QCOMPARE(lines.value(2), QString("R02\t20"));
  }

  // A moved and hidden column comes back at the next opening of a grid of
  // the same key; the default layout puts every column back; another key
  // (another time unit) has its own layout.
  void aLayoutIsKeptPerKeyAndTheDefaultComesBack() {
    {
      Grid grid(Machines(), "TEST.LAYOUT.0");
      grid.view.horizontalHeader()->moveSection(0, 2);  // Macchina last
      grid.view.setColumnHidden(1, true);
      grid.definition->Save();
    }
    {
      Grid grid(Machines(), "TEST.LAYOUT.0");
      QCOMPARE(grid.view.horizontalHeader()->visualIndex(0), 2);
      QVERIFY(grid.view.isColumnHidden(1));
      grid.definition->RestoreDefault();
      QCOMPARE(grid.view.horizontalHeader()->visualIndex(0), 0);
      QVERIFY(!grid.view.isColumnHidden(1));
    }
    {
      Grid grid(Machines(), "TEST.LAYOUT.1");
      QCOMPARE(grid.view.horizontalHeader()->visualIndex(0), 0);
      QVERIFY(!grid.view.isColumnHidden(1));
    }
  }

  // The planned record of a booking: the rows that "IDVERS = n" keeps, in
  // order, whether the index built beside is there yet (the first filter
  // comes at once, most likely before it) or not: each id is held by two
  // records, id 0 and three Nulls are what "= NULL" keeps.
  void theBookingRecordFilterKeepsWhatTheFilterKeeps() {
    auto records = host::RecordSet::Create();
    records->AppendField(host::DecimalField("IDVERS", 12, 0));
    records->Open();
    constexpr int kRows = 200000;
    for (int row = 0; row < kRows + 3; ++row) {
      records->AddNew();
      if (row < kRows) records->SetValue("IDVERS", row / 2);
      records->Update();
    }
    const auto rows = [&records] {
      QList<size_t> out;
      for (records->MoveFirst(); !records->Eof(); records->MoveNext()) out << records->StorageRow();
      return out;
    };
    results_form::BookingRecordFilter filter(records, "IDVERS");
    filter.Apply("IDVERS = 7");
    QCOMPARE(rows(), QList<size_t>({14, 15}));
    QCOMPARE(QString::fromStdString(records->Filter()), QString("IDVERS = 7"));
    filter.Apply("IDVERS = NULL");
    QCOMPARE(rows(), QList<size_t>({0, 1, kRows, kRows + 1, kRows + 2}));
    QVERIFY(!filter.IndexReady());
    filter.StartIndex();
    while (!filter.IndexReady()) QThread::msleep(1);
    filter.Apply("IDVERS = 99999");
    QCOMPARE(rows(), QList<size_t>({kRows - 2, kRows - 1}));
    filter.Apply("IDVERS = 100000");
    QCOMPARE(records->RecordCount(), size_t{0});
    filter.Apply("IDVERS = NULL");
    QCOMPARE(rows().size(), 5);
    filter.Apply("");
    QCOMPARE(records->RecordCount(), size_t{kRows + 3});
  }

 private:
  QTemporaryDir settings_dir_;
};

QTEST_MAIN(GridBehaviourTest)
#include "grid_behaviour_test.moc"
