// write-domain: writes a compiled domain from its fixture text form
// (matcher/compiled_domain_testutil.h).
//
//   write-domain SOURCE DOM     writes DOM and DOM + "_info"
//
// An error prints one line "write-domain: <reason>" and exits with 1.

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "matcher/compiled_domain_testutil.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: write-domain SOURCE DOM\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
    std::ostringstream text;
    text << in.rdbuf();
    zel::kavero::testing::write_compiled_domain(text.str(), argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "write-domain: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
