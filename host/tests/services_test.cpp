// The host's services on a small ERP database: decodes with quotes, blanks,
// unknown codes and non-ASCII names; look-up pages by code and description;
// the companies of the database.
#include <gtest/gtest.h>

#include "demo/erp_database.h"
#include "host/db/connection.h"
#include "host/services/companies.h"
#include "host/services/decode_service.h"
#include "host/services/lookup_service.h"
#include "host/tests/scratch_folder.h"

namespace host {
namespace {

class Services : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = folder_.File("erp.db");
    demo::CreateErpDatabase(path);
    testing::RunSqlOnFile(path, R"(
INSERT INTO PD42_PARGEST VALUES (1, 0), (7, 0);
INSERT INTO PD07_REPARTO VALUES (1, 'R01', 'Taglio'), (1, 'R''2', 'Forgia d''Aosta'), (7, 'R01', 'Altro');
INSERT INTO PD06_DIPENDENTI VALUES (1, 'E1', 'Müller', 'Jürgen'), (1, 'E2', NULL, 'Anna');
INSERT INTO PD08_MACCHINA VALUES (1, 'M1', 'Sega 50%_x', 'R01'), (1, 'M2', 'Tornio', 'R01');
INSERT INTO PD12_FASILAVORO VALUES (1, 10, 'Taglio barre'), (1, -5, 'Negativa');
)");
    connection_ = db::OpenConnection(path);
  }
  testing::ScratchFolder folder_{"services"};
  std::unique_ptr<db::Connection> connection_;
};

TEST_F(Services, DecodesFindTheCompanysCodesOnly) {
  DecodeService decode(*connection_, "1");
  EXPECT_EQ(decode.DecodeReparto("R01"), 0);
  EXPECT_EQ(decode.Description(), "Taglio");  // company 1's, not company 7's
  EXPECT_EQ(decode.DecodeReparto("R'2"), 0);
  EXPECT_EQ(decode.Description(), "Forgia d'Aosta");
  EXPECT_EQ(decode.DecodeReparto("r01"), 0);  // codes ignore case
  EXPECT_EQ(decode.DecodeReparto("NONE"), 1);
  EXPECT_EQ(decode.DecodeReparto(""), 1);
  EXPECT_EQ(decode.DecodeFase("10"), 0);
  EXPECT_EQ(decode.Description(), "Taglio barre");
  EXPECT_EQ(decode.DecodeFase("-5"), 0);
  EXPECT_EQ(decode.DecodeDipendente("E1"), 0);
  EXPECT_EQ(decode.Surname(), "Müller");
  EXPECT_EQ(decode.Name(), "Jürgen");
  EXPECT_EQ(decode.DecodeDipendente("E2"), 0);  // a Null surname reads empty
  EXPECT_EQ(decode.Surname(), "");
  EXPECT_EQ(decode.Name(), "Anna");
  DecodeService other(*connection_, "7");
  EXPECT_EQ(other.DecodeReparto("R01"), 0);
  EXPECT_EQ(other.Description(), "Altro");
  EXPECT_EQ(other.DecodeMacchina("M1"), 1);
}

TEST_F(Services, LookUpPagesMatchCodeOrDescriptionLiterally) {
  LookupService lookups(*connection_, "1");
  const auto machines = lookups.Definition("Macchina");
  ASSERT_TRUE(machines.has_value());
  const auto codes = [&](const LookupDefinition& definition, const std::string& typed, int limit = 200) {
    std::vector<std::string> out;
    auto page = lookups.Page(definition, typed, limit);
    for (page->MoveFirst(); !page->Eof(); page->MoveNext()) out.push_back(page->Value(size_t{0}).JoinedText());
    return out;
  };
  EXPECT_EQ(codes(*machines, ""), (std::vector<std::string>{"M1", "M2"}));
  EXPECT_EQ(codes(*machines, "m2"), (std::vector<std::string>{"M2"}));
  EXPECT_EQ(codes(*machines, "torn"), (std::vector<std::string>{"M2"}));  // by description
  EXPECT_EQ(codes(*machines, "50%_"), (std::vector<std::string>{"M1"}));  // '%' and '_' as typed
  EXPECT_EQ(codes(*machines, "5_%"), (std::vector<std::string>{}));
  EXPECT_EQ(codes(*machines, "'"), (std::vector<std::string>{}));
  EXPECT_EQ(codes(*machines, "", 1), (std::vector<std::string>{"M1"}));  // one page of one
  const auto departments = lookups.Definition("Reparto");
  ASSERT_TRUE(departments.has_value());
  EXPECT_EQ(codes(*departments, "d'a"), (std::vector<std::string>{"R'2"}));
  EXPECT_FALSE(lookups.Definition("Nessuno").has_value());
}

}  // namespace
}  // namespace host
