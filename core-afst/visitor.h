// Walks one network state by state and, within a state, arc by arc.
//
// The rule compiler's network passes derive from Visitor: some replace the
// per-state operation (and may rewrite a state's arcs there), others the
// per-arc one. travers() visits the start state first, then every other state
// in number order, each exactly once.

#ifndef KAVERO_CORE_AFST_VISITOR_H_
#define KAVERO_CORE_AFST_VISITOR_H_

#include <fst/arc.h>
#include <fst/symbol-table.h>
#include <fst/vector-fst.h>

namespace zel {
namespace afst {

class Visitor {
 public:
  // The network is not owned and must outlive the visitor. It is not const
  // so that derived visitors may change arcs.
  explicit Visitor(fst::VectorFst<fst::StdArc>* network);
  virtual ~Visitor();

  Visitor(const Visitor&) = delete;
  Visitor& operator=(const Visitor&) = delete;

  // Visits the start state, then every other state that existed when the
  // walk began, in increasing number. A network without a start state is
  // not walked at all.
  void travers();

  // Visits one state. The base passes every arc of the state, in stored
  // order, to visit(state, arc); the state's arcs must not change meanwhile.
  // A visitor that rewrites arcs overrides this operation.
  virtual void visit(const int& state);

  // Visits one arc of a state. The base does nothing.
  virtual void visit(const int& state, const fst::StdArc& arc);

 protected:
  fst::VectorFst<fst::StdArc>* network_;
  const fst::SymbolTable* input_symbols_;
  const fst::SymbolTable* output_symbols_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_VISITOR_H_
