// The print record sets and the export on the hand-worked database: their
// layout, that every figure is the group totals' own, the export's tables
// and captions, and the workbook read back as a spreadsheet reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "demo/erp_database.h"
#include "engine/presentation/record_durations.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"
#include "output/export_tables.h"
#include "output/print_records.h"
#include "output/table_writer.h"
#include "output/tests/python_reader.h"
#include "output/tests/written.h"

namespace output {
namespace {

using host::Variant;

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string db = engine::testing::TinyErp(dir_);
    // A booking of no time at all.
    engine::testing::ExecOn(db, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                          "PD44_CODART_MG66, PD44_CODFORNREP, PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) "
                          "VALUES (1, 10, '2026-03-10 00:00:00', 'A2', 'R01', 0, 0, 0, 0)");
    auto request = engine::testing::RequestOn(db, {"Articolo"});
    run_ = engine::Comparison::Make(form_, std::move(request), progress_);
    ASSERT_FALSE(run_->Failed());
    decode_ = std::make_unique<host::DecodeService>(run_->Connection(), "1");
  }

  engine::testing::TempDir dir_;
  host::testing::FakeForm form_;
  engine::NoProgress progress_;
  std::unique_ptr<engine::Comparison> run_;
  std::unique_ptr<host::DecodeService> decode_;
};

TEST(PrintLayout, NinetySevenFieldsInOrder) {
  auto rs = NewRSStampa();
  ASSERT_EQ(rs->FieldCount(), 97U);
  // Position, name, kind, ADO type code, size, precision and scale of some fields.
  std::string described;
  for (const size_t f : {0, 2, 16, 25, 26, 32, 36, 95, 96}) {
    const host::FieldDef& d = rs->Field(f);
    described += std::to_string(f) + " " + d.name + " " + std::to_string(static_cast<int>(d.type)) + " " +
                 std::to_string(d.AdoTypeCode()) + " " + std::to_string(d.size) + " " + std::to_string(d.precision) +
                 " " + std::to_string(d.scale) + "\n";
  }
  EXPECT_EQ(described,
            "0 Articolo 1 129 25 0 0\n2 Descrizione articolo 0 202 72 0 0\n16 DataOrdine 7 135 0 0 0\n"
            "25 IDGruppo 2 131 0 12 0\n26 OrePreviste 2 131 0 14 2\n32 OreMinSecPrev 0 200 20 0 0\n"
            "36 OrePrevisteLavoraz 2 131 0 14 2\n95 ScostamentoPercSetupMan 2 131 0 8 2\n96 IDTESTATA 2 131 0 18 0\n");
}

