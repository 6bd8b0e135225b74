#include "domain/lexicon_facade.h"

#include <exception>
#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/attribute_string.h"
#include "base/exception.h"
#include "core-afst/lookup_matcher.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"

namespace zel {
namespace kavero {
namespace core {

namespace {

[[noreturn]] void raise(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

std::shared_ptr<LexiconFacade::Transducer> read_transducer(const std::shared_ptr<sqlite3>& db,
                                                           const std::string& name,
                                                           std::string& attributes) {
  afst::serialization::BinaryData record = afst::serialization::get_binary_data(db.get(), name);
  attributes = std::move(record.first);
  std::shared_ptr<LexiconFacade::Transducer> transducer;
  if (!record.second.empty()) {
    afst::serialization::internal::ByteBuffer buffer(record.second.data(), record.second.size());
    std::istream in(&buffer);
    transducer.reset(LexiconFacade::Transducer::Read(in, fst::FstReadOptions("string input")));
  }
  if (!transducer) raise("Could not read data from stream.");
  return transducer;
}

}  // namespace

LexiconFacade::LexiconFacade(std::shared_ptr<sqlite3> db, const std::string& name) {
  std::string attributes;
  transducer_ = read_transducer(db, name, attributes);
  init(std::move(attributes));
}

LexiconFacade::LexiconFacade(std::shared_ptr<Transducer> transducer, const std::string& /*name*/,
                             std::string attributes)
    : transducer_(std::move(transducer)) {
  init(std::move(attributes));
}

void LexiconFacade::init(std::string attributes) {
  lookup_ = std::make_shared<afst::WordLookup>(transducer_, nullptr);
  attributes_ = string2attributes(attributes);
  input_ = literal_stream;
  for (const auto& pair : attributes_) {
    if (pair.first != "input") continue;
    auto found = stream_types.find(pair.second);
    input_ = found == stream_types.end() ? no_stream : found->second;
    break;
  }
}

std::vector<std::string> LexiconFacade::up(const std::string& text) const {
  // A matcher of the call's own (the lookup's own one serves one caller at
  // a time, and a domain's lexicons serve every document at once).
  afst::WordMatcher matcher(*lookup_->network());
  matcher.match(text);
  return std::move(matcher.results());
}

template <>
std::vector<std::pair<int32_t, std::string>> LexiconFacade::up<const char*>(
    const char* begin, const char* end) const {
  return lookup_->up(begin, end, afst::WordLookup::end_on_space());
}

}  // namespace core

namespace {

std::string database_name(const std::shared_ptr<sqlite3>& db) {
  const char* file = db ? sqlite3_db_filename(db.get(), "main") : nullptr;
  return file != nullptr ? file : "";
}

}  // namespace

void load_lexicons(DomainFacade& domain, std::shared_ptr<sqlite3> db) {
  for (const auto& [stream, type] : stream_types) {
    const std::string record = "entities_" + stream;
    if (!afst::serialization::has_binary_data(db.get(), record)) continue;
    std::shared_ptr<core::LexiconFacade> lexicon;
    try {
      lexicon = std::make_shared<core::LexiconFacade>(db, record);
    } catch (const std::exception& e) {
      // A domain without the entries of one of its lexicons would run and
      // quietly find less; refuse it instead.
      std::ostringstream message;
      message << "Cannot read lexicon " << std::quoted(record) << " of domain file "
              << std::quoted(database_name(db)) << ": " << e.what();
      throw Exception(message);
    }
    domain.lexicons.emplace(type, std::move(lexicon));
  }
}

void load_lexicon_info(DomainFacade& domain, std::shared_ptr<sqlite3> db) {
  if (!afst::serialization::has_binary_data(db.get(), "lexicon_info")) return;
  const afst::serialization::BinaryData record =
      afst::serialization::get_binary_data(db.get(), "lexicon_info");
  try {
    nlohmann::json info = nlohmann::json::parse(record.second.begin(), record.second.end(),
                                                nullptr, true, false);
    if (!domain.domain_info) domain.domain_info = std::make_shared<nlohmann::json>();
    (*domain.domain_info)["dom"]["lexicons"] = std::move(info);
  } catch (const nlohmann::json::exception&) {
    core::raise("Invalid json lexicon info recorded");
  }
}

}  // namespace kavero
}  // namespace zel
