// Arc lines: one line of text describing a sequence of arcs, fed to a
// transducer builder.
//
// A line has an input side and an output side separated by a colon:
//
//   Paris:Paris[+City]      raw form: arcs P:P a:a r:r i:i s:s eps:+City
//   regex:a(b|c)*:xyz       regex form: groups, alternatives, repetition
//
// The two sides are read as token sequences in lockstep: the n-th input token
// pairs with the n-th output token, and the shorter side is filled with
// "eps". A side's tokens are single UTF-8 characters, with escapes resolved
// (a backslash before one of builder_special_chars keeps that character
// literal; \uXXXX, \xXX and \UXXXXXXXX name code points), and bracketed
// items:
//   raw input side    "[#end...]" is one token; any other "[" is a literal;
//   raw output side   "[...]" is one token ("[+City]" gives "+City");
//   regex input side  "[...]" is one token, "." is the token "??", and
//                     "(", "|", ")" with an optional "*", "+", "?" or
//                     "{n,m}" are structure;
//   regex output side "[...]" is one token.
// Structure is passed on as pairs whose output label is "format": the input
// "(" opens a group, "|" separates alternatives, ")" (with its repetition)
// closes a group. In the raw form such pairs are written out, as in
// "(:[format]", and a group may span several lines.
//
// The colon search skips escaped colons and colons inside "[...]"; a line
// without a colon has only an input side, and its arcs output "eps".

#ifndef KAVERO_CORE_AFST_ARC_LINE_H_
#define KAVERO_CORE_AFST_ARC_LINE_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/unicode.h"
#include "core-afst/builder.h"

namespace zel {
namespace afst {

// An input label and an output label, in that order.
using LabelPair = std::pair<std::string, std::string>;

// What push_arcs_line answers.
enum ArcLineResult : int32_t {
  kArcLineEmpty = 1,       // an empty line: nothing done
  kArcLineDone = 0,        // every pair was used
  kArcLineMalformed = -1,  // a regex line whose groups do not balance: nothing done
  kArcLineUnknownFormat = -2,  // a structure pair it does not know; pairs before it were used
};

// Feeds one line to the builder: arcs with pushArc, structure with
// open_group, separator("union") and close_group. Does not open or close a
// rule. A line beginning with "regex:" is read in the regex form (the rest of
// the line), any other line in the raw form.
//
// A regex line with a ")" that closes no group (reported on standard error as
// "Error missing open bracket in FST push [" line "]"), with a group it does
// not close, or with a "{" range that has no "}" (reported as
// "Error missing close bracket in FST push [" line "]") changes nothing and
// answers kArcLineMalformed. A structure pair other than "(", "|" and ")..."
// writes "unknown format string." to standard error and answers
// kArcLineUnknownFormat. Builder errors (read-only tables, a bad range) and
// bad UTF-8 (utf8::exception) pass through; an escape with too few hex
// digits raises zel::Exception. Invalid escapes are not reported.
int32_t push_arcs_line(Builder& builder, const std::string& line);

// The pairs of a raw-form line. Invalid escapes are recorded in `error`;
// nothing is written.
std::vector<LabelPair> parseline_raw(const std::string& line, const std::set<char>& special,
                                     zel::string::unicode::ErrorCode& error);

// The pairs of a regex-form line (without its "regex:" prefix). A ")" that
// closes no group writes "Error missing open bracket in FST push [" line "]"
// to standard error and gives no pairs at all. Invalid escapes are recorded
// in `error` and, after the line, written to standard error.
std::vector<LabelPair> parseline(const std::string& line, const std::set<char>& special,
                                 zel::string::unicode::ErrorCode& error);
std::vector<LabelPair> parseline(std::string_view line, const std::set<char>& special,
                                 zel::string::unicode::ErrorCode& error);

// Appends to `out` the whole line when it has no separating colon, otherwise
// the texts before and after the first separating colon. Invalid escapes met
// inside "[...]" are written to standard error when no colon is found.
void split_up_down(std::vector<std::string>& out, const std::string& line,
                   const std::set<char>& special);

// Called with `start` at a closing parenthesis and `position` just after it:
// when a repetition follows ("*", "+", "?", or "{" up to "}" or the end),
// moves `position` past it, sets `out` to the text from `start` to there
// (")*", "){2,3}") and answers true; otherwise sets `out` to ")" and answers
// false, and `position` is to be taken back to just after the parenthesis.
bool get_closure_string(const char* start, const char*& position, const char* end,
                        std::string& out);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_ARC_LINE_H_
