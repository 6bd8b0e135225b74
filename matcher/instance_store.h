// Instance stores: which concepts of a document mention the same entity.
//
// The short-term store lives with one document (the blackboard makes it);
// it tracks the concept names of the option "instances" (default "Person",
// which brings "GivenName" along). The long-term store lives with an
// analyzer and asks the plugin module named by the analyzer option
// "instance_module" which names it tracks and what it knows of them.
//
// What the stores are made of is here. Linking mentions to instances, which
// the rules of a domain's "instances" cluster drive, comes with the rule
// matchers: until then a short-term store raises zel::Exception when asked
// to link or to give an instance, and a long-term store cannot be made (its
// plugin calls are not available).

#ifndef KAVERO_MATCHER_INSTANCE_STORE_H_
#define KAVERO_MATCHER_INSTANCE_STORE_H_

#include <memory>
#include <set>
#include <string>

namespace zel {

class IOptions;

namespace kavero {

class Blackboard;
class Concept;
class EngineInterface;

namespace instances {

// One entity that several concepts mention; its attributes show on every
// linked concept.
class Instance;

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
  // Not available yet: raise zel::Exception.
  void check_concept(Blackboard& blackboard,
                     Concept* concept_annotation) override;
  std::shared_ptr<Instance> get_instance(
      Blackboard& blackboard, const Concept* concept_annotation) override;

  const std::set<std::string>& tracked_names() const { return tracked_names_; }
  const std::shared_ptr<IStore>& long_term_store() const {
    return long_term_store_;
  }

 private:
  std::set<std::string> tracked_names_;
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

// The analyzer's store: an empty pointer when the options' "instance_module"
// is absent or empty. A module raises zel::Exception: the plugin calls that
// the store is made of are not available yet.
std::shared_ptr<IStore> create_store(std::shared_ptr<EngineInterface> engine,
                                     const std::shared_ptr<IOptions>& options);

}  // namespace long_term

// Runs the blackboard's short-term store and its analyzer's long-term store
// over the concepts of the document, after the rules of a domain's
// "instances" cluster. Not available yet: raises zel::Exception.
void apply(Blackboard* blackboard);

}  // namespace instances
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_INSTANCE_STORE_H_
