#include "matcher/attribute_parser.h"

#include <iostream>
#include <utility>
#include <vector>

#include <boost/fusion/include/std_pair.hpp>
#include <boost/phoenix/bind/bind_function.hpp>
#include <boost/phoenix/operator.hpp>
#include <boost/spirit/include/qi.hpp>

namespace zel {
namespace kavero {

namespace {

namespace qi = boost::spirit::qi;
namespace phx = boost::phoenix;

using Iterator = std::string::const_iterator;
using Pair = std::pair<std::string, boost::any>;
using Pairs = std::vector<Pair>;

bool is_white_space(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return (byte >= 0x09 && byte <= 0x0D) || byte == 0x20 || byte == 0x85 ||
         byte == 0xA0;
}

Iterator skip_white_space(Iterator position, Iterator end) {
  while (position != end && is_white_space(*position)) ++position;
  return position;
}

boost::any text_value(const std::string& text) { return boost::any(text); }

boost::any format_value(const std::string& text) {
  return boost::any(AttributeFormatValue{text, std::string()});
}

// The attributes of a concept a rule inserts; nothing is skipped.
template <typename It>
struct attribute_parser : qi::grammar<It, Pairs()> {
  attribute_parser() : attribute_parser::base_type(start) {
    using qi::_1;
    using qi::_val;
    using qi::char_;
    using qi::lit;
    const auto tdq = lit("\"\"\"");

    escaped_quote = lit('\\') >> char_('"');
    content = +(escaped_quote | (char_ - '"'));
    quoted = lit('"') >> content >> lit('"');
    raw = tdq >> +(char_ - tdq) >> tdq;
    raw_format = tdq >> +(char_ - tdq) >> tdq;
    quoted_format = lit('"') > content > lit('"');
    bare = +(char_ - ';');
    // A value that begins with f and a double quote is committed to being a
    // formatted value; one that begins with f otherwise is bare text.
    value = quoted[_val = phx::bind(&text_value, _1)] |
            raw[_val = phx::bind(&text_value, _1)] |
            ((lit('f') >> &lit('"')) >
             (qi::hold[raw_format] | quoted_format))[_val = phx::bind(
                &format_value, _1)] |
            bare[_val = phx::bind(&text_value, _1)];
    key = +(char_ - '=');
    pair = key >> lit('=') >> value;
    start = lit('@') >> (pair % ';');

    start.name("start");
    pair.name("qr_pair");
    key.name("name");
    quoted.name("quoted_string");
    raw_format.name("raw_formated_string");
  }

  qi::rule<It, Pairs()> start;
  qi::rule<It, Pair()> pair;
  qi::rule<It, std::string()> key;
  qi::rule<It, boost::any()> value;
  qi::rule<It, std::string()> quoted;
  qi::rule<It, std::string()> content;
  qi::rule<It, char()> escaped_quote;
  qi::rule<It, std::string()> raw;
  qi::rule<It, std::string()> raw_format;
  qi::rule<It, std::string()> quoted_format;
  qi::rule<It, std::string()> bare;
};

template <typename It>
struct white_space : qi::grammar<It> {
  white_space() : white_space::base_type(start) {
    using qi::char_;
    start = char_("\x09-\x0d") | char_(' ') | char_('\x85') | char_('\xa0');
  }
  qi::rule<It> start;
};

// The attribute conditions a rule tests on a concept.
template <typename It>
struct attribute_parser_matcher : qi::grammar<It, Pairs(), white_space<It>> {
  using Skipper = white_space<It>;

  attribute_parser_matcher() : attribute_parser_matcher::base_type(start) {
    using qi::_1;
    using qi::_val;
    using qi::char_;
    using qi::lexeme;
    using qi::lit;
    const auto tdq = lit("\"\"\"");

    quoted = char_('"') >> +((char_('\\') > lit('"')) | (char_ - '"')) >>
             lit('"');
    pattern = char_('/') >> +(char_ - '/') >> lit('/');
    raw = tdq >> +(char_ - tdq) >> tdq;
    // Each form has its own text, so that one that fails half-way leaves
    // nothing in the next one's.
    value = lexeme[quoted[_val = phx::bind(&text_value, _1)] |
                   pattern[_val = phx::bind(&text_value, _1)] |
                   raw[_val = phx::bind(&text_value, _1)]];
    key = lexeme[+(char_ - '=')];
    pair = key >> lit('=') >> value;
    start = lit('@') >> (pair % ';');

    start.name("start");
    pair.name("qr_pair");
    key.name("name");
    value.name("quoted_string");
  }

  qi::rule<It, Pairs(), Skipper> start;
  qi::rule<It, Pair(), Skipper> pair;
  qi::rule<It, std::string(), Skipper> key;
  qi::rule<It, boost::any(), Skipper> value;
  qi::rule<It, std::string()> quoted;
  qi::rule<It, std::string()> pattern;
  qi::rule<It, std::string()> raw;
};

Attributes to_attributes(Pairs&& pairs) {
  Attributes list;
  for (Pair& pair : pairs) list.push_back(std::move(pair));
  return list;
}

void report(const std::string& text) {
  std::cout << "ERROR:[" << text << "]" << std::endl;
}

bool parse_with(const attribute_parser<Iterator>& grammar, Iterator& first,
                Iterator last, Pairs& pairs) {
  return qi::parse(first, last, grammar, pairs);
}

bool parse_with(const attribute_parser_matcher<Iterator>& grammar,
                Iterator& first, Iterator last, Pairs& pairs) {
  static thread_local const white_space<Iterator> skipper;
  return qi::phrase_parse(first, last, grammar, skipper, pairs);
}

// The matchers parse conditions while they match, so a grammar, with all
// its rules, is built once per thread and then only read: parsing keeps its
// state on the stack, never in the grammar.
template <typename Grammar>
Attributes parse_attributes_with_grammer(const std::string& text) {
  if (text.empty()) return Attributes();
  static thread_local const Grammar grammar;
  Iterator first = skip_white_space(text.begin(), text.end());
  Pairs pairs;
  const bool parsed = parse_with(grammar, first, text.end(), pairs);
  if (parsed) first = skip_white_space(first, text.end());
  if (!parsed || first != text.end()) report(text);
  return to_attributes(std::move(pairs));
}

}  // namespace

Attributes parse_attributes(const std::string& text) {
  return parse_attributes_with_grammer<attribute_parser<Iterator>>(text);
}

Attributes parse_attributes_matcher(const std::string& text) {
  return parse_attributes_with_grammer<attribute_parser_matcher<Iterator>>(
      text);
}

}  // namespace kavero
}  // namespace zel
