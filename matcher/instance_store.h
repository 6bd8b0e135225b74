// Instance stores: which concepts of a document mention the same entity.
//
// The short-term store lives with one document (the blackboard makes it);
// it tracks the concept names of the option "instances" (default "Person",
// which brings "GivenName" along). It files every instance under normalized
// text keys and links a later mention to an earlier instance when their
// keys meet; persons are matched by their given-name and family-name parts,
// initials and the genitive form of the document's language.
//
// The long-term store lives with an analyzer and asks the plugin module
// named by the analyzer option "instance_module" which names it tracks
// (its function "get_instances"), whether a concept is a known instance
// ("check_instance", whose answer becomes the concept's long-term instance
// key) and what that instance holds ("get_instance", asked once per key and
// document).
//
// Linking a concept to an instance makes it share the instance's attribute
// store: its own keys not beginning with "_" move into the store, so an
// attribute found on one mention shows on every mention.
//
// apply() runs both stores over a document; the match driver calls it after
// the rules of a domain's "instances" cluster.

#ifndef KAVERO_MATCHER_INSTANCE_STORE_H_
#define KAVERO_MATCHER_INSTANCE_STORE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analysis/attributes.h"

namespace zel {

class IOptions;

namespace kavero {

class Blackboard;
class Concept;
class EngineInterface;

namespace instances {

// One entity that several concepts mention; its attributes show on every
// linked concept. Always held by a shared pointer.
class Instance {
 public:
  Instance();
  // An instance from the text a plugin's "get_instance" returned: the
  // members of a JSON object become its attributes (texts as they are,
  // other values as their JSON text); any other JSON keeps nothing. An
  // empty text is the empty instance; a text that is no JSON raises the
  // JSON reader's exception.
  explicit Instance(const std::string& text);

  // The store exists from the start; attributes given to the instance go
  // there.
  SharedAttributes attributes;
};

std::shared_ptr<Instance> convert_string_to_instance(const std::string& text);

// The key a concept is filed under: normalize_word of its person canonical
// form ("canonical", else its text camel-cased word by word).
std::string get_normalized_index_string(const Concept* concept_annotation);

// Whether `short_name` abbreviates every word of `full` (words separated by
// ' '): in `short_name` '-' and '.' separate and an upper-case letter starts
// a new word; each of its words must begin with the first letter of the
// next word of `full` and may go on with that word's following letters.
// More initials than words are allowed ("A.D." abbreviates "Abc"), a word
// of `full` left over is not. Letters are UTF-8 code points, classified by
// their Unicode case. An empty short name abbreviates only an empty name.
bool compare_abbreviation_name(const std::string& full,
                               const std::string& short_name);

// Accepts every key but "gender": a mention linked through a family name
// alone keeps its own gender.
bool NoGender(const std::string& key);

class IStore {
 public:
  // Whether the store tracks the concept's URI.
  virtual bool is_instance(const Concept* concept_annotation) const = 0;
  // Decides and records the concept's instance.
  virtual void check_concept(Blackboard& blackboard,
                             Concept* concept_annotation) = 0;
  // The concept's instance, or an empty pointer.
  virtual std::shared_ptr<Instance> get_instance(
      Blackboard& blackboard, const Concept* concept_annotation) = 0;
  // The end of a document's pass. Does nothing here.
  virtual void close();
  virtual ~IStore();
};

namespace short_term {

class Store : public IStore {
 public:
  Store(std::set<std::string> tracked_names,
        std::shared_ptr<IStore> long_term_store);
  ~Store() override;

  bool is_instance(const Concept* concept_annotation) const override;
  // "Person" concepts by their parts (check_person), "GivenName" concepts
  // by their key or waiting for it, other tracked names by their key
  // (check_any); untracked concepts and those with a long-term key are
  // left alone. The long-term store, when there is one, checks the concept
  // afterwards in every case.
  void check_concept(Blackboard& blackboard,
                     Concept* concept_annotation) override;
  // The instance of the concept's short-term index; else the long-term
  // store's instance of its long-term key; else empty.
  std::shared_ptr<Instance> get_instance(
      Blackboard& blackboard, const Concept* concept_annotation) override;
  // Links the persons known only by a given name whose key has been filed
  // since; the others stay without an instance.
  void close() override;

