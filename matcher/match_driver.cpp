#include "matcher/match_driver.h"

#include <iostream>
#include <string>
#include <utility>

#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_repairs.h"
#include "api/profiler.h"
#include "domain/domain_facade.h"
#include "matcher/anaphora.h"
#include "matcher/candidate_index.h"
#include "matcher/instance_store.h"
#include "matcher/rule_clusters.h"

namespace zel {
namespace kavero {

namespace {

constexpr unsigned kEntitiesCluster = 3;
constexpr unsigned kInstancesCluster = 4;
constexpr unsigned kAnaphoraCluster = 5;

// "n" pairs of " -".
std::string dashes(int n) {
  std::string line;
  for (int i = 0; i < n; ++i) line += " -";
  return line;
}

}  // namespace

IExecuteCandidates::~IExecuteCandidates() = default;

void ExecuteCandidates::operator()(RuleCandidateCollectionBase& candidates,
                                   const AnnotationCollection& sentence) {
  if (candidates.empty()) return;
  // The list is lent to a list of the kind's class and given back.
  if (candidates.kind == 0) {
    RuleCandidateCollection list;
    list.splice(list.end(), candidates);
    dispatch_match_type(list, sentence);
    candidates.splice(candidates.end(), list);
  } else if (candidates.kind == 1) {
    PriorityGroupRuleCandidateCollection list;
    list.splice(list.end(), candidates);
    dispatch_match_type(list, sentence);
    candidates.splice(candidates.end(), list);
  }
}

std::shared_ptr<ExecuteCandidates> create_matcher(Blackboard& blackboard,
                                                  const std::shared_ptr<DomainFacade>& domain,
                                                  IAddConcept& inserter) {
  return std::make_shared<ExecuteCandidates>(blackboard, domain, inserter);
}

bool match_ids(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain,
               const RuleCollectionBase& collection, IAddConcept& inserter) {
  if (blackboard.dbg["insertion"]) {
    std::cout << "Cluster: " << collection.name << ":" << collection.qualified_name << "\n"
              << dashes(37) << " \n";
  }
  std::shared_ptr<ExecuteCandidates> executor = create_matcher(blackboard, domain, inserter);
  match_rules_on_document(blackboard, collection, *blackboard.annotations, *executor);
  return true;
}

bool match_ids(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain,
               const std::set<std::string>& names) {
  const bool insertion = blackboard.dbg["insertion"];
  std::shared_ptr<ExecuteCandidates> executor =
      create_matcher(blackboard, domain, *blackboard.collector);
  const bool anaphora_on =
      (domain->flags & DomainFacade::kAnaphora) != 0 && blackboard.options->get_bool("anaphora", true);
  for (const auto& [key, collection] : domain->rule_collections) {
    if (insertion) {
      std::cout << "Cluster: " << domain->name() << ":" << key << ":" << collection.qualified_name
                << "\n"
                << dashes(27) << "\n";
    }
    if (!names.empty() && names.count(key) == 0) continue;
    match_rules_on_document(blackboard, collection, *blackboard.annotations, *executor);
    if (!collection.last_in_cluster) continue;
    if (collection.cluster_id == kAnaphoraCluster && anaphora_on) {
      anaphora::apply(&blackboard);
    } else if (collection.cluster_id == kInstancesCluster &&
               (domain->flags & DomainFacade::kInstances) != 0) {
      instances::apply(&blackboard);
    }
    apply_namespace_actions(collection.name, blackboard, domain);
    if (collection.cluster_id == kEntitiesCluster) fix_entities(*blackboard.annotations);
  }
  apply_namespace_actions("last", blackboard, domain);
  return true;
}

void match_rules_on_document(const Blackboard& blackboard, const RuleCollectionBase& collection,
                             const AnnotationCollection& document, IExecuteCandidates& executor) {
  if (blackboard.profiler != nullptr && !collection.rules.empty()) {
    blackboard.profiler->init(blackboard.current_domain.get(), collection);
  }
  match_sentence(document, collection, executor, run_sentence);
}

void match_sentence(const AnnotationCollection& document, const RuleCollectionBase& collection,
                    IExecuteCandidates& executor, const SentenceFunction& function) {
  if (collection.kind != kRuleCollectionId && collection.kind != kPriorityGroupRuleCollectionId) {
    return;
  }
  // Every sentence's pool chooses its candidates through the same index.
  const std::shared_ptr<const CandidateIndex> index = collection.candidate_index();
  for (Annotation* a = document.head; a != nullptr; a = a->next) {
    Sentence* sentence = annotation_cast<Sentence>(a);
    if (sentence == nullptr) continue;
    if (collection.kind == kRuleCollectionId) {
      RuleCandidateCollection pool(index);
      function(sentence, pool, executor);
    } else {
      PriorityGroupRuleCandidateCollection pool(index);
      function(sentence, pool, executor);
    }
  }
}

void run_sentence(Sentence* sentence, RuleCandidateCollectionBase& pool,
                  IExecuteCandidates& executor) {
  for (int pass = 1;; ++pass) {
    RuleCandidateCollectionBase candidates = pool.get_candidates(sentence);
    executor(candidates, sentence->annotations);
    if (!sentence->changed) return;
    sentence->changed = false;
    if (pass == kMaxSentencePasses) return;
  }
}

}  // namespace kavero
}  // namespace zel