TEST_F(OutputTest, EveryHeaderCarriesItsGroupTotals) {
  PrintRecords print;
  ASSERT_TRUE(PreparaRSStampa(*run_, *decode_, false, print).ok());
  auto& r = run_->Records();
  ASSERT_EQ(print.RSStampa->RecordCount(), r.RSTempiVer->RecordCount());
  // The grids' record sets did not move.
  EXPECT_EQ(r.RSTempiVer->AbsolutePosition(), 1);
  for (print.RSStampa->MoveFirst(); !print.RSStampa->Eof(); print.RSStampa->MoveNext()) {
    auto prev = r.RSTempiPrev->Clone();
    prev->SetFilter("");
    prev->Find("IDGRUPPO = " + print.RSStampa->Value("IDGruppo").ToDecimal().ToString());
    ASSERT_FALSE(prev->Eof());
    // The booked time and gap as every output shows them.
    engine::RecordDurations shown(*prev, 0);
    shown.Load(*prev);
    const auto text = [](const Variant& v) { return v.IsNull() ? std::string("<null>") : host::RTrim(v.JoinedText()); };
    const auto shown_text = [&](const std::string& field) {
      return text(shown.Shown(static_cast<size_t>(prev->FieldIndex(field))));
    };
    for (const auto& c : kPrintCategories) {
      const std::string p = c.print_suffix;
      const std::string s = c.result_suffix;
      EXPECT_EQ(text(print.RSStampa->Value("OreMinSecPrev" + p)), text(prev->Value("OMSPREV" + s))) << p;
      EXPECT_EQ(text(print.RSStampa->Value("OreMinSecVers" + p)), shown_text("OMSVERS" + s)) << p;
      EXPECT_EQ(text(print.RSStampa->Value("ScostamentoOMS" + p)), shown_text("GAP" + s)) << p;
      for (const auto& [to, from] : std::vector<std::pair<std::string, std::string>>{
               {"OrePreviste", "OREPREV"}, {"MinPrevisti", "MINPREV"}, {"SecPrevisti", "SECPREV"},
               {"OreVersate", "OREVERS"}, {"MinVersati", "MINVERS"}, {"SecVersati", "SECVERS"},
               {"ScostamentoPerc", "GAPPERC"}}) {
        const Variant a = print.RSStampa->Value(to + p);
        const Variant b = prev->Value(from + s);
        EXPECT_TRUE((a.IsNull() && b.IsNull()) || host::CompareNumbers(a, b) == 0) << to + p;
      }
    }
  }
  // A1's figures are the group totals' (checked by hand in
  // comparison_run_test, GroupTotalsCountEachPhaseOnce).
  print.RSStampa->MoveFirst();
  print.RSStampa->Find("Articolo = 'A1'");
  ASSERT_FALSE(print.RSStampa->Eof());
  // The phase the group shows (its highest), with its description.
  EXPECT_EQ(host::RTrim(print.RSStampa->Value("DescrFaseOrdine").JoinedText()), "Taglio barre");
  // Its bookings, linked by IDTESTATA, the booked time as text.
  auto detail = print.RSStampaDett->Clone();
  detail->SetFilter("IDTESTATA = " + print.RSStampa->Value("IDTESTATA").ToDecimal().ToString());
  EXPECT_EQ(detail->RecordCount(), 3U);
  EXPECT_EQ(detail->Value("VERSTOTSEC").JoinedText(), "0:25:00");
  // No booked time reads 0:00:00, as in the table and the JSON.
  auto none = print.RSStampaDett->Clone();
  none->SetFilter("VERSTOTSEC = '0:00:00'");
  EXPECT_EQ(none->RecordCount(), 1U);
  // A1's machine set-up has a plan and nothing booked: 0:00:00 and the
  // whole plan as the gap, where the group totals leave the text empty.
  EXPECT_EQ(print.RSStampa->Value("OreMinSecVersSetupMac").JoinedText(), "0:00:00");
  EXPECT_EQ(print.RSStampa->Value("ScostamentoOMSSetupMac").JoinedText(), "- 0:30:00");
  // The group without article plans nothing and books a wait hour: its
  // booked time and gap are there, its planned time and percent are not.
  print.RSStampa->MoveFirst();
  while (!print.RSStampa->Eof() && !print.RSStampa->Value("Articolo").IsNull()) print.RSStampa->MoveNext();
  ASSERT_FALSE(print.RSStampa->Eof());
  EXPECT_EQ(host::RTrim(print.RSStampa->Value("OreMinSecPrev").JoinedText()), "");
  EXPECT_EQ(print.RSStampa->Value("OreMinSecVers").JoinedText(), "1:00:00");
  EXPECT_EQ(print.RSStampa->Value("ScostamentoOMS").JoinedText(), "+ 1:00:00");
  EXPECT_TRUE(print.RSStampa->Value("ScostamentoPerc").IsNull());
  EXPECT_EQ(host::RTrim(print.RSStampa->Value("OreMinSecVersLavoraz").JoinedText()), "");  // nothing at all
}

// A group whose filter keeps no booking (here one added to the groups by
// hand) still gets its header record, with no detail under it.
TEST_F(OutputTest, AGroupWithoutBookingsHasAHeaderWithoutDetail) {
  auto& groups = *run_->Records().RSTempiVer;
  groups.AddNew();
  groups.SetValue("PD44_CODART_MG66", "ZZ");
  groups.SetValue("IDGRUPPO", int32_t{99});
  groups.Update();
  groups.MoveFirst();
  PrintRecords print;
  ASSERT_TRUE(PreparaRSStampa(*run_, *decode_, false, print).ok());
  print.RSStampa->MoveFirst();
  print.RSStampa->Find("Articolo = 'ZZ'");
  ASSERT_FALSE(print.RSStampa->Eof());
  EXPECT_EQ(host::RTrim(print.RSStampa->Value("OreMinSecPrev").JoinedText()), "");
  auto detail = print.RSStampaDett->Clone();
  detail->SetFilter("IDTESTATA = " + print.RSStampa->Value("IDTESTATA").ToDecimal().ToString());
  EXPECT_EQ(detail->RecordCount(), 0U);
  // The other groups keep all their bookings.
  EXPECT_EQ(print.RSStampaDett->RecordCount(), run_->Records().RSTempiVerDett->RecordCount());
}

