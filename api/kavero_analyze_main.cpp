// kavero-analyze: analyses text with a language of a resource folder and
// prints every analysed document in the debug print (one line per sentence,
// concept, token reading and end marker).
//
//   kavero-analyze --morvik FOLDER [--language NAME] [--root FOLDER]
//                  [--options JSON] [--split paragraphs|lines|none]
//                  [--quiet] [FILE]
//
// The text is read from FILE, or from standard input when FILE is "-" or
// missing, as a stream of documents (api/document_splitter.h): by default
// every paragraph (lines up to a blank line) is one document, "--split
// lines" makes every line one, "--split none" the whole input. Offsets are
// relative to each document; each document's print, followed by an empty
// line when the input is split, is written before the next document is read,
// so memory does not grow with the input.
//
// --language defaults to "english"; --root (the engine's root folder)
// defaults to the parent of the resource folder; --options is a JSON object
// of analyzer options (such as {"hmm": "false"}). Warnings and errors that
// the library logs are shown on standard error as "kavero-analyze: warning:
// <text>" unless --quiet is given. Any error that ends the run (an unknown
// language, an unreadable file, text that is not UTF-8) is printed as one
// line "kavero-analyze: <reason>" on standard error, and the program exits
// with status 1; wrong arguments exit with status 2. --help prints the usage
// on standard output and exits with status 0.

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/document_splitter.h"
#include "api/stream_analysis.h"
#include "base/logging.h"
#include "base/options.h"
#include "engine/engine.h"

namespace {

namespace fs = std::filesystem;
using zel::api::DocumentSplitter;

constexpr char kProgram[] = "kavero-analyze";

constexpr char kUsage[] =
    "usage: kavero-analyze --morvik FOLDER [--language NAME] [--root FOLDER]\n"
    "                      [--options JSON] [--split paragraphs|lines|none]\n"
    "                      [--quiet] [FILE]\n"
    "\n"
    "Analyses the text of FILE (standard input for \"-\" or no FILE) with a\n"
    "language of the resource folder and prints every document's annotations.\n"
    "\n"
    "  --morvik FOLDER   the resource folder (required)\n"
    "  --language NAME   the language (default \"english\")\n"
    "  --root FOLDER     the engine's root folder (default: the resource\n"
    "                    folder's parent)\n"
    "  --options JSON    a JSON object of analyzer options\n"
    "  --split MODE      one document per paragraph (blank-line separated,\n"
    "                    the default), per line, or \"none\" for the whole\n"
    "                    input; offsets count from each document's start\n"
    "  --quiet           do not show the library's warnings on standard error\n"
    "  -h, --help        print this text and exit\n";

struct Arguments {
  std::string morvik;
  std::string root;
  std::string language = "english";
  std::string options = "{}";
  std::string file = "-";
  DocumentSplitter::Split split = DocumentSplitter::kParagraphs;
  bool quiet = false;
};

[[noreturn]] void usage_error(const std::string& problem) {
  std::cerr << kProgram << ": " << problem << "\n" << kUsage;
  std::exit(2);
}

Arguments parse_arguments(int argc, char** argv) {
  Arguments arguments;
  bool have_file = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage_error(argument + " needs a value");
      return argv[++i];
    };
    if (argument == "--morvik") {
      arguments.morvik = value();
    } else if (argument == "--language") {
      arguments.language = value();
    } else if (argument == "--root") {
      arguments.root = value();
    } else if (argument == "--options") {
      arguments.options = value();
    } else if (argument == "--split") {
      const std::string name = value();
      const auto split = DocumentSplitter::split_named(name);
      if (!split) usage_error("--split takes paragraphs, lines or none, not " + name);
      arguments.split = *split;
    } else if (argument == "--quiet") {
      arguments.quiet = true;
    } else if (argument == "-h" || argument == "--help") {
      std::cout << kUsage;
      std::cout.flush();
      std::exit(std::cout ? 0 : 1);
    } else if (argument.size() > 1 && argument[0] == '-') {
      usage_error("unknown option " + argument);
    } else if (have_file) {
      usage_error("only one file can be analysed");
    } else {
      arguments.file = argument;
      have_file = true;
    }
  }
  if (arguments.morvik.empty()) usage_error("--morvik is required");
  return arguments;
}

