#include "core-afst/lookup_network_testutil.h"

#include <utf8.h>

namespace zel {
namespace afst {
namespace testing {

TestNetwork::TestNetwork()
    : transducer_(std::make_shared<fst::VectorFst<fst::StdArc>>()), input_("in"), output_("out") {
  input_.AddSymbol("eps");
  output_.AddSymbol("eps");
  transducer_->SetStart(transducer_->AddState());
}

int TestNetwork::add_state() { return transducer_->AddState(); }

void TestNetwork::arc(int from, const std::string& input, const std::string& output, int to) {
  raw_arc(from, input_.AddSymbol(input), output_.AddSymbol(output), to);
}

void TestNetwork::raw_arc(int from, int input_id, int output_id, int to) {
  transducer_->AddArc(from, fst::StdArc(input_id, output_id, 0, to));
}

void TestNetwork::set_final(int state) { transducer_->SetFinal(state, 0); }

int TestNetwork::path(const std::vector<std::string>& inputs,
                      const std::vector<std::string>& outputs) {
  int state = transducer_->Start();
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const int next = add_state();
    arc(state, inputs[i], i < outputs.size() ? outputs[i] : "eps", next);
    state = next;
  }
  set_final(state);
  return state;
}

int TestNetwork::word(const std::string& word, const std::string& output) {
  std::vector<std::string> letters;
  for (auto it = word.begin(); it != word.end();) {
    auto start = it;
    utf8::next(it, word.end());
    letters.emplace_back(start, it);
  }
  return path(letters, {output});
}

std::shared_ptr<AFst> TestNetwork::network() const {
  transducer_->SetInputSymbols(&input_);
  transducer_->SetOutputSymbols(&output_);
  return std::make_shared<AFst>(transducer_);
}

std::shared_ptr<AFst> lexicon(
    const std::vector<std::pair<std::string, std::string>>& entries) {
  TestNetwork net;
  for (const auto& [word, output] : entries) net.word(word, output);
  return net.network();
}

}  // namespace testing
}  // namespace afst
}  // namespace zel
