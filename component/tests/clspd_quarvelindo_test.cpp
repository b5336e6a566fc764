// The public class against a query form without windows.
#include "component/clspd_quarvelindo.h"

#include <gtest/gtest.h>

#include <regex>

#include "host/framework/debug_output.h"

namespace component {
namespace {

struct FakeQueryForm : QueryFormPort {
  std::vector<std::string> calls;
  std::string caption;
  bool main_active = true;
  std::shared_ptr<FormPort> results;
  host::Cinterface* program = nullptr;
  std::string Name() const override { return "FRMPD_QUARVELINDO"; }
  std::string Caption() const override { return caption; }
  void SetActiveInterface(host::Cinterface* p) override {
    program = p;
    calls.push_back("ActiveInterface");
  }
  void SetWindowState(int16_t state) override {
    calls.push_back("WindowState " + std::to_string(state) + " (Form_Load)");
  }
  void SetCaption(const std::string& c) override {
    caption = c;
    calls.push_back("Caption " + c);
  }
  void Show(bool modal) override { calls.push_back(modal ? "Show modal" : "Show"); }
  void Unload() override { calls.push_back("Unload"); }
  bool MainFormActive() const override { return main_active; }
  std::shared_ptr<FormPort> ResultsForm() const override { return results; }
};

struct FakeResults : FormPort {
  std::string Name() const override { return "FRMPD_MAVANZORDLAV"; }
  std::string Caption() const override { return "Tempi lavorazione - Articolo"; }
};

struct RecordingLayout : host::LayoutObjectModel {
  std::vector<std::string> calls;
  void Initialize(const host::Variant& title, host::HostObjectPtr& form, int32_t a, int32_t b, int32_t c) override {
    calls.push_back(title.ToText() + " " + std::to_string(a) + std::to_string(b) + std::to_string(c) +
                    (form ? " form" : " none"));
  }
};

struct RecordingScript : host::ScriptObjectModel {
  std::vector<std::string> calls;
  void Initialize(const std::string& name, host::HostObjectPtr& /*form*/, int32_t a,
                  const std::string& caption) override {
    calls.push_back(name + " " + std::to_string(a) + " " + caption);
  }
  void Notify(const std::string&, const std::string&) override {}
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    presenter_ = std::make_shared<host::RecordingPresenter>(6);
    global_ = std::make_shared<host::GlobalObject>();
    global_->translation =
        std::make_shared<host::TranslationService>(host::MessageCatalog::BuiltIn(), "it", presenter_);
    module_ = std::make_unique<CLSPD_QUARVELINDO>([this] { return form_; });
    module_->SetClsGlobal(global_);
    module_->SetActiveNavigator(navigator_);
    module_->LetCaption("Comparazione tempi lavorazione");
  }
  std::shared_ptr<host::RecordingPresenter> presenter_;
  std::shared_ptr<host::GlobalObject> global_;
  std::shared_ptr<host::Navigator> navigator_ = std::make_shared<host::Navigator>();
  std::shared_ptr<FakeQueryForm> form_ = std::make_shared<FakeQueryForm>();
  std::unique_ptr<CLSPD_QUARVELINDO> module_;
};

TEST_F(ModuleTest, ShowFormGivesTheFormItsInterfaceStateAndCaption) {
  module_->LetWindowState(2);
  module_->LetWindowModal(true);
  EXPECT_TRUE(module_->ShowForm().IsEmpty());
  EXPECT_EQ(form_->calls, (std::vector<std::string>{"ActiveInterface", "WindowState 2 (Form_Load)",
                                                    "Caption Comparazione tempi lavorazione", "Show modal"}));
  EXPECT_EQ(form_->program, module_.get());
}

TEST_F(ModuleTest, CompanyChangeAsksOnlyWhileActive) {
  module_->ShowForm();
  EXPECT_FALSE(navigator_->RaiseBeforeChangeDitta());  // IsActive False: allowed silently
  EXPECT_TRUE(presenter_->shown.empty());
  EXPECT_EQ(form_->calls.back(), "Show");

  module_->LetIsActive(true);
  presenter_->answer = 7;  // No
  EXPECT_TRUE(navigator_->RaiseBeforeChangeDitta());
  ASSERT_EQ(presenter_->shown.size(), 1U);
  EXPECT_EQ(presenter_->shown[0].text, "Il cambio azienda comporta la chiusura del programma, proseguo ?");
  EXPECT_EQ(presenter_->shown[0].buttons, 36);
  EXPECT_EQ(presenter_->shown[0].title, "Comparazione tempi lavorazione");
  EXPECT_EQ(form_->calls.back(), "Show");

  presenter_->answer = 6;  // Yes: the form unloads, Cancel stays as it came
  EXPECT_FALSE(navigator_->RaiseBeforeChangeDitta());
  EXPECT_EQ(form_->calls.back(), "Unload");
}

TEST_F(ModuleTest, PropertiesKeepTheirTypes) {
  EXPECT_EQ(module_->CloseForm(), host::Variant(false));  // also with no form
  module_->ShowForm();
  EXPECT_EQ(module_->CloseForm(), host::Variant(false));
  EXPECT_EQ(form_->calls.back(), "Unload");
  module_->LetFiltro("anything");
  EXPECT_TRUE(module_->GetFiltro().IsEmpty());
  module_->LetWindowState(2);
  EXPECT_EQ(module_->GetWindowState(), 2);
  module_->LetWindowState(40000);  // beyond 16 bits: the old value stays
  EXPECT_EQ(module_->GetWindowState(), 2);
  module_->LetTop("120");
  EXPECT_EQ(module_->GetTop(), host::Variant(int32_t{120}));
  module_->LetTop("abc");
  EXPECT_EQ(module_->GetTop(), host::Variant(int32_t{120}));
  module_->LetLeft(7.6);
  EXPECT_EQ(module_->GetLeft(), host::Variant(int32_t{8}));
  std::vector<host::Variant> received;
  module_->OnDataTransfer([&](const host::Variant& v) { received.push_back(v); });
  EXPECT_TRUE(module_->TransferData("payload").IsEmpty());
  EXPECT_EQ(received, std::vector<host::Variant>{host::Variant("payload")});
}

TEST_F(ModuleTest, ObjectModelsSeeTheActiveForm) {
  module_->LetIsActive(true);
  module_->ShowForm();
  RecordingLayout layout;
  RecordingScript script;
  navigator_->RaiseInitializeLayoutObjectModel(layout);
  navigator_->RaiseInitializeScriptObjectModel(script);
  form_->main_active = false;
  form_->results = std::make_shared<FakeResults>();
  navigator_->RaiseInitializeLayoutObjectModel(layout);
  navigator_->RaiseInitializeScriptObjectModel(script);
  EXPECT_EQ(layout.calls,
            (std::vector<std::string>{"Comparazione tempi lavorazione 001 form", "Tempi lavorazione 001 form"}));
  EXPECT_EQ(script.calls, (std::vector<std::string>{"FRMPD_QUARVELINDO 0 Comparazione tempi lavorazione",
                                                    "FRMPD_MAVANZORDLAV 0 Tempi lavorazione - Articolo"}));
}

TEST(Facilities, TracesOfTwoInstances) {
  const size_t before = host::DebugOutputLines().size();
  std::string first_id;
  std::string second_id;
  {
    CLSPD_QUARVELINDO first([] { return nullptr; });
    CLSPD_QUARVELINDO second([] { return nullptr; });
    first_id = first.IdIstanza();
    second_id = second.IdIstanza();
  }
  const auto lines = host::DebugOutputLines();
  ASSERT_EQ(lines.size(), before + 4);
  const std::regex shape("ZNGE:\\|[0-9A-F]{32}\\|(INI|TER)\\|PDXR_QUARVELINDO\\|CLSPD_QUARVELINDO");
  for (size_t i = before; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], shape)) << lines[i];
  EXPECT_NE(first_id, second_id);
  EXPECT_EQ(lines[before], "ZNGE:|" + first_id + "|INI|PDXR_QUARVELINDO|CLSPD_QUARVELINDO");
  EXPECT_EQ(lines[before + 1], "ZNGE:|" + second_id + "|INI|PDXR_QUARVELINDO|CLSPD_QUARVELINDO");
  // Destroyed in reverse order: the second's TER first, each with its own id.
  EXPECT_EQ(lines[before + 2], "ZNGE:|" + second_id + "|TER|PDXR_QUARVELINDO|CLSPD_QUARVELINDO");
  EXPECT_EQ(lines[before + 3], "ZNGE:|" + first_id + "|TER|PDXR_QUARVELINDO|CLSPD_QUARVELINDO");
}

