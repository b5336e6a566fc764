// The interface language for Qt's own parts: the texts of its standard
// buttons and dialogs (file dialogs, "Show Details...", OK and Cancel) come
// from Qt's translation catalogs (qt6-translations-l10n), and numbers and
// dates that Qt formats follow the language's locale (Italian: 1.364.019 and
// 14,40).
#pragma once

#include <QLocale>
#include <QString>
#include <string>

namespace host::qt {

// The locale of a language code: "it" Italian (Italy), "en" English (United
// Kingdom: day-first dates, as the ERP's users read them); anything else
// Italian, the module's own language.
QLocale LocaleOf(const std::string& language);

// Makes `language` the application's: its locale the default one, and Qt's
// translation of its standard texts installed (Italian and English; a
// missing catalog leaves Qt's English texts). Call it once, on the window
// thread, after the application object exists; again to change language.
void UseInterfaceLanguage(const std::string& language);

}  // namespace host::qt
