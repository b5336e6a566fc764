#include "app/cli_language.h"

#include <regex>
#include <utility>
#include <vector>

#include "host/framework/translation_service.h"
#include "output/output_language.h"

namespace app {
namespace {

std::string& Language() {
  static std::string language = "it";
  return language;
}

// English message → Italian, by pattern; $1, $2 keep the variable parts
// (file names, values, numbers). The first pattern that matches the whole
// text wins; a message made of a known head and details ("...: details")
// has its head translated.
const std::vector<std::pair<std::regex, std::string>>& ItalianMessages() {
  static const std::vector<std::pair<std::regex, std::string>> kMessages = [] {
    const std::vector<std::pair<const char*, const char*>> table{
        {"'(.*)' is not a readable database: (.*)", "'$1' non è un database leggibile: $2"},
        {"Cannot connect with '([^']*)'(.*)", "impossibile collegarsi con '$1'$2"},
        {"--bookings needs --format csv or json", "--bookings richiede --format csv o json"},
        {"--unit takes hh:mm:ss, hh,hh, mm,mm or ss,ss", "--unit vuole hh:mm:ss, hh,hh, mm,mm o ss,ss"},
        {"--company takes the company's whole number(.*): '(.*)' is not one",
         "--company vuole il numero intero della ditta$1: '$2' non lo è"},
        {"company (.*) is not in this database; its companies are (.*)",
         "la ditta $1 non è in questo database; le sue ditte sono $2"},
        {"--where takes CAPTION=FROM or CAPTION=FROM\\.\\.TO: (.*)",
         "--where vuole DESCRIZIONE=DA o DESCRIZIONE=DA..A: $1"},
        {"unknown condition \"(.*)\"; the conditions are:", "condizione \"$1\" sconosciuta; le condizioni sono:"},
        {"the condition \"(.*)\" is given twice; give it once, as FROM\\.\\.TO for a range",
         "la condizione \"$1\" è data due volte; darla una volta sola, come DA..A per un intervallo"},
        {"the condition \"(.*)\" has no value: give FROM, FROM\\.\\.TO, FROM\\.\\. or \\.\\.TO",
         "la condizione \"$1\" non ha valore: dare DA, DA..A, DA.. o ..A"},
        {"Unknown grouping field \"(.*)\"; the grouping fields are:",
         "campo di raggruppamento \"$1\" sconosciuto; i campi di raggruppamento sono:"},
        {"the conditions cannot be applied:", "le condizioni non si possono applicare:"},
        {"\"(.*)\": '(.*)' is not a date \\(use YYYY-MM-DD or DD/MM/YYYY\\)",
         "\"$1\": '$2' non è una data (usare AAAA-MM-GG o GG/MM/AAAA)"},
        {"\"(.*)\": '(.*)' is not a date the database accepts", "\"$1\": '$2' non è una data che il database accetta"},
        {"\"(.*)\": '(.*)' is not a number", "\"$1\": '$2' non è un numero"},
        {"\"(.*)\": '(.*)' is not a state number", "\"$1\": '$2' non è il numero di uno stato"},
        {"\"(.*)\": '(.*)' is longer than (\\d+) characters", "\"$1\": '$2' è più lungo di $3 caratteri"},
        {"\"(.*)\": '(.*)' has more than (\\d+) digits", "\"$1\": '$2' ha più di $3 cifre"},
        {"\"(.*)\": '(.*)' has '\\*' or '\\?' inside; a range's end takes '\\*' only at its end",
         "\"$1\": '$2' ha '*' o '?' all'interno; un estremo dell'intervallo accetta '*' solo in fondo"},
        {"--columns takes total, lav, set, mac and man: '(.*)' is none of them",
         "--columns vuole total, lav, set, mac e man: '$1' non è nessuno di questi"},
        {"the output file (.*) is the database being read; quarvelindo never writes over it",
         "il file di uscita $1 è il database che si legge; quarvelindo non lo sovrascrive mai"},
        {"the output file (.*) is a SQLite database; quarvelindo never writes over a database",
         "il file di uscita $1 è un database SQLite; quarvelindo non sovrascrive mai un database"},
        {"the output could not be written(.*)", "non è stato possibile scrivere l'uscita$1"},
        {"the output file (.*) is a folder", "il file di uscita $1 è una cartella"},
        {"the output file (.*) is a device, a pipe or a socket, not a file; quarvelindo writes only files",
         "il file di uscita $1 è un dispositivo, una pipe o un socket, non un file; quarvelindo scrive solo file"},
        {"the CSV folder (.*) is not a folder", "la cartella dei CSV $1 non è una cartella"},
        {"cannot write (.*): the folder (.*) does not exist", "impossibile scrivere $1: la cartella $2 non esiste"},
        {"cannot write (.*)", "impossibile scrivere $1"},
        {"cannot make the folder (.*)", "impossibile creare la cartella $1"},
        {"this build has no PDF report \\(it was built without the windows\\)",
         "questa versione non ha la stampa PDF (è stata compilata senza le finestre)"},
        {"not enough memory to read the bookings: narrow the conditions \\(--where\\) or free some memory, and try "
         "again",
         "memoria insufficiente per leggere i versamenti: restringere le condizioni (--where) o liberare memoria, e "
         "riprovare"},
        {"not enough memory for (\\d+) bookings: narrow the conditions \\(--where\\) or free some memory, and try again",
         "memoria insufficiente per $1 versamenti: restringere le condizioni (--where) o liberare memoria, e riprovare"},
        {"the server closed the connection", "il server ha chiuso la connessione"},
        {"Overflow", "valore fuori dai limiti"},
        {"bookings (.*), \\.\\.\\. \\((\\d+) in all\\): a time is too large to show; they are left without times",
         "versamenti $1, ... ($2 in tutto): un tempo è troppo grande per essere mostrato; restano senza tempi"},
        {"bookings (.*): a time is too large to show; they are left without times",
         "versamenti $1: un tempo è troppo grande per essere mostrato; restano senza tempi"},
        {"group (\\S+): the planned time of phase (\\S+) is too large to show; the group is shown without it",
         "gruppo $1: il tempo previsto della fase $2 è troppo grande per essere mostrato; il gruppo è mostrato senza"},
    };
    std::vector<std::pair<std::regex, std::string>> compiled;
    for (const auto& [english, italian] : table) compiled.emplace_back(std::regex(english), italian);
    return compiled;
  }();
  return kMessages;
}

const host::MessageCatalog& Catalog() {
  static const host::MessageCatalog catalog = host::MessageCatalog::BuiltIn();
  return catalog;
}

}  // namespace

void SetCliLanguage(const std::string& language) { Language() = language == "en" ? "en" : "it"; }

const std::string& CliLanguage() { return Language(); }

std::string CliCaption(const std::string& italian) { return output::OutputLanguage(Language()).Caption(italian); }

std::string CliNumberedText(std::string_view italian, int32_t number) {
  return output::OutputLanguage(Language()).NumberedText(italian, number);
}

std::string CliErrorText(const host::Error& error) {
  if (error.Key().Empty()) return CliMessage(error.what());
  return host::TranslationService::ErrorTextIn(Catalog(), Language() == "en" ? "en" : "it", error);
}

std::string CliMessage(const std::string& english) {
  if (Language() == "en") return english;
  // Line by line: a message lists its details (problems, known captions)
  // on lines of their own, each translated (or kept) by itself.
  std::string out;
  size_t start = 0;
  while (true) {
    const size_t end = english.find('\n', start);
    const std::string line = english.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t indent = line.find_first_not_of(' ');
    const std::string text = indent == std::string::npos ? line : line.substr(indent);
    std::string translated = text;
    for (const auto& [pattern, italian] : ItalianMessages()) {
      if (std::regex_match(text, pattern)) {
        translated = std::regex_replace(text, pattern, italian);
        break;
      }
    }
    out += line.substr(0, indent == std::string::npos ? 0 : indent) + translated;
    if (end == std::string::npos) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

std::string CliText(const char* italian, const char* english) { return Language() == "en" ? english : italian; }

}  // namespace app