TEST(Facilities, MessagesWithoutAProgramInterfaceCarryTheMarker) {
  auto presenter = std::make_shared<host::RecordingPresenter>(1);
  SetStandalonePresenter(presenter);
  std::unique_ptr<MultiLanguage> standalone;
  MsgBoxLingua(nullptr, standalone, "Non ci sono dati da elaborare", 39693, 48, "Titolo");
  ASSERT_EQ(presenter->shown.size(), 1U);
  EXPECT_EQ(presenter->shown[0].text, "[x39693x] Non ci sono dati da elaborare");
  EXPECT_TRUE(standalone != nullptr);
  SetStandalonePresenter(nullptr);
}

TEST(Facilities, TestoLinguaTranslatesAndQuotes) {
  EXPECT_EQ(TestoLingua(nullptr, "L'ordine", 12, std::nullopt, 1), "[x12x] L''ordine");
  EXPECT_EQ(TestoLingua(nullptr, "L'ordine", 12, std::nullopt, 0), "[x12x] L'ordine");
  CLSPD_QUARVELINDO module([] { return nullptr; });
  auto global = std::make_shared<host::GlobalObject>();
  global->translation = std::make_shared<host::TranslationService>(host::MessageCatalog::BuiltIn(), "en", nullptr);
  module.SetClsGlobal(global);
  EXPECT_EQ(TestoLingua(&module, "Ricerca ordini di lavorazione", 73165, std::nullopt, 0), "Production order search");
  global->translation->SetLanguage("it");
  EXPECT_EQ(TestoLingua(&module, "x", 30178, std::nullopt, 1),
            "Il cambio azienda comporta la chiusura del programma, proseguo ?");
  EXPECT_EQ(TestoLingua(&module, "Dell'ordine", 99999, std::nullopt, 1), "Dell''ordine");  // not in the catalog
  EXPECT_EQ(GuidTesto().size(), 32U);
}

}  // namespace
}  // namespace component
