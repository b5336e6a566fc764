// The column tables and the label row of the results form, headless: the
// grids, the print and the export read them, so they are pinned here.
#include <gtest/gtest.h>

#include "engine/comparison.h"
#include "engine/presentation/booking_columns.h"
#include "engine/presentation/group_descriptions.h"
#include "engine/presentation/planned_columns.h"
#include "engine/presentation/result_layout.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

const GridColumn& Column(const std::vector<GridColumn>& columns, const std::string& field) {
  for (const auto& c : columns) {
    if (c.field == field) return c;
  }
  throw std::runtime_error("no column " + field);
}

TEST(GridFormats, NumbersByThePatternsOfTheGrids) {
  const auto d = [](const char* text) { return *host::Decimal::Parse(text); };
  EXPECT_EQ(NumberFormat(2), "###,###,###.00");
  EXPECT_EQ(NumberFormat(0), "###,###,###.");
  EXPECT_EQ(FormatNumber(d("1234567.891"), "###,###,###.00"), "1,234,567.89");
  EXPECT_EQ(FormatNumber(d("-0.005"), "###,###,###.00"), "-0.01");  // half away from zero
  EXPECT_EQ(FormatNumber(d("12"), "###,###,###.00", '.', ','), "12,00");
  EXPECT_EQ(FormatNumber(d("1500.5"), "###,###,###,##0.000000"), "1,500.500000");
  EXPECT_EQ(FormatNumber(d("2.5"), "##,###,###,##0.00####"), "2.50");
  EXPECT_EQ(FormatNumber(d("2.1234567"), "##,###,###,##0.00####"), "2.123457");
  EXPECT_EQ(FormatNumber(d("999.999"), "###,###,###."), "1,000");
  EXPECT_EQ(FormatDecimals("###,###,###.00"), 2);
  EXPECT_EQ(FormatDecimals(""), -1);
}

// A figure reads in the user's locale wherever a window or the print shows
// it; a duration text stays as it is.
TEST(GridFormats, FiguresInTheLocale) {
  EXPECT_EQ(LocalizedFigure("-0.62", ',', '.'), "-0.62");
  const std::pair<const char*, const char*> italian[] = {{"-1364019.40", "-1.364.019,40"}, {"14.4", "14,40"},
                                                         {"+ 0:07:00", "+ 0:07:00"}, {"125:00:00", "125:00:00"},
                                                         {"", ""}};
  for (const auto& [figure, text] : italian) EXPECT_EQ(LocalizedFigure(figure, '.', ','), text) << figure;
}

TEST(PlannedColumns, FiftySixInTheirOrder) {
  const auto& columns = PlannedGridColumns();
  ASSERT_EQ(columns.size(), 56U);
  EXPECT_EQ(columns.front().field, "OMSPREV");
  EXPECT_EQ(columns.front().caption, "Previsto");
  EXPECT_EQ(columns[7].field, "GAPPERC");
  EXPECT_EQ(columns[7].caption, "Scost. %");
  EXPECT_EQ(Column(columns, "MINPREV_MACSET").caption, "Min.prev.set.mac.");
  EXPECT_FALSE(Column(columns, "MINPREV_MACSET").visible);
  EXPECT_EQ(columns.back().field, "GAPPERC_MANSET");
  EXPECT_EQ(columns.back().caption, "Sc.set.man.%");
  for (const auto& c : columns) EXPECT_EQ(c.alignment, Alignment::Right) << c.field;
}

