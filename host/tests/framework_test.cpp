// The host's translation catalog, log object and navigator.
#include <gtest/gtest.h>

#include "host/db/data_messages.h"
#include "host/framework/log_object.h"
#include "host/framework/navigator.h"
#include "host/framework/translation_service.h"

namespace host {
namespace {

TEST(MessageCatalog, TextsByNumberInTheUsersLanguage) {
  const MessageCatalog catalog = MessageCatalog::BuiltIn();
  EXPECT_EQ(catalog.Text(39693, "it"), "Non ci sono dati da elaborare");
  EXPECT_EQ(catalog.Text(39693, "en"), "There is no data to process");
  EXPECT_EQ(catalog.Text(12345, "it"), "");
  EXPECT_EQ(catalog.NumberOf("Ore versate"), 42814);
  const MessageCatalog mine = MessageCatalog::Parse("# comment\n7\tCiao %1\tHello %1\nnot a line\n");
  EXPECT_EQ(mine.Size(), 1U);
  auto presenter = std::make_shared<RecordingPresenter>(6);
  TranslationService service(mine, "en", presenter);
  EXPECT_EQ(service.Text(7, {"Anna"}), "Hello Anna");
  EXPECT_EQ(service.Text(8, {}), "[x8x] ");
  EXPECT_EQ(service.ShowNumber(7, 36, "Titolo", {"Luca"}), 6);
  ASSERT_EQ(presenter->shown.size(), 1U);
  EXPECT_EQ(presenter->shown[0].text, "Hello Luca");
  EXPECT_EQ(presenter->shown[0].buttons, 36);
  EXPECT_EQ(TranslationService(MessageCatalog::BuiltIn(), "en", nullptr).Caption("Ore versate"), "Booked hours");
  // A caption without an entry stays as it is.
  EXPECT_EQ(TranslationService(MessageCatalog::BuiltIn(), "en", nullptr).Caption("Tornio"), "Tornio");
}

// The data layer says what happened by number: the user reads it in the
// language, the log in English; the English the data layer keeps is the
// catalog's own, for every one of its messages.
TEST(DataMessages, ReadInTheUsersLanguageByNumber) {
  const MessageCatalog catalog = MessageCatalog::BuiltIn();
  const Error missing = db::DataError(db::kMsgDatabaseNotFound, {"/tmp/x.db"}, "Database");
  EXPECT_STREQ(missing.what(), "database not found: /tmp/x.db");
  EXPECT_EQ(TranslationService::ErrorTextIn(catalog, "it", missing), "database non trovato: /tmp/x.db");
  EXPECT_EQ(TranslationService::ErrorTextIn(catalog, "en", missing), "database not found: /tmp/x.db");
  const Error timeout = db::DataError(db::kMsgBadTimeout, {"LoginTimeout", "%1"}, "Database");
  EXPECT_EQ(TranslationService::ErrorTextIn(catalog, "it", timeout),
            "LoginTimeout vuole un numero intero di secondi da 1 a 86400: '%1' non lo è");
  // Without a number, the description.
  EXPECT_EQ(TranslationService::ErrorTextIn(catalog, "it", Error(kErrDatabase, "near \"X\": syntax error")),
            "near \"X\": syntax error");
  for (int32_t n = db::kMsgNoDatabaseNamed; n <= db::kMsgStopped; ++n) {
    std::vector<std::string> places{"%1", "%2"};
    EXPECT_EQ(db::EnglishText(n, places), catalog.Text(n, "en")) << n;
    EXPECT_FALSE(catalog.Text(n, "it").empty()) << n;
    EXPECT_NE(catalog.Text(n, "it"), catalog.Text(n, "en")) << n;
  }
}

TEST(LogObject, ReportsTheErrorWithTheConnectionsErrors) {
  auto presenter = std::make_shared<RecordingPresenter>(3);
  LogObject log(presenter);
  log.TakeError(Error(kErrDatabase, "no such column: X"));
  log.TakeConnectionErrors({{kErrDatabase, "near \"FROM\": syntax error", "SQLite", "HY000", 1}});
  EXPECT_EQ(log.Report("quarvelindo", "Ricerca ordini di lavorazione", "LeggiVersamentiTempi", 4370), 3);
  ASSERT_EQ(presenter->shown.size(), 1U);
  EXPECT_EQ(presenter->shown[0].buttons, 4370);
  EXPECT_EQ(presenter->shown[0].title, "quarvelindo");
  // What happened first, in plain words; the technical detail after it.
  EXPECT_EQ(presenter->shown[0].text,
            "no such column: X\n\n"
            "Ricerca ordini di lavorazione\nLeggiVersamentiTempi: no such column: X (-2147217900)\n"
            "SQLite [HY000]: near \"FROM\": syntax error");
}

TEST(Navigator, EventsReachTheConnectedModulesOnly) {
  struct Listener : NavigatorEvents {
    int asked = 0;
    bool refuse = false;
    void BeforeChangeDitta(bool& cancel) override {
      ++asked;
      if (refuse) cancel = true;
    }
    void InitializeLayoutObjectModel(bool&, LayoutObjectModel&) override {}
    void InitializeScriptObjectModel(bool&, ScriptObjectModel&) override {}
  };
  Navigator navigator;
  Listener a;
  Listener b;
  navigator.Connect(&a);
  navigator.Connect(&a);  // once only
  navigator.Connect(&b);
  EXPECT_EQ(navigator.Listeners(), 2U);
  EXPECT_FALSE(navigator.RaiseBeforeChangeDitta());
  b.refuse = true;
  EXPECT_TRUE(navigator.RaiseBeforeChangeDitta());
  navigator.Disconnect(&b);
  EXPECT_FALSE(navigator.RaiseBeforeChangeDitta());
  EXPECT_EQ(a.asked, 3);
  EXPECT_EQ(b.asked, 2);
}

}  // namespace
}  // namespace host
