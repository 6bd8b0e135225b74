#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

namespace grammar_util {
const phoenix::function<RangeTextImpl> range_text;
const phoenix::function<RangeLineImpl> range_line;
}  // namespace grammar_util

Skipper::Skipper() : Skipper::base_type(start_, "skipper") {
  block_comment_ = "/*" >> *(qi::char_ - "*/") >> "*/";
  // The end of the text also ends a line comment, so a source whose last
  // line is a comment needs no final line end.
  line_comment_ = "//" >> *(qi::char_ - qi::eol) >> (qi::eol | qi::eoi);
  start_ = qi::standard::space | block_comment_ | line_comment_;
}

Skipper::~Skipper() = default;

}  // namespace compiler
}  // namespace zel