TEST_F(OutputTest, TheTablesOfTheExportWithTheirCaptionsReadBack) {
  PrintRecords print;
  std::vector<ExportTable> tables;
  const auto captions = engine::BuildCaptionDictionary(run_->Records().RSTempiVerDett.get());
  ASSERT_TRUE(KVL_EXPTOQV1_BeforeExportToQV(*run_, *decode_, captions, print, tables).ok());
  // The tiny database has no phase planned and never booked: no FasiNonVersate.
  ASSERT_EQ(tables.size(), 4U);
  EXPECT_EQ(tables[0].name, "TempiDiLavorazione");
  EXPECT_EQ(tables[0].fields[2], (std::pair<std::string, std::string>{"Descrizione articolo", "Descrizione articolo"}));
  EXPECT_EQ(tables[1].name, "TempiDiLavorazioneDettaglioVersamenti");
  for (const auto& [field, caption] : tables[1].fields) {
    if (field == "PD44_CODDIP_PD06" || field == "VERSTOTSEC") {
      EXPECT_EQ(caption, field == "VERSTOTSEC" ? "hhmmss vers." : field);
    }
  }
  EXPECT_EQ(tables[2].name, "ScostamentoTempiDettaglioVersamenti");
  EXPECT_EQ(tables[3].name, "AndamentoMensile");
  EXPECT_EQ(tables[3].fields[1], (std::pair<std::string, std::string>{"MESE", "MESE"}));
  EXPECT_EQ(PlannedPhaseCaption("GAP"), "GAP");
  EXPECT_EQ(PlannedPhaseCaption("GAP_LAV"), "Scost. lav.");
  EXPECT_EQ(PlannedPhaseCaption("IDVERS"), "ID");
  EXPECT_EQ(PlannedPhaseCaption("OMSPREV_LAV"), "OMSPREV_LAV");
  EXPECT_EQ(PlannedPhaseCaption("OMSPREV_SET"), "Previsto set.");
  EXPECT_EQ(PlannedPhaseCaption("QTAODL"), "QTAODL");
  // The workbook as a spreadsheet program reads it (openpyxl): a sheet each,
  // captions on the first row, numbers as numbers, and the hours beside the
  // duration texts.
  const std::string path = dir_.File("export.xlsx");
  ASSERT_TRUE(testing::Written(WriteWorkbook(path, tables)));
  const std::string script = dir_.File("read.py");
  std::ofstream(script) << R"(import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
print('|'.join(wb.sheetnames))
ws = wb['TempiDiLavorazione']
head = [c.value for c in ws[1]]
row = {head[i]: c.value for i, c in enumerate(ws[3])}
print(row['Articolo'], row['OreMinSecPrev'], round(row['OreMinSecPrev (ore)'], 4), type(row['MinPrevisti']).__name__)
print(ws.freeze_panes, ws.auto_filter.ref is not None)
)";
  EXPECT_EQ(testing::Python(script, path),
            "TempiDiLavorazione|TempiDiLavorazioneDettaglioVers|ScostamentoTempiDettaglioVersam|AndamentoMensile\n"
            "A1 1:10:00 1.1667 int\n"
            "A2 True\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".partial.xlsx"));
}

