// The contract by which the compile driver hands parsed sources to a
// builder: for every source open(name), collect(tree), close(name), in
// source order, and finalize() once after the last source. Builders report
// problems through diagnostics only; the driver reads no result of theirs.
//
// Implementations: the result store (compiler/backend/result_store.h),
// which numbers, translates and stores; the syntax-only checker, the
// lexicon change detector and the rule-test runner of the driver.

#ifndef KAVERO_COMPILER_DRIVER_DOMAIN_BUILDER_H_
#define KAVERO_COMPILER_DRIVER_DOMAIN_BUILDER_H_

#include <string>

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class DomainBuilderInterface {
 public:
  // Starts a source: its file name, before its tree is handed over.
  virtual void open(const std::string& path) = 0;
  // One source's tree. A builder may rewrite the rules of the tree in
  // place: the driver keeps the trees it hands over as its own mutable
  // list, and later passes over the same list see the rewritten trees.
  virtual void collect(const ast::node::Root& root) = 0;
  // Ends the source opened last.
  virtual void close(const std::string& path) = 0;
  // Once, after all sources.
  virtual void finalize() = 0;

  virtual ~DomainBuilderInterface();
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_DOMAIN_BUILDER_H_
