// kavero-analyze: analyses one text with a language of a resource folder
// and prints the analysed document in the debug print (one line per
// sentence, concept, token reading and end marker).
//
//   kavero-analyze --morvik FOLDER [--language NAME] [--root FOLDER]
//                  [--options JSON] [FILE]
//
// The text is read from FILE, or from standard input when FILE is "-" or
// missing. --language defaults to "english"; --root (the engine's root
// folder) defaults to the parent of the resource folder; --options is a JSON
// object of analyzer options (such as {"hmm": "false"}). Any error (an
// unknown language, an unreadable file, text that is not UTF-8) is printed
// as one line "kavero-analyze: <reason>" on standard error, and the program
// exits with status 1; wrong arguments exit with status 2.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/annotation_printer.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "base/options.h"
#include "engine/engine.h"

namespace {

namespace fs = std::filesystem;

constexpr char kProgram[] = "kavero-analyze";

struct Arguments {
  std::string morvik;
  std::string root;
  std::string language = "english";
  std::string options = "{}";
  std::string file = "-";
};

[[noreturn]] void usage(const std::string& problem) {
  std::cerr << kProgram << ": " << problem << "\n"
            << "usage: " << kProgram
            << " --morvik FOLDER [--language NAME] [--root FOLDER]"
               " [--options JSON] [FILE]\n";
  std::exit(2);
}

Arguments parse_arguments(int argc, char** argv) {
  Arguments arguments;
  bool have_file = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage(argument + " needs a value");
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
    } else if (argument == "-h" || argument == "--help") {
      usage("analyses a text and prints its annotations");
    } else if (argument.size() > 1 && argument[0] == '-') {
      usage("unknown option " + argument);
    } else if (have_file) {
      usage("only one file can be analysed");
    } else {
      arguments.file = argument;
      have_file = true;
    }
  }
  if (arguments.morvik.empty()) usage("--morvik is required");
  return arguments;
}

// The whole text of the file, or of standard input for "-".
std::string read_text(const std::string& file) {
  if (file == "-") {
    std::ostringstream text;
    text << std::cin.rdbuf();
    if (std::cin.bad()) throw std::runtime_error("cannot read standard input");
    return text.str();
  }
  std::error_code error;
  if (fs::is_directory(file, error)) {
    throw std::runtime_error("cannot read " + file + ": it is a directory");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + file + ": " +
                             std::strerror(errno));
  }
  std::string text((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + file);
  return text;
}

int run(const Arguments& arguments) {
  const std::string text = read_text(arguments.file);

  std::error_code error;
  if (!fs::is_directory(arguments.morvik, error)) {
    throw std::runtime_error("no resource folder " + arguments.morvik);
  }
  const fs::path morvik = fs::weakly_canonical(arguments.morvik);
  const std::string root = arguments.root.empty()
                               ? morvik.parent_path().string()
                               : arguments.root;
  const nlohmann::json engine_options = {{"root_path", root},
                                         {"morvik", morvik.string()}};
  auto engine = std::make_shared<zel::kavero::Engine>(
      zel::convert_string_to_api_options(engine_options.dump()));

  nlohmann::json analyzer_options =
      nlohmann::json::parse(arguments.options, nullptr, false);
  if (!analyzer_options.is_object()) {
    throw std::runtime_error("--options is not a JSON object: " +
                             arguments.options);
  }
  analyzer_options["language"] = arguments.language;
  std::shared_ptr<zel::IOptions> options =
      zel::convert_string_to_api_options(analyzer_options.dump());
  std::shared_ptr<zel::kavero::LanguageModule> language =
      engine->get_language_module(options);

  // The analyzer handle as the C interface makes it; the blackboard takes
  // its share of the analyzer, so the handle can go at once.
  auto* handle = new zel::api::Analyzer(engine, language, options);
  std::unique_ptr<zel::kavero::Blackboard> blackboard;
  try {
    blackboard = std::make_unique<zel::kavero::Blackboard>(
        handle, zel::convert_string_to_api_options("{}"), text.data(),
        text.size());
  } catch (...) {
    handle->dec_ref();
    throw;
  }
  handle->dec_ref();

  std::shared_ptr<zel::kavero::Analyzer> analyzer = blackboard->analyzer;
  analyzer->generate(*blackboard, text.data(), text.size());

  zel::kavero::RawAnnotationPrinter printer(std::cout);
  printer.visit(*blackboard->annotations);
  std::cout.flush();
  if (!std::cout) throw std::runtime_error("cannot write standard output");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Arguments arguments = parse_arguments(argc, argv);
  try {
    return run(arguments);
  } catch (const std::exception& e) {
    // One line, whatever the message holds.
    std::string message = e.what();
    for (char& c : message) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    std::cerr << kProgram << ": " << message << "\n";
  } catch (...) {
    std::cerr << kProgram << ": unknown error\n";
  }
  return 1;
}
