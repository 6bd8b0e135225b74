// afst-lexicon: writes a lexicon transducer from its entries in text.
//
//   afst-lexicon ENTRIES.txt OUTPUT.fst
//
// ENTRIES.txt holds one entry per line in the arc-line syntax, for example
// "Haus:Haus[+Nn-Sg][+Neut]". The build uses it to turn test lexicons kept as
// text into the transducer files that lookups read.

#include <exception>
#include <iostream>

#include "core-afst/lexicon_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: afst-lexicon ENTRIES.txt OUTPUT.fst" << std::endl;
    return 2;
  }
  try {
    zel::afst::compile_lexicon_file(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "afst-lexicon: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
