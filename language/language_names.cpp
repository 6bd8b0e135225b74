#include "language/language_names.h"

#include <utility>

namespace zel {
namespace language {
namespace {

// The rows in insertion order. Some codes come twice (KL, GV, II, SS) and
// some names twice (danish, portuguese); the first row of a code wins, and in
// the reversed table the smallest code of a name wins.
constexpr std::pair<char const*, char const*> kRows[] = {
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
    {"GD", "gaelic-scottish"}, {"GV", "gaelic-manx"}, {"KA", "georgian"},
    {"DE", "german"}, {"EL", "greek"}, {"KL", "greenlandic"}, {"GN", "guarani"},
    {"GU", "gujarati"}, {"HT", "haitian-creole"}, {"HA", "hausa"}, {"HE", "hebrew"},
    {"HZ", "herero"}, {"HI", "hindi"}, {"HO", "hiri-motu"}, {"HU", "hungarian"},
    {"IS", "icelandic"}, {"IO", "ido"}, {"IG", "igbo"}, {"ID", "indonesian"},
    {"IA", "interlingua"}, {"IE", "interlingue"}, {"IU", "inuktitut"},
    {"IK", "inupiak"}, {"GA", "irish"}, {"IT", "italian"}, {"JA", "japanese"},
    {"JV", "javanese"}, {"KL", "kalaallisut"}, {"KN", "kannada"}, {"KR", "kanuri"},
    {"KS", "kashmiri"}, {"KK", "kazakh"}, {"KM", "khmer"}, {"KI", "kikuyu"},
    {"RW", "rwanda"}, {"RN", "kirundi"}, {"KY", "kyrgyz"}, {"KV", "komi"},
    {"KG", "kongo"}, {"KO", "korean"}, {"KU", "kurdish"}, {"KJ", "kwanyama"},
    {"LO", "lao"}, {"LA", "latin"}, {"LV", "latvian"}, {"LI", "limburgish"},
    {"LN", "lingala"}, {"LT", "lithuanian"}, {"LU", "luga-katanga"},
    {"LG", "luganda-ganda"}, {"LB", "luxembourgish"}, {"GV", "manx"},
    {"MK", "macedonian"}, {"MG", "malagasy"}, {"MS", "malay"}, {"ML", "malayalam"},
    {"MT", "maltese"}, {"MI", "maori"}, {"MR", "marathi"}, {"MH", "marshallese"},
    {"MO", "moldavian"}, {"MN", "mongolian"}, {"NA", "nauru"}, {"NV", "navajo"},
    {"NG", "ndonga"}, {"ND", "northern-ndebele"}, {"NE", "nepali"},
    {"NO", "norwegian"}, {"II", "nuosu"}, {"OC", "occitan"}, {"OJ", "ojibwe"},
    {"OR", "oriya"}, {"OM", "oromo"}, {"OS", "ossetian"}, {"PI", "p\xC4\x81li"},
    {"PS", "pashto"}, {"FA", "persian-farsi"}, {"PL", "polish"},
    {"PT", "portuguese"}, {"PA", "punjabi"}, {"QU", "quechua"}, {"RM", "romansh"},
    {"RO", "romanian"}, {"RU", "russian"}, {"SE", "sami"}, {"SM", "samoan"},
    {"SG", "sango"}, {"SA", "sanskrit"}, {"SR", "serbian"}, {"SH", "serbo-croatian"},
    {"ST", "sesotho"}, {"TN", "setswana"}, {"SN", "shona"}, {"II", "sichuan yi"},
    {"SD", "sindhi"}, {"SI", "sinhalese"}, {"SS", "siswati"}, {"SK", "slovak"},
    {"SL", "slovenian"}, {"SO", "somali"}, {"NR", "southern ndebele"},
    {"ES", "spanish"}, {"SU", "sundanese"}, {"SW", "swahili-kiswahili"},
    {"SS", "swati"}, {"SV", "swedish"}, {"TL", "tagalog"}, {"TY", "tahitian"},
    {"TG", "tajik"}, {"TA", "tamil"}, {"TT", "tatar"}, {"TE", "telugu"},
    {"TH", "thai"}, {"BO", "tibetan"}, {"TI", "tigrinya"}, {"TO", "tonga"},
    {"TS", "tsonga"}, {"TR", "turkish"}, {"TK", "turkmen"}, {"TW", "twi"},
    {"UG", "uyghur"}, {"UK", "ukrainian"}, {"UR", "urdu"}, {"UZ", "uzbek"},
    {"VE", "venda"}, {"VI", "vietnamese"}, {"VO", "volap\xC3\xBCk"}, {"WA", "wallon"},
    {"CY", "welsh"}, {"WO", "wolof"}, {"FY", "frisian"}, {"XH", "xhosa"},
    {"YI", "yiddish"}, {"YO", "yoruba"}, {"ZA", "zhuang-chuang"}, {"ZU", "zulu"},
};

std::map<std::string, std::string> make_language_map() {
  std::map<std::string, std::string> map;
  for (auto const& [code, name] : kRows) map.emplace(code, name);
  return map;
}

// Function-local so that static initialisers of other files may already use
// the tables; read-only once built.
std::map<std::string, std::string> const& name_to_code() {
  static std::map<std::string, std::string> const map =
      detail::make_reverse_map(get_language_map());
  return map;
}

}  // namespace

std::map<std::string, std::string> const& get_language_map() {
  static std::map<std::string, std::string> const map = make_language_map();
  return map;
}

bool is_known_language(std::string const& name) { return name_to_code().count(name) != 0; }

}  // namespace language
}  // namespace zel