  // Files index n under the key (not twice in a row) and returns its
  // instance, empty when there is none.
  std::shared_ptr<Instance> add_2_index(const std::string& key, int64_t n);
  void check_person(Blackboard& blackboard, Concept* person);
  void check_any(Blackboard& blackboard, Concept* concept_annotation);

  const std::set<std::string>& tracked_names() const { return tracked_names_; }
  const std::shared_ptr<IStore>& long_term_store() const {
    return long_term_store_;
  }
  const std::map<int64_t, std::shared_ptr<Instance>>& instances() const {
    return instances_;
  }
  // Key -> the indexes filed under it, oldest first.
  const std::map<std::string, std::vector<int64_t>>& index() const {
    return index_;
  }

 private:
  using KeyFilter = ConceptAttributes::KeyPredicate;

  // Makes the concept share instance n's store and records n on it.
  void link(Concept* concept_annotation, int64_t n,
            const KeyFilter& filter = ConceptAttributes::CAFT_None);
  // Files the family keys under k and links the person to instance k.
  void link_person(Concept* person, const std::string& family_key, int64_t k,
                   const std::string& genitive);
  // The newest index filed under the key, 0 when none.
  int64_t newest(const std::string& key) const;

  std::set<std::string> tracked_names_;
  int64_t last_index_ = 0;
  std::map<int64_t, std::shared_ptr<Instance>> instances_;
  std::map<std::string, std::vector<int64_t>> index_;
  // Persons known only by a family name not filed yet, under that key.
  std::multimap<std::string, Concept*> waiting_;
  // Persons known only by a given name not filed yet, with its key.
  std::vector<std::pair<std::string, Concept*>> waiting_given_;
  std::shared_ptr<IStore> long_term_store_;
};

// The document's store: the names of "instances" (read through the
// blackboard's option view; "Person" when absent), with "GivenName" when
// "Person" is among them, over the long-term store of the blackboard's
// analyzer. An empty pointer when no name is tracked ("instances" present
// and empty).
std::shared_ptr<IStore> create_store(Blackboard& blackboard);

}  // namespace short_term

namespace long_term {

class Store : public IStore {
 public:
  // Asks the module of the options' "instance_module" for the names it
  // tracks; none without a module. A plugin error passes unchanged; an
  // answer that is not a JSON array raises zel::Exception
  // "Invalid json option." followed by the reason.
  Store(const EngineInterface* engine, const std::shared_ptr<IOptions>& options);
  ~Store() override;

  bool is_instance(const Concept* concept_annotation) const override;
  // Asks the module whether the concept's canonical text is a known
  // instance; its answer becomes the concept's long-term key. "false" and
  // an empty answer (no such plugin, or a document that does not allow
  // plugins) leave the concept without a key.
  void check_concept(Blackboard& blackboard,
                     Concept* concept_annotation) override;
  // The instance of the concept's long-term key: asked of the module once
  // per key and document, then taken from the blackboard's cache.
  std::shared_ptr<Instance> get_instance(
      Blackboard& blackboard, const Concept* concept_annotation) override;

  const std::string& module() const { return module_; }
  const std::set<std::string>& tracked_names() const { return tracked_names_; }

 private:
  std::string module_;
  std::string get_instance_uri_;
  std::string check_instance_uri_;
  std::set<std::string> tracked_names_;
};

// The analyzer's store: an empty pointer when the options' "instance_module"
// is absent or empty, or when the module tracks no name.
std::shared_ptr<IStore> create_store(std::shared_ptr<EngineInterface> engine,
                                     const std::shared_ptr<IOptions>& options);

}  // namespace long_term

// Offers the concepts of the document, sentence by sentence, to the
// blackboard's short-term store and then, unless it gave them a long-term
// key, to its analyzer's long-term store; the concepts inside one that a
// store handled are not offered. Deleted concepts and those that already
// have a long-term key are passed over. Ends with the short-term store's
// close().
void apply(Blackboard* blackboard);

}  // namespace instances
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_INSTANCE_STORE_H_
