// The compile-result report as people read it: one line per diagnostic.
//
// The compiler answers a compilation with a JSON text (see
// compiler/driver/compile_driver.h):
//
//   {"return":false,
//    "sink":{"app":[{"code":0,"msg":"No input given.","type":"error"}],
//            "rules.kav":[{"code":0,"column":5,"line":3,"msg":"unknown",
//                          "type":"error"},
//                         {"code":0,"msg":"here ^","type":"error_marker"}]}}
//
// which display_return_message renders as
//
//   app:No input given.
//   rules.kav:3:5:"error" unknown
//                      here ^
//
// Sources come in byte order of their names, each with its diagnostics in
// the order recorded. With the marker layout an "error_marker" (the source
// line and a caret under the faulty place) is indented past the source
// name, so that it stands under the line it marks.

#ifndef KAVERO_DOMAIN_COMPILE_REPORT_H_
#define KAVERO_DOMAIN_COMPILE_REPORT_H_

#include <ostream>

namespace omr {
namespace compiler {

// 0 when the result says the compilation succeeded ("return" true), and
// then nothing is written; -1 otherwise (also for a null text, and for a
// result without "sink"), after writing the report:
//   - with `marker_layout`, an "error_marker": as many blanks as the source
//     name has bytes, ten blanks, the message;
//   - a diagnostic with "line": name ":" line ":" column ":" the type in
//     double quotes, a blank, the message;
//   - any other: name ":" the message;
// each line ended with std::endl.
//
// A text that is not JSON raises the JSON library's parse error; a
// "return" that is not a boolean, a diagnostic that is not an object, a
// "type" or "msg" that is not a text raise its type error, and a missing
// "return", "type", "msg" or (beside "line") "column" its out-of-range
// error. What was written before the error stays written.
int display_return_message(const char* result, std::ostream& out, bool marker_layout);

}  // namespace compiler
}  // namespace omr

#endif  // KAVERO_DOMAIN_COMPILE_REPORT_H_
