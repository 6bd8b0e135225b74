// The syntax tree of a rule source: plain value records that the parser
// fills and the compiler's passes walk and rewrite.
//
// Every record is a value: copyable, movable, no virtual functions, no back
// pointers. A parent owns its children by value; the one indirection is the
// capture inside a rule node, as a capture again holds rule nodes. Texts are
// UTF-8 as written in the source, after the parser's cleaning.
//
// The index of every alternative of the two unions, Statement and RuleNode,
// is part of the contract between the parser, the back end and the compile
// driver: every pass dispatches on it, so the order must not change. So
// must the order of the fields, which is the order in which the grammars'
// sequences fill them (see syntax_tree_adapted.h).
//
// Ids are left 0 by the parser and written by the back end's id
// assignment. Positions are copies of the source iterator where an element
// starts; lines are the 32-bit line of such a position.

#ifndef KAVERO_COMPILER_PARSER_SYNTAX_TREE_H_
#define KAVERO_COMPILER_PARSER_SYNTAX_TREE_H_

#include <boost/optional.hpp>
#include <boost/variant.hpp>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/attribute_string.h"
#include "compiler/parser/source_iterator.h"

namespace zel {
namespace compiler {
namespace ast {
namespace node {

// Where an element starts: the place, the 1-based line and the byte before.
using Position = SourceIterator;

// An assignment Name@(key="value", ...): the annotation a matched span
// receives, or a rule-function call with its arguments. Values are held as
// written, quotes included.
struct AssignCaptureGroup {
  // The annotation or function name, namespaces joined with "::".
  const std::string& uri() const { return uri_; }
  // The (key, value) pairs in source order, duplicates kept.
  const AttributeList& attributes() const { return attributes_; }

  // uri() "(" the attribute string of attributes() ")".
  std::string identifier() const;

  std::string uri_;
  AttributeList attributes_;
};

bool operator==(const AssignCaptureGroup& a, const AssignCaptureGroup& b);
bool operator!=(const AssignCaptureGroup& a, const AssignCaptureGroup& b);

// The value of one attribute of an on statement. The index of an
// alternative (which()) is part of the stored form of concept definitions,
// so their order must not change:
//   0 a text ("scope")
//   1 one assignment (a "trigger")
//   2 a list of assignments (a bracketed "trigger" list)
//   3 an attribute list ("attributes")
using AttributeValue =
    boost::variant<std::string, AssignCaptureGroup, std::vector<AssignCaptureGroup>, AttributeList>;

// ---------------------------------------------------------------------------
// Rule bodies.

struct RuleCapture;
struct RuleToken;
struct RuleConcept;
struct RuleGroup;
struct RuleOperator;

// One element of a rule body, or an operator between two elements.
//   0 RuleCapture (boxed: a capture holds rule nodes)
//   1 RuleToken
//   2 RuleConcept
//   3 RuleGroup
//   4 RuleOperator
using RuleNode = boost::variant<boost::recursive_wrapper<RuleCapture>, RuleToken, RuleConcept,
                                RuleGroup, RuleOperator>;
using RuleNodes = std::vector<RuleNode>;

// The length item of a token: length(n) gives (n, none), length(n,m) gives
// (n, m) and length(n,) gives (n, 200).
using TokenLength = std::pair<std::int16_t, boost::optional<std::int16_t>>;

// One token item list, <...> or bare. A later item of the kind of literal,
// stem, part of speech or head replaces an earlier one; the two sets drop
// duplicates and keep their texts sorted.
struct RuleToken {
  boost::optional<std::string> literal;  // "..." item, without the quotes
  boost::optional<std::string> stem;     // '...' item, without the quotes
  boost::optional<std::string> pos;      // a bare part-of-speech name
  std::set<std::string> properties;      // +name items, without the plus
  boost::optional<TokenLength> length;
  // The repetition suffix: "*", "+", "?", or the text between the braces of
  // {n} and {n,m}; empty when there is none.
  std::string closure;
  std::set<std::string> components;   // c'...' items
  boost::optional<std::string> head;  // h'...' item
  std::uint32_t id = 0;
  Position position;
};

// An operator between two rule elements. The parser never produces
// `adjacent`: two elements written side by side follow each other with no
// operator between them; the back end uses the value.
struct RuleOperator {
  enum Type : std::uint32_t {
    adjacent = 0,
    dot_dot = 1,         // ".."
    pipe = 2,            // "|"
    percent = 3,         // "%"
    double_percent = 4,  // "%%"
    triple_percent = 5,  // "%%%"
    dot_question = 6,    // ".?"
    ellipsis = 7,        // "..."
  };

