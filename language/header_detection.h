// Whether a sentence is a header (a title line such as "Annual Report
// 2020"), judged from its tokens' capitalisation. The dictionary pass asks
// it once per sentence and marks header sentences; inside a header it also
// looks capitalised words up lower-cased.

#ifndef KAVERO_LANGUAGE_HEADER_DETECTION_H_
#define KAVERO_LANGUAGE_HEADER_DETECTION_H_

namespace zel {
namespace kavero {

class AnnotationCollection;
class Blackboard;

// False when the blackboard's header detection ("detect_headers") is off.
// True when the first token is a line-punctuation mark ("Punct-Line...") or
// was forced over a header prefix. Otherwise the first token must be
// capitalised ("init-cap" or "all-cap"); numbers and punctuation are passed
// over, every other token counts as capitalised, or as short when it has 5
// bytes or fewer, and any longer lower-case word denies at once. A header
// has more capitalised than short words and fewer than 4 short ones.
bool is_header(Blackboard& blackboard, AnnotationCollection& list);

// The capitalisation walk alone: the first token is capitalised and no
// other token that is neither capitalised, a number nor punctuation is
// longer than 5 bytes.
bool is_header_new(AnnotationCollection& list);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_HEADER_DETECTION_H_
