// The finite-state library reports through our log-message class: fatal
// reports raise AFSTException, everything else is dropped, nothing prints.

#include <dlfcn.h>
#include <link.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fst/util.h>
#include <fst/float-weight.h>
#include <fst/flags.h>
#include <fst/log.h>
#include <fst/vector-fst.h>
#include <gtest/gtest.h>

namespace {

std::string fatal_text_of_bad_flag(const std::string& option) {
  std::vector<std::string> args = {"kavero-test", option};
  std::vector<char*> argv = {&args[0][0], &args[1][0], nullptr};
  char** argp = argv.data();
  int argc = 2;
  try {
    SetFlags("usage", &argc, &argp, false);
  } catch (const AFSTException& e) {
    return e.what();
  }
  return "(no exception)";
}

TEST(FstContainmentTest, BadFlagRaisesFromTheLibrarysCompiledUnits) {
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  EXPECT_EQ(fatal_text_of_bad_flag("--no_such_option"),
            "FATAL: SetFlags: Bad option: --no_such_option\n");
  EXPECT_EQ(fatal_text_of_bad_flag("-x=1"), "FATAL: SetFlags: Bad option: -x=1\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // The process goes on, and the library still works.
  fst::VectorFst<fst::StdArc> net;
  net.AddState();
  EXPECT_EQ(net.NumStates(), 1);
}

TEST(FstContainmentTest, ReportLevels) {
  struct Case {
    const char* level;
    std::string body;
    bool raises;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"FATAL", "boom", true, "FATAL: boom\n"},
      {"FATAL", "", true, "FATAL: \n"},
      {"ERROR", "bad", false, ""},
      {"WARNING", "hmm", false, ""},
      {"INFO", "fyi", false, ""},
      {"fatal", "not fatal: case matters", false, ""},
      {"FATAL ", "not fatal: no trimming", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    bool raised = false;
    std::string text;
    try {
      LogMessage(c.level).stream() << c.body;
    } catch (const AFSTException& e) {
      raised = true;
      text = e.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(raised, c.raises);
    EXPECT_EQ(text, c.text);
  }
}

TEST(FstContainmentTest, ReadingBytesThatAreNoTransducerAnswersNullSilently) {
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  std::istringstream garbage("this is not a transducer at all");
  fst::FstReadOptions opts("garbage");
  std::unique_ptr<fst::VectorFst<fst::StdArc>> net(
      fst::VectorFst<fst::StdArc>::Read(garbage, opts));
  EXPECT_EQ(net, nullptr);
  std::istringstream empty("");
  EXPECT_EQ(fst::Fst<fst::StdArc>::Read(empty, opts), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(FstContainmentTest, FatalReportOfATemplateInstanceReachesRuntimeErrorHandlers) {
  // A bad weight text is a fatal library error, reported from template code
  // instantiated here.
  testing::internal::CaptureStderr();
  bool caught = false;
  try {
    fst::StrToWeight<fst::TropicalWeight>("not-a-weight");
  } catch (const std::runtime_error& e) {
    caught = true;
    EXPECT_STREQ(e.what(), "FATAL: StrToWeight: Bad weight: not-a-weight\n");
  }
  EXPECT_TRUE(caught);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// A fatal report made while another exception unwinds is dropped rather than
// ending the process.
struct ReportsInDestructor {
  ~ReportsInDestructor() {
    try {
      LOG(FATAL) << "during unwinding";
    } catch (...) {
      raised_inside = true;
    }
  }
  static bool raised_inside;
};
bool ReportsInDestructor::raised_inside = false;

int throws_while_reporting() { throw std::logic_error("operand"); }

TEST(FstContainmentTest, FatalReportDuringUnwindingIsDropped) {
  ReportsInDestructor::raised_inside = false;
  try {
    ReportsInDestructor guard;
    throw std::logic_error("first");
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "first");
  }
  EXPECT_FALSE(ReportsInDestructor::raised_inside);

  // The report's own operand throws: that exception, not the report, arrives.
  try {
    LOG(FATAL) << "never raised " << throws_while_reporting();
    FAIL() << "nothing raised";
  } catch (const AFSTException&) {
    FAIL() << "the report was raised during unwinding";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "operand");
  }
}

int collect_object(struct dl_phdr_info* info, size_t, void* data) {
  static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name ? info->dlpi_name : "");
  return 0;
}

std::vector<std::string> loaded_objects() {
  std::vector<std::string> names;
  dl_iterate_phdr(collect_object, &names);
  return names;
}

bool loads_libfst(const std::vector<std::string>& names) {
  for (const auto& n : names) {
    if (n.find("libfst") != std::string::npos) return true;
  }
  return false;
}

TEST(FstContainmentTest, NoLibfstIsLoadedByTestsOrTheSharedLibrary) {
  EXPECT_FALSE(loads_libfst(loaded_objects()));
  const std::string lib = std::string(KAVERO_BINARY_DIR) + "/lib/libkavero.so";
  // Kept loaded: the finite-state library's flag registers are process-wide
  // singletons that are never freed, so unloading the shared library would
  // strand them and the leak checker would report them.
  void* handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(handle, nullptr) << dlerror();
  const auto names = loaded_objects();
  bool found = false;
  for (const auto& n : names) found = found || n.find("libkavero.so") != std::string::npos;
  EXPECT_TRUE(found);
  EXPECT_FALSE(loads_libfst(names));
  // The finite-state library's symbols stay private to the shared library.
  EXPECT_EQ(dlsym(handle, "FLAGS_fst_error_fatal"), nullptr);
  dlclose(handle);
}

}  // namespace