// One line, whatever the text holds.
std::string one_line(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// While set, the library's messages are not shown: the listing of the
// resource folders made for an error message warns about folders that the
// engine adds on its own and that need not exist.
std::atomic<bool> muted{false};

// Shows the library's warnings and errors; its notes (level info) are
// progress reports a user does not need.
void show_warnings() {
  zel::wlog::add_logger({zel::wlog::kRuntimeId, zel::wlog::kLevelWarning,
                         [](std::uint16_t level, const char* text) {
                           if (level == zel::wlog::kLevelInfo || muted) return;
                           const char* kind = level == zel::wlog::kLevelError ? "error" : "warning";
                           std::cerr << kProgram << ": " << kind << ": " << one_line(text)
                                     << std::endl;
                         }});
}

// Whether the name is a language name rather than a path to a
// configuration file.
bool is_language_name(const std::string& language) {
  return language.find('/') == std::string::npos &&
         fs::path(language).extension() != ".language";
}

// The analysis of the language. When the engine cannot give it and the
// language is none of those in its resource folders, the error names the
// folders searched and the languages found there.
std::unique_ptr<zel::api::StreamAnalysis> analysis_for(
    const std::shared_ptr<zel::kavero::Engine>& engine, const std::string& language,
    const std::shared_ptr<zel::IOptions>& options) {
  try {
    return std::make_unique<zel::api::StreamAnalysis>(engine, options);
  } catch (const std::exception&) {
    if (!is_language_name(language)) throw;
    std::vector<std::string> names;
    std::string languages;
    muted = true;
    try {
      languages = engine->languages();
    } catch (const std::exception&) {
      // The error of the language itself is the one to report.
    }
    muted = false;
    const nlohmann::json listing = nlohmann::json::parse(languages, nullptr, false);
    if (listing.is_object()) {
      for (const auto& entry : listing.items()) names.push_back(entry.key());
    }
    for (const std::string& name : names) {
      if (name == language) throw;
    }
    std::string message = "unknown language \"" + language + "\": looked in";
    const std::vector<std::string>& folders = engine->resource_folders();
    for (std::size_t i = 0; i < folders.size(); ++i) {
      message += (i == 0 ? " " : ", ") + folders[i];
    }
    if (folders.empty()) message += " no folder";
    message += names.empty() ? "; no languages found there" : "; languages found:";
    for (std::size_t i = 0; i < names.size(); ++i) {
      message += (i == 0 ? " " : ", ") + names[i];
    }
    throw std::runtime_error(message);
  }
}

int run(const Arguments& arguments) {
  std::ifstream file;
  std::istream* in = &std::cin;
  const std::string source = arguments.file == "-" ? "standard input" : arguments.file;
  if (arguments.file != "-") {
    std::error_code error;
    if (fs::is_directory(arguments.file, error)) {
      throw std::runtime_error("cannot read " + arguments.file + ": it is a directory");
    }
    file.open(arguments.file, std::ios::binary);
    if (!file) {
      throw std::runtime_error("cannot read " + arguments.file + ": " + std::strerror(errno));
    }
    in = &file;
  }

  std::error_code error;
  if (!fs::is_directory(arguments.morvik, error)) {
    throw std::runtime_error("no resource folder " + arguments.morvik);
  }
  const fs::path morvik = fs::weakly_canonical(arguments.morvik);
  const std::string root =
      arguments.root.empty() ? morvik.parent_path().string() : arguments.root;
  const nlohmann::json engine_options = {{"root_path", root}, {"morvik", morvik.string()}};
  auto engine = std::make_shared<zel::kavero::Engine>(
      zel::convert_string_to_api_options(engine_options.dump()));

  nlohmann::json analyzer_options = nlohmann::json::parse(arguments.options, nullptr, false);
  if (!analyzer_options.is_object()) {
    throw std::runtime_error("--options is not a JSON object: " + arguments.options);
  }
  analyzer_options["language"] = arguments.language;
  const std::unique_ptr<zel::api::StreamAnalysis> analysis = analysis_for(
      engine, arguments.language, zel::convert_string_to_api_options(analyzer_options.dump()));

  DocumentSplitter documents(*in, arguments.split, source);
  analysis->run(documents, std::cout,
                arguments.split == DocumentSplitter::kNone ? "" : "\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The analysis of a document grows the heap and frees it all at the end;
  // the C library would give the freed top of the heap back to the system
  // after every document and ask for it again for the next, two system
  // calls and fresh pages each time. Keeping what one document needed
  // costs at most that much memory, the same for every input size.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
  // The output goes through the stream's own buffer, not C's.
  std::ios::sync_with_stdio(false);
  const Arguments arguments = parse_arguments(argc, argv);
  if (!arguments.quiet) show_warnings();
  try {
    return run(arguments);
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << kProgram << ": " << one_line(e.what()) << "\n";
  } catch (...) {
    std::cout.flush();
    std::cerr << kProgram << ": unknown error\n";
  }
  return 1;
}
