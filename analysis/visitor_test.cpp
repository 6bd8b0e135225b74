#include "analysis/visitor.h"

#include <string>

#include <gtest/gtest.h>

#include "analysis/document_testutil.h"

namespace zel {
namespace kavero {
namespace {

// Records the kinds it has handlers for; skips the lists of sentences that
// begin at a given offset.
class Recorder : public Visitor<Recorder> {
 public:
  using Visitor<Recorder>::visit;
  explicit Recorder(uint32_t skip_begin) : Visitor<Recorder>(this), skip_(skip_begin) {}

  bool visit(const Sentence& s) {
    seen += "S ";
    return s.begin != skip_;
  }
  bool visit(const Token& t) {
    seen += t.literal + " ";
    return true;
  }
  bool visit(const EndOfStream&) {
    seen += "$ ";
    return true;
  }

  std::string seen;

 private:
  uint32_t skip_;
};

TEST(Visitor, EntersSentencesAndPassesOverKindsWithoutHandler) {
  zel::testing::TestDocument doc = zel::testing::build_document("[A a b]\nc\nd");
  // The second sentence begins at offset 4; its list is not walked.
  Recorder recorder(4);
  EXPECT_TRUE(recorder.visit(*doc.sentences));
  EXPECT_EQ(recorder.seen, "S a b $ S S d $ ");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
