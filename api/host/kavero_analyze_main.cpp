// kavero-analyze: analyses text with a language of a resource folder
// through the library's C interface and prints every analysed document as
// its result JSON, one line per document.
//
//   kavero-analyze --morvik FOLDER [--language NAME] [--root FOLDER]
//                  [--options JSON] [--domain NAME] [--internal]
//                  [--compile FOLDER [--compile-output FILE]]
//                  [--split paragraphs|lines|none] [--quiet] [FILE]
//
// A host like any other: it includes only api/kavero.h and links only
// libkavero.so. The text is read from FILE, or from standard input when
// FILE is "-" or missing, as a stream of documents: by default every
// paragraph (lines up to a blank line, a line of nothing but blanks, tabs
// and a carriage return) is one document, "--split lines" makes every
// non-blank line one, "--split none" the whole input. Offsets are relative
// to each document; each document is printed before the next is read, so
// memory does not grow with the input.
//
// --domain runs the named domain (or a ".dom" path) over every document
// before it is printed. --compile first compiles the rule sources (".kav")
// of a domain folder with zel_api_compile_domain into --compile-output
// (default: the folder's "domain.dom"), prints the verdict and the
// compile-result report on standard error, stops with 1 when the
// compilation failed, and otherwise runs the compiled domain (unless
// --domain names another); --internal prints the internal result JSON (every
// token and concept with its flags, and the lookup streams) instead of the
// result JSON. --language defaults to "english"; --root (the engine's root
// folder) defaults to the parent of the resource folder; --options is a
// JSON object of analyzer options (such as {"hmm": "false"}). Warnings and
// errors that the library logs are shown on standard error as
// "kavero-analyze: warning: <text>" unless --quiet is given.
//
// An error of the library ends the run with one line on standard error,
// "kavero-analyze: error CODE: MESSAGE" (the error record's code and
// message), and the exit status 1; an unreadable file gives
// "kavero-analyze: cannot read ..." and 1; wrong arguments exit with 2.
// --help prints the usage on standard output and exits with 0.

#include <malloc.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>

#include "api/kavero.h"

