// The endings lookup (type code 8): readings for long capitalised words that
// no lexicon knows, from their endings.
//
// The endings network holds endings written backwards (the ending "ung" is
// the path g, n, u), so that a walk from a word's last character towards its
// first meets every ending the word has. Each ending found splits the word
// into a head and the ending, and gives one compound-style output in which
// the head is a proper-name component and the ending keeps the network's
// tags, marked "+reverse":
//
//   Kalwerung, with the ending path g n u -> "ung+Nn-Sg", gives
//   "#$Kalwerung#Kalwer+Prop#ung+Nn-Sg+reverse"
//
// ("#$" and the whole stem, then "#" and each component).

#ifndef KAVERO_CORE_AFST_ENDINGS_LOOKUP_H_
#define KAVERO_CORE_AFST_ENDINGS_LOOKUP_H_

#include <fst/arc.h>
#include <fst/vector-fst.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/lookup_interface.h"

namespace zel {
namespace afst {

class EndingsLookup : public LookupInterface {
 public:
  // A lookup over a shared endings network. The converter is held but never
  // applied: endings are matched on the word as written.
  EndingsLookup(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter);
  // A lookup over a network of its own, built from the transducer.
  EndingsLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                std::shared_ptr<ILookupConverter> converter);
  ~EndingsLookup() override;

  int32_t type() const override;

  // The "+reverse" outputs, in the order their endings were found. Only
  // words longer than 7 bytes that begin with an ASCII capital are looked
  // up; an ending that leaves a head of 2 code points or fewer gives
  // nothing. At most 21 endings are taken, and the walk stops after 10000
  // steps. Bad UTF-8 raises utfcpp's exceptions. Keeps all its state in the
  // call, so calls may run concurrently.
  std::vector<std::string> up(const std::string& word) override;

  // One line "  -c- " output per output of up(word), no heading line.
  void print_results(const std::string& word) override;

  const std::shared_ptr<AFst>& network() const { return network_; }

 private:
  std::shared_ptr<AFst> network_;
  std::shared_ptr<ILookupConverter> converter_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_ENDINGS_LOOKUP_H_
