// hmm-compile: makes a tagger's ".hmm" file from the text form of its
// tables.
//
//   hmm-compile <tables.txt> <output.hmm>
//
// The text form holds one section per record of the ".hmm" file, headed by
// the record's name in brackets; the lines under a header are copied into
// the record as they stand:
//
//   # comment (a line starting with "#" and holding no tab)
//   [start-hmm]
//   Det<TAB>0.4                   tag, probability
//   [emission-hmm]
//   the^^Det<TAB>0.6              literal^^tag, probability
//   dummy^^Nn-Std<TAB>0.001       for literals not listed
//   [transmission-hmm]
//   Det Nn-Std<TAB>0.7            previous tag, space, current tag, probability
//
// Every table line holds a tab; blank lines are skipped. An existing output
// file is replaced. On an error the tool prints it on standard error, leaves
// no output file and ends with status 1.

#include <exception>
#include <iostream>

#include "base/file.h"
#include "language/hmm_source.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: hmm-compile <tables.txt> <output.hmm>\n";
    return 2;
  }
  try {
    zel::kavero::core::hmm::write_file(zel::file::load(argv[1]), argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "hmm-compile: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