TEST(PlannedColumns, TheTimeUnitDecidesWhatShowsAndItsDecimals) {
  const auto hms = PlannedGridColumnsFor(0);
  EXPECT_TRUE(Column(hms, "OMSPREV").visible);
  EXPECT_EQ(Column(hms, "OMSPREV").format, "");
  EXPECT_FALSE(Column(hms, "MINPREV").visible);
  EXPECT_FALSE(Column(hms, "SECVERS_LAV").visible);
  EXPECT_EQ(Column(hms, "GAP_MANSET").format, "###,###,###.00");
  EXPECT_EQ(Column(hms, "GAPPERC").format, NumberFormat(2));

  const auto hours = PlannedGridColumnsFor(1);
  EXPECT_TRUE(Column(hours, "OMSPREV").visible);
  EXPECT_EQ(Column(hours, "OMSPREV").format, "###,###,###.00");
  EXPECT_EQ(Column(hours, "OMSPREV").Shown(), "OREPREV");
  EXPECT_EQ(Column(hours, "OMSVERS_MANSET").Shown(), "OREVERS_MANSET");
  EXPECT_EQ(Column(hours, "OMSPREV_MACLAV").format, "###,###,###.00");  // every category's hours alike
  // (No minute or second column shows under hh,hh: results_form_test.)

  const auto minutes = PlannedGridColumnsFor(2);
  EXPECT_TRUE(Column(minutes, "MINPREV").visible);
  EXPECT_EQ(Column(minutes, "MINVERS_SET").format, "###,###,###.00");
  EXPECT_EQ(Column(minutes, "MINPREV_MACLAV").format, "");
  EXPECT_FALSE(Column(minutes, "OMSPREV").visible);
  EXPECT_FALSE(Column(minutes, "SECPREV").visible);

  const auto seconds = PlannedGridColumnsFor(3);
  EXPECT_TRUE(Column(seconds, "SECVERS").visible);
  EXPECT_EQ(Column(seconds, "SECPREV_LAV").format, "###,###,###.00");
  EXPECT_FALSE(Column(seconds, "MINPREV").visible);
}

TEST(BookingColumns, EightySevenWithTheirKindsAndFormats) {
  const auto columns = BookingGridColumns("#,##0.000");
  ASSERT_EQ(columns.size(), 87U);
  EXPECT_EQ(columns.front().field, "PD44_PRGMVORE_PD31");
  EXPECT_FALSE(columns.front().visible);
  EXPECT_EQ(columns.back().field, "PD44_PROGRIGAP_DO30");
  EXPECT_EQ(Column(columns, "PD44_NUMREGRIF_D030").caption, "Num.reg.fatt.progetto");  // the zero, as the form has it
  EXPECT_EQ(Column(columns, "PD44_IMPTOT").format, "###,###,###,##0.000000");
  EXPECT_EQ(Column(columns, "PD44_QTALAV").format, "#,##0.000");
  EXPECT_EQ(Column(columns, "PD44_QTALAV").alignment, Alignment::Right);
  EXPECT_EQ(Column(columns, "PD44_SOTPROG_PD14").alignment, Alignment::Left);  // a number, not in the list
  EXPECT_TRUE(Column(columns, "VERSTOTSEC").form_text);
  EXPECT_EQ(Column(columns, "VERSTOTSEC").caption, "hhmmss vers.");
  EXPECT_EQ(Column(columns, "PD44_INDTIPOCOSDQR").list, ValueList::HourType);
  EXPECT_EQ(Column(columns, "PD44_UMTEMPOMAC").list, ValueList::TimeUnit);
}

TEST(BookingColumns, ValueListsCarryTheirTextNumbers) {
  host::testing::FakeForm form;
  auto lists = BuildValueLists(form);
  ASSERT_EQ(lists.size(), 5U);
  const auto& hours = lists[ValueList::HourType];
  ASSERT_EQ(hours.size(), 4U);
  const char* texts[] = {"[x42537x] Ordinario", "[x55457x] Straordinario", "[x42538x] Ordinario festivo",
                         "[x55454x] Straord. festivo"};
  for (int n = 0; n < 4; ++n) EXPECT_EQ(hours.at(n), texts[n]) << n;
  EXPECT_EQ(lists[ValueList::BookingKind].at(2), "[x74274x] Dip./Qual./Rep.");
  EXPECT_EQ(lists[ValueList::TimeUnit].at(2), "[x42732x] Ore");
}

TEST(BookingColumns, TheExportCaptions) {
  auto bookings = host::RecordSet::Create();
  for (const char* name : {"PD44_DITTA_CG18", "PD44_CODDIP_PD06", "DESCRDIP", "DO31_DATACONS", "SOMETHING_ELSE"}) {
    bookings->AppendField({name, host::FieldType::Text, 10});
  }
  bookings->Open();
  const auto dictionary = BuildCaptionDictionary(bookings.get());
  const std::pair<const char*, const char*> captions[] = {
      {"PD44_CODDIP_PD06", "PD44_CODDIP_PD06"}, {"DESCRDIP", "Desc. dipendente"}, {"PD44_DITTA_CG18", "Azienda Codice"},
      {"DO31_DATACONS", "Data consegna"}, {"SOMETHING_ELSE", "SOMETHING_ELSE"}, {"MG87_DESCART", "MG87_DESCART"}};
  for (const auto& [field, caption] : captions) EXPECT_EQ(EtichettaCampo(dictionary, field), caption) << field;
  EXPECT_EQ(dictionary.size(), 79U + 2U);  // 87 columns less 8, and two extra captions
}

