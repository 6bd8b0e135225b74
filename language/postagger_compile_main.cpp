// postagger-compile: writes a postagger transducer from its rules in text.
//
//   postagger-compile RULES.txt OUTPUT.postagger
//
// RULES.txt holds one arc or final state per line (see postagger_text.h).
// The build uses it to turn the test language's postagger, kept as text,
// into the transducer file the language loads.

#include <exception>
#include <iostream>

#include "language/postagger_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: postagger-compile RULES.txt OUTPUT.postagger" << std::endl;
    return 2;
  }
  try {
    zel::kavero::disambiguation::compile_postagger_file(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "postagger-compile: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
