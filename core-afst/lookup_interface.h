// The interface of every lexicon lookup, and its input converter.
//
// A language's lookup chain and a domain's lexicons hold their lookups only
// through LookupInterface: a type code, `up` (a text in, a new list of output
// texts out; an empty list means no answer, so a chain tries its next
// lookup) and a debugging printer.
//
// A lookup may put an ILookupConverter in front of its input (a language's
// "tolower" transform does, so that its lexicon is looked up case-blind);
// each lookup says whether and where it applies it.

#ifndef KAVERO_CORE_AFST_LOOKUP_INTERFACE_H_
#define KAVERO_CORE_AFST_LOOKUP_INTERFACE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zel {
namespace afst {

class LookupInterface {
 public:
  virtual ~LookupInterface();

  // The lookup's type code (1 for the word lookup; the other lookups have
  // their own codes).
  virtual int32_t type() const = 0;

  // Looks a text up; the list belongs to the caller.
  virtual std::vector<std::string> up(const std::string& text) = 0;

  // Writes "up [" text "]" and then one "  -- " line per output of up(text)
  // to standard output, flushing after every line.
  virtual void print_results(const std::string& text);
};

class ILookupConverter {
 public:
  virtual ~ILookupConverter();
  virtual std::string operator()(const std::string& text) = 0;
};

// Lower-cases the whole text (zel::string::to_lower). Holds no state.
class LookupConverterLowercase : public ILookupConverter {
 public:
  std::string operator()(const std::string& text) override;
};

// The characters that may join the components of a compound word.
inline const std::string compound_joiners = "-s";

// "#" and the component for every non-empty component, in order: the
// components A and B give "#A#B"; an empty list gives the empty text.
std::string construct_stem(const std::vector<std::string>& components);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_LOOKUP_INTERFACE_H_