namespace {

constexpr char kProgram[] = "kavero-analyze";

constexpr char kUsage[] =
    "usage: kavero-analyze --morvik FOLDER [--language NAME] [--root FOLDER]\n"
    "                      [--options JSON] [--domain NAME] [--internal]\n"
    "                      [--compile FOLDER [--compile-output FILE]]\n"
    "                      [--split paragraphs|lines|none] [--quiet] [FILE]\n"
    "\n"
    "Analyses the text of FILE (standard input for \"-\" or no FILE) with a\n"
    "language of the resource folder and prints every document's result JSON,\n"
    "one line per document.\n"
    "\n"
    "  --morvik FOLDER   the resource folder (required)\n"
    "  --language NAME   the language (default \"english\")\n"
    "  --root FOLDER     the engine's root folder (default: the resource\n"
    "                    folder's parent)\n"
    "  --options JSON    a JSON object of analyzer options\n"
    "  --domain NAME     run the domain over every document first\n"
    "  --compile FOLDER  compile the rule sources of the domain folder first,\n"
    "                    print the verdict and the compile report on standard\n"
    "                    error, and run the compiled domain\n"
    "  --compile-output FILE  the compiled domain file (default:\n"
    "                    FOLDER/domain.dom)\n"
    "  --internal        print the internal result JSON instead\n"
    "  --split MODE      one document per paragraph (blank-line separated,\n"
    "                    the default), per line, or \"none\" for the whole\n"
    "                    input; offsets count from each document's start\n"
    "  --quiet           do not show the library's warnings on standard error\n"
    "  -h, --help        print this text and exit\n";

enum class Split { kParagraphs, kLines, kNone };

struct Arguments {
  std::string morvik;
  std::string root;
  std::string language = "english";
  std::string options;
  std::string domain;
  std::string compile;
  std::string compile_output;
  std::string file = "-";
  Split split = Split::kParagraphs;
  bool internal = false;
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
    } else if (argument == "--domain") {
      arguments.domain = value();
    } else if (argument == "--compile") {
      arguments.compile = value();
    } else if (argument == "--compile-output") {
      arguments.compile_output = value();
    } else if (argument == "--internal") {
      arguments.internal = true;
    } else if (argument == "--split") {
      const std::string name = value();
      if (name == "paragraphs") {
        arguments.split = Split::kParagraphs;
      } else if (name == "lines") {
        arguments.split = Split::kLines;
      } else if (name == "none") {
        arguments.split = Split::kNone;
      } else {
        usage_error("--split takes paragraphs, lines or none, not " + name);
      }
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
  if (!arguments.compile_output.empty() && arguments.compile.empty()) {
    usage_error("--compile-output needs --compile");
  }
  return arguments;
}

// One line, whatever the text holds.
std::string one_line(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// The end of the run: a failed call's record, or another reason.
struct Failure {
  std::string line;
};

void check(const zel_exception& error) {
  if (error.code == 0) return;
  const std::string message(error.message, strnlen(error.message, sizeof error.message));
  throw Failure{"error " + std::to_string(error.code) + ": " + one_line(message)};
}

// Shows the library's warnings and errors; its notes (level info) are
// progress reports a user does not need.
void on_message(uint16_t level, const char* text) {
  if (level == 2) return;
  std::cerr << kProgram << ": " << (level == 1 ? "error" : "warning") << ": "
            << one_line(text) << std::endl;
}

// A JSON string of the text (for the option texts the tool writes).
std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The analyzer options: the user's object with "language" set.
std::string analyzer_options(const Arguments& arguments) {
  const std::string language = "\"language\":" + json_string(arguments.language);
  std::string user = arguments.options;
  const std::size_t open = user.find_first_not_of(" \t\r\n");
  const std::size_t close = user.find_last_not_of(" \t\r\n");
  if (user.empty() || open == std::string::npos) return "{" + language + "}";
  if (user[open] != '{' || user[close] != '}') {
    throw Failure{"--options is not a JSON object: " + one_line(user)};
  }
  const std::string inner = user.substr(open + 1, close - open - 1);
  if (inner.find_first_not_of(" \t\r\n") == std::string::npos) return "{" + language + "}";
  // The user's "language", if any, comes later and wins in most readers;
  // put ours last so that --language decides.
  return "{" + inner + "," + language + "}";
}

bool is_blank(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

// The next document of the input; false at its end.
bool next_document(std::istream& in, Split split, std::string& text, bool& done) {
  text.clear();
  if (done) return false;
  std::string line;
  switch (split) {
    case Split::kNone: {
      text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      done = true;
      return true;
    }
    case Split::kLines:
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (is_blank(line)) continue;
        text = line;
        return true;
      }
      return false;
    case Split::kParagraphs:
      while (std::getline(in, line)) {
        if (is_blank(line)) {
          if (text.empty()) continue;
          return true;
        }
        if (!text.empty()) text += '\n';
        text += line;
      }
      return !text.empty();
  }
  return false;
}

// Releases a handle at the end of the run.
struct Handle {
  explicit Handle(zel_object* h = nullptr) : handle(h) {}
  ~Handle() {
    if (handle != nullptr) zel_api_dec_ref(handle, nullptr);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  zel_object* handle;
};

// Compiles the domain folder and returns the compiled domain file. The
// verdict and the report go to standard error; a failed compilation ends
// the run.
std::string compile_domain(const Arguments& arguments) {
  const std::string output = arguments.compile_output.empty()
                                 ? arguments.compile + "/domain.dom"
                                 : arguments.compile_output;
  const std::string options = "{\"domains\":" + json_string(arguments.compile) +
                              ",\"output_file\":" + json_string(output) + "}";
  zel_exception error = {};
  const char* report = zel_api_compile_domain(options.c_str(), options.size(), &error);
  check(error);
  const std::string text = report == nullptr ? std::string() : std::string(report);
  // The report is compact JSON: {"return":true|false,"sink":{...}}.
  const bool succeeded = text.find("\"return\":true") != std::string::npos;
  std::cerr << kProgram << ": compiled " << arguments.compile << " into " << output << ": "
            << (succeeded ? "succeeded" : "failed") << "\n"
            << kProgram << ": compile report: " << one_line(text) << std::endl;
  if (!succeeded) throw Failure{"the compilation of " + arguments.compile + " failed"};
  return output;
}

void run(const Arguments& arguments) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (arguments.file != "-") {
    struct stat status;
    if (stat(arguments.file.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
      throw Failure{"cannot read " + arguments.file + ": it is a directory"};
    }
    file.open(arguments.file, std::ios::binary);
    if (!file) throw Failure{"cannot read " + arguments.file + ": " + std::strerror(errno)};
    in = &file;
  }

  std::string engine_options = "{\"morvik\":" + json_string(arguments.morvik);
  if (!arguments.root.empty()) {
    engine_options += ",\"root_path\":" + json_string(arguments.root);
  } else {
    engine_options += ",\"root_path\":" + json_string(arguments.morvik + "/..");
  }
  engine_options += "}";

  zel_exception error = {};
  Handle engine(zel_api_get_engine(engine_options.c_str(), engine_options.size(), &error));
  check(error);
  const std::string options = analyzer_options(arguments);
  Handle analyzer(zel_api_get_analyzer(engine.handle, options.c_str(), options.size(), &error));
  check(error);
  std::string domain_name = arguments.domain;
  if (!arguments.compile.empty()) {
    const std::string compiled = compile_domain(arguments);
    if (domain_name.empty()) domain_name = compiled;
  }
  Handle domain;
  if (!domain_name.empty()) {
    domain.handle = zel_api_load_domain(engine.handle, domain_name.c_str(), nullptr, 0, &error);
    check(error);
  }

  std::string text;
  bool done = false;
  while (next_document(*in, arguments.split, text, done)) {
    Handle result(
        zel_api_analyze_document(analyzer.handle, text.data(), text.size(), nullptr, 0, &error));
    check(error);
    if (domain.handle != nullptr) {
      zel_api_domain_process(domain.handle, result.handle, &error);
      check(error);
    }
    std::size_t length = 0;
    const char* printed =
        arguments.internal
            ? zel_api_get_internal_result_json_buffer(result.handle, &length, &error)
            : zel_api_get_result_json_buffer(result.handle, &length, &error);
    check(error);
    std::cout.write(printed, static_cast<std::streamsize>(length));
    std::cout.put('\n');
    std::cout.flush();
    if (!std::cout) throw Failure{"cannot write standard output"};
  }
  if (in->bad()) {
    throw Failure{"cannot read " + (arguments.file == "-" ? std::string("standard input")
                                                          : arguments.file)};
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The analysis of a document grows the heap and frees it all at the end;
  // keeping the freed top of the heap saves giving it back to the system
  // and asking for it again for every document.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
  std::ios::sync_with_stdio(false);
  const Arguments arguments = parse_arguments(argc, argv);
  if (!arguments.quiet) {
    zel_api_add_logger(256, "warning", on_message);
    // The compiler logs under its own id.
    zel_api_add_logger(4096, "warning", on_message);
  }
  try {
    run(arguments);
    return 0;
  } catch (const Failure& failure) {
    std::cout.flush();
    std::cerr << kProgram << ": " << failure.line << "\n";
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << kProgram << ": " << one_line(e.what()) << "\n";
  }
  return 1;
}
