#include "host/qt/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace host::qt {
namespace {

// Texts that Qt 6 asks under a context its Italian catalog does not have
// yet: the file dialog's "Type" column would read "Folder" in an Italian
// window. Asked after the catalog (installed later, so asked first), it
// answers only these and leaves every other text to it.
class ItalianGaps : public QTranslator {
 public:
  [[nodiscard]] bool isEmpty() const override { return false; }
  [[nodiscard]] QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                                  int /*n*/) const override {
    if (context == nullptr || source == nullptr || qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    if (qstrcmp(source, "Folder") == 0) return QStringLiteral("Cartella");
    if (qstrcmp(source, "Drive") == 0) return QStringLiteral("Unità");
    if (qstrcmp(source, "Alias") == 0 || qstrcmp(source, "Shortcut") == 0) return QStringLiteral("Collegamento");
    return {};
  }
};

}  // namespace

QLocale LocaleOf(const std::string& language) {
  if (language == "en") return QLocale(QLocale::English, QLocale::UnitedKingdom);
  return QLocale(QLocale::Italian, QLocale::Italy);
}

void UseInterfaceLanguage(const std::string& language) {
  const QLocale locale = LocaleOf(language);
  QLocale::setDefault(locale);
  // One translator for the application's life, replaced on a change.
  static std::unique_ptr<QTranslator> installed;
  static std::unique_ptr<QTranslator> gaps;
  if (installed) QCoreApplication::removeTranslator(installed.get());
  if (gaps) QCoreApplication::removeTranslator(gaps.get());
  installed.reset();
  gaps.reset();
  if (language != "en") {
    gaps = std::make_unique<ItalianGaps>();
    QCoreApplication::installTranslator(gaps.get());
  }
  auto translator = std::make_unique<QTranslator>();
  if (translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
  }
}

}  // namespace host::qt
