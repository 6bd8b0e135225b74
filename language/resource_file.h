// Finding a language's resource files on an ordered list of search folders.
//
// The language loader searches the engine's resource folders, the project
// folder and, once the configuration is read, the configuration's own
// folder. An empty folder stands for the working folder. Nothing is cached:
// every call looks at the file system again.
//
// Versioned resources are named base "@" version extension, for example
// english@1.2.3.language; a request for base "@latest" extension picks the
// newest version found in any search folder.

#ifndef KAVERO_LANGUAGE_RESOURCE_FILE_H_
#define KAVERO_LANGUAGE_RESOURCE_FILE_H_

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zel {
namespace kavero {
namespace core {

// Resolves a resource name; the empty path when nothing is found (also for
// the empty name).
//
// A name that exists as it stands (relative to the working folder, or
// absolute) is returned without looking at the folders. A name whose stem
// holds "@latest" (english@latest.language) resolves to the file, directly
// in one of the folders, whose name is the part before "@latest", "@", a
// version and the same extension, with the highest version (numeric parts:
// 1.10 is above 1.2); of equal versions the one in the later folder wins.
// Folder parts of such a name are not used. Any other name is tried under
// each folder in order, and the first that exists is returned.
//
// File-system errors while a folder is listed propagate.
std::filesystem::path generate_filename(
    const std::string& name, const std::vector<std::filesystem::path>& folders);

// Resolves the file named by one section of a language configuration: the
// section's text as it stands when it exists, else under each search folder
// in turn. No version support.
class filename_generator {
 public:
  // The configuration and the language text are not copied and must outlive
  // the generator.
  filename_generator(const std::vector<std::filesystem::path>& folders,
                     const nlohmann::json& configuration,
                     const std::string& language);
  filename_generator(const std::filesystem::path& first,
                     const std::filesystem::path& second,
                     const nlohmann::json& configuration,
                     const std::string& language);

  // The file of the configuration member `key`; the empty path when the
  // member is absent or empty or no such file is found. The extension is the
  // section's usual file extension and does not change the result. A missing
  // member is no error; when "KAVERO_STRICT_CONFIG" is set it is reported on
  // standard error. A member that is not a text raises the JSON library's
  // type error.
  std::filesystem::path operator()(const char* extension,
                                   const char* key) const;

 private:
  std::vector<std::filesystem::path> folders;
  const nlohmann::json* configuration;
  const std::string* language_text;
};

// Writes "--->>>>>>>>>>" and the name on a line of standard output: a
// debugging aid.
void test_generate_filename(const std::string& name);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_RESOURCE_FILE_H_