  Type type = adjacent;
};

// A reference to an annotation by name, with an optional bracket part
// Name[^ ... ^] whose carets anchor the pattern at the start and the end of
// the annotated span.
struct RuleConcept {
  std::string name;                           // namespaces joined with "::"
  AttributeList attributes;                   // from @(...), empty when absent
  boost::optional<std::string> begin_marker;  // "^" when the brackets open with one
  RuleNodes nodes;                            // inside [...]; empty without brackets
  boost::optional<std::string> end_marker;    // "^" when the brackets close with one
  std::uint32_t id = 0;
};

// A bracketed group ( ... ) with an optional closure, or a negation
// !( ... ), which never has one.
struct RuleGroup {
  RuleNodes nodes;
  std::string closure;
  bool negated = false;
};

// A braced group { ... } with an optional assignment; the assignment's uri
// is empty when the capture has no "=" part. The elements come with the
// operators between them, an operator right after the element on its left.
struct RuleCapture {
  RuleNodes nodes;
  AssignCaptureGroup assignment;
  std::uint32_t id = 0;
};

// ---------------------------------------------------------------------------
// Statements.

struct Lexicon;
struct Rule;
struct Namespace;
struct Instance;
struct PriorityGroup;
struct Variable;
struct AnnotationDefinition;
struct StatementDecorator;

// One statement of a source.
//   0 Lexicon   1 Rule   2 Namespace   3 Instance   4 PriorityGroup
//   5 Variable  6 AnnotationDefinition   7 StatementDecorator
using Statement = boost::variant<Lexicon, Rule, Namespace, Instance, PriorityGroup, Variable,
                                 AnnotationDefinition, StatementDecorator>;
using Statements = std::vector<Statement>;

// rule:{ ... };
struct Rule {
  RuleCapture capture;
  std::int32_t line = 0;  // of the keyword
};

// One entry of a lexicon: its text and the optional text after ':'.
struct LexiconEntry {
  std::string text;
  std::string secondary;
  Position position;
  // Absent after parsing; the back end stores here the casing or
  // normalisation of `text` that the lexicon's "input" asks for, and later
  // copies it over `text`.
  boost::optional<std::string> normalized;
};

// lexicon:(attributes){ entries } = Assignment;
struct Lexicon {
  AttributeList attributes;  // "input" names the text stream entries match
  std::vector<LexiconEntry> entries;
  AssignCaptureGroup assignment;
  std::int32_t line = 0;  // of the keyword
};

// namespace name { ... }
struct Namespace {
  std::string name;
  Statements statements;
};

// One definition of an Instance statement.
struct AttributeDefinition {
  std::string name;
  AttributeList attributes;
};

// A statement kind that the tree carries and no grammar produces.
struct Instance {
  std::string name;
  std::vector<AttributeDefinition> definitions;
};

// chain [ ... ]: rules and decorators only.
struct PriorityGroup {
  Statements statements;
};

// define:name = value;
struct Variable {
  std::string name;
  std::string value;  // up to the ';', without it
};

// on Name, Other :{ key = value, ... };
struct AnnotationDefinition {
  // The names as written between "on" and ':', commas and blanks kept.
  std::string names;
  std::vector<std::pair<std::string, AttributeValue>> attributes;
  std::int32_t line = 0;  // of the keyword
};

// @keyword: text
struct StatementDecorator {
  // "stem", "test", "dependency", "expected", "not_expected" or "language".
  std::string keyword;
  std::string value;
  Position position;
};

// The tree of one source.
struct Root {
  Statements statements;
};

// ---------------------------------------------------------------------------
// Records of the variable substitution, declared with the tree.

// What substituting the ${name} references of a text gave.
struct ResolveLocationResult {
  std::int32_t count = 0;  // references met
  std::string text;        // the text after substitution
  std::vector<std::pair<std::uint64_t, boost::variant<int, std::string>>> locations;
  bool ok = false;  // true once the substitution ran to its end
};

// One variable of a define statement, as collected over all sources.
struct VariableDefinition {
  std::uint64_t value_begin = 0;
  std::uint64_t value_end = 0;  // the value's length in bytes
  std::string name;
  std::string value;  // fully expanded
  std::string file;   // the source that defined it
};

using VariableMap = std::map<std::string, VariableDefinition>;

}  // namespace node
}  // namespace ast
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SYNTAX_TREE_H_
