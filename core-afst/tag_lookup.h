// The tag lookup (type code 9): hashtags and mentions that the tokenizer
// made into one token, split into words and answered with compound-style
// analyses.
//
// A hashtag begins with "#", a mention with the at sign. The text after the
// tag character is split into words:
//   - at camel-case, digit and underscore boundaries when it is not written
//     in lower case ("#TopTenList", "#Top10_List"): one answer, in which
//     each piece is what the lexicon gives for it as written, or converted,
//     or a fallback reading;
//   - by the compound splitter, which also splits off runs of digits, when
//     it begins in lower case ("#toptenlist"): one answer per chosen split.
// Every answer begins with the tag's property and has one "#"-introduced
// component per piece; with a lexicon that knows "top", "ten" and "Jo":
//
//   "#TopTen" -> "#+hash-tag#top+Adj#ten+Num"   (looked up lower-cased)
//   "@Jo"     -> "#+add-tag#Jo+Prop"
//
// Fallback readings of a camel-case piece: digits give the piece followed
// by "+Num-Std"; a piece in capitals that the lexicon does not know gives
// "+Nn-Std+all-cap" (only a three-letter one is tried converted as well);
// any other unknown piece gives "+Nn-Std+TLNF".

#ifndef KAVERO_CORE_AFST_TAG_LOOKUP_H_
#define KAVERO_CORE_AFST_TAG_LOOKUP_H_

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {

class TagLookup : public LookupInterface {
 public:
  // The inner word lookup shares the network; the converter may be empty.
  TagLookup(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter);
  // The inner word lookup builds a network of its own from the transducer.
  TagLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
            std::shared_ptr<ILookupConverter> converter);
  ~TagLookup() override;

  int32_t type() const override;

  // The answers for a hashtag or mention; an empty list for any other word
  // and for a lower-case tag that cannot be split. Bad UTF-8 raises utfcpp's
  // exceptions. Every call keeps its search state to itself, so one lookup
  // may serve concurrent calls when its converter can.
  std::vector<std::string> up(const std::string& word) override;

 private:
  WordLookup lookup_;
};

// "#+hash-tag" for a text beginning with "#", "#+add-tag" for one beginning
// with the at sign, else the empty text. The texts live as long as the
// process.
const std::string& get_tag_property(const std::string& text);

// True for "#" and the at sign.
bool is_tag_begin_char(uint64_t c);

// A stretch of a UTF-8 text: [first, second).
using Utf8Range = std::pair<const char*, const char*>;

// True when every code point of the range is upper case (ICU); true for an
// empty range.
bool all_caps(const Utf8Range& range);

// The camel-case split of a tag: the pieces of the text after its first
// character (the tag character). A piece ends
//   - at the end of the text;
//   - before an underscore, which belongs to no piece (the piece before an
//     underscore may be empty);
//   - after a lower-case letter followed by anything but a lower-case letter
//     (not for the first character after the tag character);
//   - after a capital followed by a capital and a lower-case letter
//     ("NASAGoes" gives "NASA" and "Goes"), or followed by a digit;
//   - after a digit followed by anything but a digit.
// A "#" inside the text drops the piece begun before it. A text of fewer
// than two code points has no pieces.
std::vector<Utf8Range> is_camelcase(const std::string& text);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_TAG_LOOKUP_H_
