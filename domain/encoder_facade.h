// The token encoder of a compiled domain: the transducer that turns a
// document's tokens into the domain's rule-input ids (see
// matcher/stream_encoding.h), with its symbols decoded once at load.

#ifndef KAVERO_DOMAIN_ENCODER_FACADE_H_
#define KAVERO_DOMAIN_ENCODER_FACADE_H_

#include <memory>
#include <string>

#include <fst/arc.h>
#include <fst/vector-fst.h>
#include <sqlite3.h>

#include "matcher/encoder_arcs.h"
#include "matcher/encoder_symbols.h"

namespace zel {
namespace kavero {

class EncoderFacade {
 public:
  using Transducer = fst::VectorFst<fst::StdArc>;

  // Reads the transducer of record `name`; holds none when the record is
  // absent or is no transducer. Raises zel::Exception for a transducer the
  // encoder would loop on (see EncoderSymbols).
  EncoderFacade(std::shared_ptr<sqlite3> db, const std::string& name);
  // Over a transducer at hand (null holds none); raises as above.
  explicit EncoderFacade(std::shared_ptr<Transducer> transducer);

  // Null when there is no token encoder.
  const std::shared_ptr<Transducer>& fst() const { return fst_; }
  // What the encoder searches: fst() with the patterns' common beginnings
  // merged (matcher/encoder_network.h), or fst() itself. Null exactly when
  // fst() is.
  const std::shared_ptr<Transducer>& search_fst() const { return search_fst_; }
  // Whether search_fst()'s arcs are in the order of idstrm::search_key().
  bool search_sorted() const { return search_sorted_; }
  // Null exactly when fst() is.
  const std::shared_ptr<const idstrm::EncoderSymbols>& symbols() const { return symbols_; }
  // search_fst()'s arcs laid out for the token encoder's search, once per
  // loaded encoder. Null exactly when fst() is.
  const std::shared_ptr<const idstrm::EncoderArcs>& search_arcs() const { return search_arcs_; }

 private:
  std::shared_ptr<Transducer> fst_;
  std::shared_ptr<Transducer> search_fst_;
  bool search_sorted_ = false;
  std::shared_ptr<const idstrm::EncoderSymbols> symbols_;
  std::shared_ptr<const idstrm::EncoderArcs> search_arcs_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_ENCODER_FACADE_H_
