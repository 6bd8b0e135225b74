#include "language/language_names.h"

#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace zel {
namespace language {
namespace {

// Inserted in this order; a code that comes again keeps its first name, so
// "kalaallisut", "manx", "sichuan yi" and "swati" have no effect.
const std::vector<std::pair<const char*, const char*>> kRows = {
    {"DK", "danish"}, {"PO", "portuguese"}, {"AB", "abkhazian"}, {"AA", "afar"},
    {"AF", "afrikaans"}, {"AK", "akan"}, {"SQ", "albanian"}, {"AM", "amharic"},
    {"AR", "arabic"}, {"AN", "aragonese"}, {"HY", "armenian"}, {"AS", "assamese"},
    {"AV", "avaric"}, {"AE", "avestan"}, {"AY", "aymara"}, {"AZ", "azerbaijani"},
    {"BM", "bambara"}, {"BA", "bashkir"}, {"EU", "basque"}, {"BE", "belarusian"},
    {"BN", "bengali"}, {"BH", "bihari"}, {"BI", "bislama"}, {"BS", "bosnian"},
    {"BR", "breton"}, {"BG", "bulgarian"}, {"MY", "burmese"}, {"CA", "catalan"},
    {"CH", "chamorro"}, {"CE", "chechen"}, {"NY", "chichewa"}, {"ZH", "chinese"},
    {"ZH-HANS", "chinese-simplified"}, {"ZH-HANT", "chinese-traditional"},
    {"CV", "chuvash"}, {"KW", "cornish"}, {"CO", "corsican"}, {"CR", "cree"},
    {"HR", "croatian"}, {"CS", "czech"}, {"DA", "danish"}, {"DV", "divehi"},
    {"NL", "dutch"}, {"DZ", "dzongkha"}, {"EN", "english"}, {"EO", "esperanto"},
    {"ET", "estonian"}, {"EE", "ewe"}, {"FO", "faroese"}, {"FJ", "fijian"},
    {"FI", "finnish"}, {"FR", "french"}, {"FF", "fula"}, {"GL", "galician"},
    {"GD", "gaelic-scottish"}, {"GV", "gaelic-manx"}, {"KA", "georgian"}, {"DE", "german"},
    {"EL", "greek"}, {"KL", "greenlandic"}, {"GN", "guarani"}, {"GU", "gujarati"},
    {"HT", "haitian-creole"}, {"HA", "hausa"}, {"HE", "hebrew"}, {"HZ", "herero"},
    {"HI", "hindi"}, {"HO", "hiri-motu"}, {"HU", "hungarian"}, {"IS", "icelandic"},
    {"IO", "ido"}, {"IG", "igbo"}, {"ID", "indonesian"}, {"IA", "interlingua"},
    {"IE", "interlingue"}, {"IU", "inuktitut"}, {"IK", "inupiak"}, {"GA", "irish"},
    {"IT", "italian"}, {"JA", "japanese"}, {"JV", "javanese"}, {"KL", "kalaallisut"},
    {"KN", "kannada"}, {"KR", "kanuri"}, {"KS", "kashmiri"}, {"KK", "kazakh"},
    {"KM", "khmer"}, {"KI", "kikuyu"}, {"RW", "rwanda"}, {"RN", "kirundi"},
    {"KY", "kyrgyz"}, {"KV", "komi"}, {"KG", "kongo"}, {"KO", "korean"},
    {"KU", "kurdish"}, {"KJ", "kwanyama"}, {"LO", "lao"}, {"LA", "latin"},
    {"LV", "latvian"}, {"LI", "limburgish"}, {"LN", "lingala"}, {"LT", "lithuanian"},
    {"LU", "luga-katanga"}, {"LG", "luganda-ganda"}, {"LB", "luxembourgish"}, {"GV", "manx"},
    {"MK", "macedonian"}, {"MG", "malagasy"}, {"MS", "malay"}, {"ML", "malayalam"},
    {"MT", "maltese"}, {"MI", "maori"}, {"MR", "marathi"}, {"MH", "marshallese"},
    {"MO", "moldavian"}, {"MN", "mongolian"}, {"NA", "nauru"}, {"NV", "navajo"},
    {"NG", "ndonga"}, {"ND", "northern-ndebele"}, {"NE", "nepali"}, {"NO", "norwegian"},
    {"II", "nuosu"}, {"OC", "occitan"}, {"OJ", "ojibwe"}, {"OR", "oriya"},
    {"OM", "oromo"}, {"OS", "ossetian"}, {"PI", "p\xC4\x81li"}, {"PS", "pashto"},
    {"FA", "persian-farsi"}, {"PL", "polish"}, {"PT", "portuguese"}, {"PA", "punjabi"},
    {"QU", "quechua"}, {"RM", "romansh"}, {"RO", "romanian"}, {"RU", "russian"},
    {"SE", "sami"}, {"SM", "samoan"}, {"SG", "sango"}, {"SA", "sanskrit"},
    {"SR", "serbian"}, {"SH", "serbo-croatian"}, {"ST", "sesotho"}, {"TN", "setswana"},
    {"SN", "shona"}, {"II", "sichuan yi"}, {"SD", "sindhi"}, {"SI", "sinhalese"},
    {"SS", "siswati"}, {"SK", "slovak"}, {"SL", "slovenian"}, {"SO", "somali"},
    {"NR", "southern ndebele"}, {"ES", "spanish"}, {"SU", "sundanese"},
    {"SW", "swahili-kiswahili"}, {"SS", "swati"}, {"SV", "swedish"}, {"TL", "tagalog"},
    {"TY", "tahitian"}, {"TG", "tajik"}, {"TA", "tamil"}, {"TT", "tatar"},
    {"TE", "telugu"}, {"TH", "thai"}, {"BO", "tibetan"}, {"TI", "tigrinya"},
    {"TO", "tonga"}, {"TS", "tsonga"}, {"TR", "turkish"}, {"TK", "turkmen"},
    {"TW", "twi"}, {"UG", "uyghur"}, {"UK", "ukrainian"}, {"UR", "urdu"},
    {"UZ", "uzbek"}, {"VE", "venda"}, {"VI", "vietnamese"}, {"VO", "volap\xC3\xBCk"},
    {"WA", "wallon"}, {"CY", "welsh"}, {"WO", "wolof"}, {"FY", "frisian"},
    {"XH", "xhosa"}, {"YI", "yiddish"}, {"YO", "yoruba"}, {"ZA", "zhuang-chuang"},
    {"ZU", "zulu"},
};

const std::string kNotSupported = "not-supported";
const std::string kNoSuffix;

std::map<std::string, std::string> make_code_to_name() {
  std::map<std::string, std::string> table;
  for (const auto& [code, name] : kRows) table.emplace(code, name);
  return table;
}

const std::map<std::string, std::string> kCodeToName = make_code_to_name();
const std::map<std::string, std::string> kNameToCode = detail::make_reverse_map(kCodeToName);
const std::map<std::string, std::string> kGenitive = {
    {"danish", "s"}, {"norwegian", "s"}, {"german", "s"}, {"dutch", "s"}, {"swedish", "s"}};

bool is_regular_file(const std::string& text) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(text), error);
}

}  // namespace

const std::map<std::string, std::string>& get_language_map() { return kCodeToName; }
const std::map<std::string, std::string>& language_map() { return kCodeToName; }

std::set<std::string> get_language_codes() {
  std::set<std::string> codes;
  for (const auto& entry : kCodeToName) codes.insert(entry.first);
  return codes;
}

std::string longname(const std::string& text, bool check) {
  if (text.size() == 2) {
    std::string code = text;
    for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto found = kCodeToName.find(code);
    return found == kCodeToName.end() ? kNotSupported : found->second;
  }
  if (is_regular_file(text)) return text;
  std::string name = text;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (check && kNameToCode.count(name) == 0) return kNotSupported;
  return name;
}

const std::string& get_code(const std::string& name) {
  auto found = kNameToCode.find(name);
  return found == kNameToCode.end() ? kNotSupported : found->second;
}

bool is_known_language(const std::string& name) { return kNameToCode.count(name) != 0; }

const std::string& get_genitive_form(const std::string& name) {
  auto found = kGenitive.find(name);
  return found == kGenitive.end() ? kNoSuffix : found->second;
}

}  // namespace language
}  // namespace zel
