#include "host/qt/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace host::qt {

QLocale LocaleOf(const std::string& language) {
  if (language == "en") return QLocale(QLocale::English, QLocale::UnitedKingdom);
  return QLocale(QLocale::Italian, QLocale::Italy);
}

void UseInterfaceLanguage(const std::string& language) {
  const QLocale locale = LocaleOf(language);
  QLocale::setDefault(locale);
  // One translator for the application's life, replaced on a change.
  static std::unique_ptr<QTranslator> installed;
  if (installed) QCoreApplication::removeTranslator(installed.get());
  installed.reset();
  auto translator = std::make_unique<QTranslator>();
  if (translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
  }
}

}  // namespace host::qt
