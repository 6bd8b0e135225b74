#include "domain/encoder_facade.h"

#include "core-afst/serialization.h"
#include "matcher/encoder_network.h"

namespace zel {
namespace kavero {

EncoderFacade::EncoderFacade(std::shared_ptr<sqlite3> db, const std::string& name)
    : EncoderFacade(afst::serialization::get_fsm(std::move(db), name)) {}

EncoderFacade::EncoderFacade(std::shared_ptr<Transducer> transducer)
    : fst_(std::move(transducer)) {
  if (!fst_) return;
  symbols_ = std::make_shared<const idstrm::EncoderSymbols>(*fst_);
  idstrm::SearchNetwork network = idstrm::search_network(fst_, *symbols_);
  search_fst_ = std::move(network.fst);
  search_sorted_ = network.sorted;
  search_arcs_ = std::make_shared<const idstrm::EncoderArcs>(*search_fst_, *symbols_, search_sorted_);
}

}  // namespace kavero
}  // namespace zel
