// The query form in each language as a user reads and drives it (offscreen):
// every button and tab reachable by its own Alt key, and the date cells
// saying how a date is typed in the user's language.
#include <QAbstractButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <map>

#include "engine/tests/tiny_erp.h"
#include "query_form/condition_model.h"
#include "query_form/tests/form_harness.h"

using query_form::ConditionModel;
using query_form::testing::FormHarness;

namespace {

// The Alt key of a text ("&Esegui" → 'E'; "&&" is a literal ampersand).
QChar MnemonicOf(const QString& text) {
  for (int i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return {};
}

}  // namespace

class FormLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    tiny_ = engine::testing::TinyErp(dir_);
    query_form::FRMPD_QUARVELINDO::SetSettingsFile(QString::fromStdString(dir_.File("settings.ini")));
  }

  // "Run" and "Reset", "Stop" and "Sorting": in English as in Italian no two
  // of the form's buttons and tabs answer the same Alt key; a date cell says
  // how a date is typed in the user's language, a code cell says nothing.
  void eachAltKeyIsTheOnlyOneAndADateCellSaysHowToTypeADate() {
    for (const auto& [language, placeholder] :
         std::vector<std::pair<std::string, QString>>{{"it", "gg/mm/aaaa"}, {"en", "dd/mm/yyyy"}}) {
      FormHarness harness(tiny_, language);
      auto form = harness.Open();
      QStringList texts;
      for (const auto* button : form->Window()->findChildren<QAbstractButton*>()) texts << button->text();
      for (int t = 0; t < form->SSTab1()->count(); ++t) texts << form->SSTab1()->tabText(t);
      std::map<QChar, QString> seen;
      for (const QString& text : texts) {
        const QChar key = MnemonicOf(text);
        if (key.isNull()) continue;
        QVERIFY2(seen.count(key) == 0,
                 qPrintable(QString::fromStdString(language) + ": " + text + " and " + seen[key] + " share Alt+" + key));
        seen[key] = text;
      }
      QVERIFY(seen.size() >= 5);
      QTableView* view = form->ConditionView();
      auto* model = form->Conditions();
      const int date_row = model->RowOfColumn("PD44_DATAREG");
      QVERIFY(model->IsDate(date_row));
      view->edit(model->index(date_row, ConditionModel::kFrom));
      auto* editor = view->findChild<QLineEdit*>();
      QVERIFY(editor != nullptr);
      QCOMPARE(editor->placeholderText(), placeholder);
      QTest::keyClick(editor, Qt::Key_Escape);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      view->edit(model->index(model->RowOfColumn("PD44_CODFASE_PD12"), ConditionModel::kFrom));
      editor = view->findChild<QLineEdit*>();
      QVERIFY(editor != nullptr);
      QCOMPARE(editor->placeholderText(), QString());
    }
  }

 private:
  engine::testing::TempDir dir_;
  std::string tiny_;
};

QTEST_MAIN(FormLanguageTest)
#include "form_language_test.moc"