// A form whose texts are the module's own (no markers).
struct PlainForm : host::testing::FakeForm {
  std::string TestoLingua(std::string_view text, int32_t, int16_t) override { return std::string(text); }
};

class ResultLayoutTest : public ::testing::Test {
 protected:
  std::unique_ptr<Comparison> Run(std::vector<std::string> grouping, TipoTempo unit = kOreMinutiSecondi) {
    auto request = testing::RequestOn(testing::TinyErp(dir_), grouping, unit);
    auto run = Comparison::Make(form_, std::move(request), progress_);
    EXPECT_FALSE(run->Failed());
    return run;
  }
  testing::TempDir dir_;
  PlainForm form_;
  NoProgress progress_;
};

TEST_F(ResultLayoutTest, CaptionsFormatsAndTheLastFieldLeftAlone) {
  auto run = Run({"Articolo", "Variante"}, kOreDecimali);
  const auto& r = run->Records();
  const ResultLayout layout = PreparaFormLayout(*r.RSTempiVer, *r.RSCampi);
  // (The captions, hidden fields and alignment as the groups grid shows
  // them are checked through the results form.)
  ASSERT_EQ(layout.columns.size(), r.RSTempiVer->FieldCount());
  const auto& hours = Column(layout.columns, "OREVERS");
  EXPECT_EQ(hours.format, "###,###,###.00");  // two decimals under hh,hh
  EXPECT_EQ(hours.caption, "Ore versate");
  EXPECT_EQ(layout.columns.back().format, "");  // the last field: its name, no format
  // Article and variant share one pair; the fields the list shows beside
  // the grouping (department, order code, phase) hold one booking's value
  // and name none.
  EXPECT_EQ(layout.pairs, (std::vector<LabelPair>{LabelPair::Articolo}));
  EXPECT_EQ(layout.grouping_fields, (std::vector<std::string>{"PD44_CODART_MG66", "PD44_OPZIONE"}));
}

TEST_F(ResultLayoutTest, NoPairWithoutAGroupingDimension) {
  auto run = Run({"Riga ordine"});
  const auto& r = run->Records();
  // "Riga ordine" is a part of the order: its pair, and no other.
  const ResultLayout layout = PreparaFormLayout(*r.RSTempiVer, *r.RSCampi);
  EXPECT_EQ(layout.pairs, (std::vector<LabelPair>{LabelPair::Ordine}));
  auto empty = host::RecordSet::Create();
  empty->AppendField({"NOME", host::FieldType::Text, 50});
  empty->AppendField({"ALIAS", host::FieldType::Text, 50});
  empty->Open();
  EXPECT_TRUE(PreparaFormLayout(*r.RSTempiVer, *empty).pairs.empty());
}

// The names beside the grouping codes, read from the bookings: codes as the
// groups compare them (case, trailing blanks, a phase by its value); a
// grouping column without names, a code no booking has and a Null code
// have none.
TEST_F(ResultLayoutTest, TheGroupsCodesCarryTheNamesOfTheirBookings) {
  auto run = Run({"Reparto", "Fase", "Articolo", "Dipendente", "Data consegna"});
  const GroupDescriptions names(run->Records().RSTempiVerDett->Storage(), run->GroupingColumns());
  EXPECT_EQ(names.Of("PD44_CODFORNREP", host::Variant("r01  ")), "Taglio");
  EXPECT_EQ(names.Of("pd44_codfase_pd12", host::Variant(int32_t{10})), "Taglio barre");
  EXPECT_EQ(names.Of("PD44_CODFASE_PD12", host::Variant(*host::Decimal::Parse("10.00"))), "Taglio barre");
  EXPECT_EQ(names.Of("PD44_CODART_MG66", host::Variant("A2")), "Flangia");
  EXPECT_EQ(names.Of("PD44_CODDIP_PD06", host::Variant("E1")), "Rossi Mario");
  EXPECT_EQ(names.Of("PD44_CODART_MG66", host::Variant("A3")), "");
  EXPECT_EQ(names.Of("PD44_CODART_MG66", host::Variant::Null()), "");
  EXPECT_EQ(names.Of("DO31_DATACONS", host::Variant("A1")), "");
  // Not grouped by machine: its names are not read.
  EXPECT_EQ(names.Of("PD44_MACCHINA_PD08", host::Variant("M1")), "");
}

}  // namespace
}  // namespace engine
