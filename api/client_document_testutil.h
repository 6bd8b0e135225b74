// Test helper: client documents (client_annotation.h) written by hand, one
// sentence after another, each annotation appended to the last sentence.

#ifndef KAVERO_API_CLIENT_DOCUMENT_TESTUTIL_H_
#define KAVERO_API_CLIENT_DOCUMENT_TESTUTIL_H_

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "api/client_annotation.h"

namespace omr {
namespace common {
namespace testing {

class ClientDocument {
 public:
  ClientDocument& sentence(uint32_t begin, uint32_t end);
  ClientDocument& concept_item(uint32_t begin, uint32_t end, const std::string& uri,
                               std::vector<std::pair<std::string, std::string>> attributes = {});
  ClientDocument& token(uint32_t begin, uint32_t end, const std::string& literal,
                        std::vector<MorphData> readings = {},
                        std::set<std::string> properties = {});

  AnnotationList document;

 private:
  AnnotationList& last();
};

// A reading: stem, part of speech, properties, components.
MorphData reading(const std::string& stem, const std::string& pos,
                  std::vector<std::string> properties = {},
                  std::vector<MorphData> components = {});

}  // namespace testing
}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_DOCUMENT_TESTUTIL_H_
