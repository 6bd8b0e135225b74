// Test helpers: blackboards made as the C interface makes them, and built
// documents handed to them.

#ifndef KAVERO_ANALYSIS_BLACKBOARD_TESTUTIL_H_
#define KAVERO_ANALYSIS_BLACKBOARD_TESTUTIL_H_

#include <memory>
#include <string>

#include "analysis/blackboard.h"
#include "analysis/document_testutil.h"

namespace zel {
namespace testing {

// A blackboard for a new analyzer of the engine and the language module
// (both may be null) with those analyzer options, and with its own document
// options (both JSON object texts). The analyzer handle is released once
// the blackboard holds its analyzer, as after an analyse call.
std::unique_ptr<kavero::Blackboard> make_blackboard(
    const std::string& document_options = "{}",
    const std::string& analyzer_options = "{}",
    std::shared_ptr<kavero::EngineInterface> engine = nullptr,
    std::shared_ptr<kavero::LanguageModule> language_module = nullptr);

// Hands a built document to the blackboard as an analysis leaves it: the
// text, the document list, and a sentence index entry (begin offset, record)
// for every sentence.
void load_document(kavero::Blackboard& blackboard, const TestDocument& document);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ANALYSIS_BLACKBOARD_TESTUTIL_H_
