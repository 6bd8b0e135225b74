// Where the build puts the test language: its sources are compiled into
// this folder when the project is built.
#ifndef KAVERO_LANGUAGE_TEST_LANGUAGE_TESTUTIL_H_
#define KAVERO_LANGUAGE_TEST_LANGUAGE_TESTUTIL_H_

#include <filesystem>

namespace zel {
namespace testing {

// The test language's folder in the build tree. KAVERO_BINARY_DIR is given
// to every test source by the build.
inline std::filesystem::path test_language_folder() {
  return std::filesystem::weakly_canonical(std::filesystem::path(KAVERO_BINARY_DIR) /
                                           "testdata" / "language" / "morvik");
}

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TEST_LANGUAGE_TESTUTIL_H_
