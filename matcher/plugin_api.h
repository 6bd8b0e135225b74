// The interface that a plugin implements.
//
// A plugin is a shared object outside the library that exports one object
// of a class implementing API. The library calls it only through the
// virtual operations below, so their order and signatures are part of the
// binary contract with every plugin and must not change: new operations can
// only go after the last one.
//
// Failures are reported in the error record that an operation takes: the
// caller sets its code to 0, the plugin sets a code from 1 to 5 and a
// message when it fails (omr::common::handle_exception turns the record
// into an exception). Texts that a plugin returns belong to the plugin,
// which gets each one back through free_result.

#ifndef KAVERO_MATCHER_PLUGIN_API_H_
#define KAVERO_MATCHER_PLUGIN_API_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "api/kavero.h"

namespace zel {
namespace kavero {

class Blackboard;
class Concept;
struct SentenceInfo;

namespace plugins {

// One argument of a plugin operation. The library only builds kind 1, a
// text: `value` is the address of a NUL-terminated UTF-8 text that the
// caller keeps alive for the duration of the operation.
struct DataObject {
  uint32_t kind;
  const char* value;
};
static_assert(sizeof(DataObject) == 16 && offsetof(DataObject, value) == 8,
              "a DataObject is a 32-bit kind and a 64-bit value at byte 8");

// What a plugin learns of the rule match that calls it: four pointers, in
// this order (the enclosing concept before the one that carries the call).
struct MatchContextRecord {
  Blackboard* blackboard;
  SentenceInfo* sentence;
  Concept* scope;
  Concept* concept_annotation;
};

class API {
 public:
  // Makes the plugin ready with the engine's options (a JSON object text);
  // false when it cannot work.
  virtual bool initialize(const char* options, zel_exception* error) = 0;

  // The four text-returning operations: the plugin's answer for the
  // function of the module, or null for none.
  virtual char* open_document(const char* module, const char* function,
                              const std::vector<DataObject>& arguments,
                              zel_exception* error) noexcept = 0;
  virtual char* close_document(const char* module, const char* function,
                               const std::vector<DataObject>& arguments,
                               zel_exception* error) noexcept = 0;
  virtual char* call(const char* module, const char* function,
                     const std::vector<DataObject>& arguments,
                     zel_exception* error) noexcept = 0;
  virtual char* trigger(const char* module, const char* function,
                        const std::vector<DataObject>& arguments,
                        zel_exception* error) noexcept = 0;

  // Drops whatever the plugin keeps for the document being closed.
  virtual void release_document(zel_exception* error) = 0;
  // Takes back a text that one of the four operations above returned.
  virtual void free_result(char* text) = 0;
  // Shuts the plugin down; nothing is called after it.
  virtual void unload(zel_exception* error) = 0;
  // The match of the next operation on this thread.
  virtual void set_plugin_context(const MatchContextRecord* context) = 0;
  // Tells the plugin a property of the current document.
  virtual void set_document_property(const char* key, const char* value,
                                     zel_exception* error) = 0;

 protected:
  // A plugin object belongs to its shared object and is never deleted
  // through this interface.
  ~API() = default;
};

}  // namespace plugins
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_PLUGIN_API_H_
