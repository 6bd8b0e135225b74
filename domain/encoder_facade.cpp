#include "domain/encoder_facade.h"

#include "core-afst/serialization.h"

namespace zel {
namespace kavero {

EncoderFacade::EncoderFacade(std::shared_ptr<sqlite3> db, const std::string& name)
    : EncoderFacade(afst::serialization::get_fsm(std::move(db), name)) {}

EncoderFacade::EncoderFacade(std::shared_ptr<Transducer> transducer)
    : fst_(std::move(transducer)) {
  if (fst_) symbols_ = std::make_shared<const idstrm::EncoderSymbols>(*fst_);
}

}  // namespace kavero
}  // namespace zel