// Grouped by article, a group's describing fields are its own only where
// all its bookings agree: A1's three bookings share department R01, phase
// 10 and its sequence; A2's two (one of order 7 phase 10, one of neither)
// disagree on the order and the phase, which the grouped row held as one
// booking's; the one booking without an article keeps its department.
TEST_F(OutputTest, ADescribingFieldTheBookingsDisagreeOnIsLeftEmpty) {
  PrintRecords print;
  ASSERT_TRUE(PreparaRSStampa(*run_, *decode_, true, print).ok());
  host::RecordSet& head = *print.RSStampa;
  const auto group = [&head](const char* article) {
    for (head.MoveFirst(); !head.Eof(); head.MoveNext()) {
      const Variant code = head.Value("Articolo");
      if (article == nullptr ? code.IsNull() : !code.IsNull() && host::RTrim(code.JoinedText()) == article) return true;
    }
    return false;
  };
  const auto text = [&head](const char* field) {
    const Variant v = head.Value(field);
    return v.IsNull() ? std::string("(null)") : host::RTrim(v.JoinedText());
  };
  ASSERT_TRUE(group("A1"));
  for (const auto& [field, expected] : {std::pair{"Reparto", "R01"},
                                        {"DescrizioneReparto", "Taglio"},
                                        {"FaseOrdine", "10"},
                                        {"DescrFaseOrdine", "Taglio barre"},
                                        {"SeqFaseOrdine", "10"}}) {
    EXPECT_EQ(text(field), expected) << field;
  }
  ASSERT_TRUE(group("A2"));
  EXPECT_EQ(text("Reparto"), "R01");
  EXPECT_EQ(text("DescrizioneReparto"), "Taglio");
  for (const char* field : {"CodiceOrdine", "DataOrdine", "SezionaleOrdine", "NumeroOrdine", "RigaOrdine",
                            "FaseOrdine", "DescrFaseOrdine", "SeqFaseOrdine"}) {
    EXPECT_EQ(text(field), "(null)") << field;
  }
  ASSERT_TRUE(group(nullptr));
  EXPECT_EQ(text("Reparto"), "R01");
  EXPECT_EQ(text("FaseOrdine"), "(null)");
  // The export's first table is this record set, as the workbook shows it.
  std::vector<ExportTable> tables;
  const auto captions = engine::BuildCaptionDictionary(run_->Records().RSTempiVerDett.get());
  ASSERT_TRUE(KVL_EXPTOQV1_BeforeExportToQV(*run_, *decode_, captions, print, tables).ok());
  ASSERT_EQ(tables[0].records, print.RSStampa);
}

TEST(Durations, HoursOfTheTexts) {
  EXPECT_DOUBLE_EQ(*DurationHours("1:02:05"), 1 + 2 / 60.0 + 5 / 3600.0);
  EXPECT_DOUBLE_EQ(*DurationHours("- 0:30:00"), -0.5);
  EXPECT_DOUBLE_EQ(*DurationHours("+ 125:00:00"), 125);
  for (const char* text : {"", "1:2:05", "12.5", "1:60:00"}) EXPECT_FALSE(DurationHours(text).has_value()) << text;
  for (const char* field : {"OMSPREV_LAV", "ScostamentoOMSSetup", "VERSTOTSEC"}) {
    EXPECT_TRUE(IsDurationField(field)) << field;
  }
  for (const char* field : {"GAPPERC", "OREPREV"}) EXPECT_FALSE(IsDurationField(field)) << field;
}

// Stopped by the user: the preparation answers true without an error
// report, having heard of the bookings group by group; a stopped CSV table
// leaves no file of its own.
TEST_F(OutputTest, StoppingThePreparationAndTheFiles) {
  PrintRecords print;
  std::vector<std::pair<size_t, size_t>> heard;
  const GoingOn stop_at_second_group = [&heard](size_t done, size_t total) {
    heard.emplace_back(done, total);
    return heard.size() < 2;
  };
  const host::Status stopped = PreparaRSStampa(*run_, *decode_, false, print, stop_at_second_group);
  EXPECT_TRUE(stopped.cancelled());
  EXPECT_TRUE(stopped.diagnostics().empty());
  ASSERT_EQ(heard.size(), 2U);
  const size_t bookings = run_->Records().RSTempiVerDett->RecordCount();
  EXPECT_EQ(heard[0], std::make_pair(size_t{0}, bookings));
  EXPECT_EQ(heard[1], std::make_pair(print.RSStampaDett->RecordCount(), bookings));
  EXPECT_EQ(print.RSStampa->RecordCount(), 1U);

  std::vector<ExportTable> tables;
  ASSERT_TRUE(KVL_EXPTOQV1_BeforeExportToQV(*run_, *decode_, {}, print, tables).ok());
  const std::string dir = dir_.File("csv");
  TableWriteOptions options;
  options.going_on = [](size_t, size_t) { return false; };
  EXPECT_TRUE(WriteCsvFiles(dir, tables, options).cancelled());
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

}  // namespace
}  // namespace output
