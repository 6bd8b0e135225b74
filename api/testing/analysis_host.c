/* A host program written in C over the engine, analyzer, result and domain
 * functions of the C interface, built with only the public header and
 * linked against libkavero.so alone.
 *
 *   analysis_c_host MORVIK LIBRARY_FOLDER
 *
 * MORVIK is the test language's resource folder (it holds the demo
 * domain); LIBRARY_FOLDER the folder of libkavero.so, whose parent an
 * engine made without options takes as its root. Exits with 1 when a check
 * fails. */

#define _XOPEN_SOURCE 700

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "api/kavero.h"

static int failures = 0;

#define CHECK(condition)                                                        \
  do {                                                                          \
    if (!(condition)) {                                                         \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                               \
    }                                                                           \
  } while (0)

static void clear(zel_exception* error) { memset(error, 0, sizeof *error); }

static int contains(const char* text, const char* part) {
  return text != NULL && strstr(text, part) != NULL;
}

int main(int argc, char** argv) {
  zel_exception error;
  char options[2 * PATH_MAX + 64];
  char root[PATH_MAX];
  char expected_root[PATH_MAX];
  char parent[PATH_MAX + 4];
  zel_object* engine;
  zel_object* defaults;
  zel_object* analyzer;
  zel_object* result;
  zel_object* domain;
  const char* text;
  size_t length = 0;
  const char* sample = "Alice visited London. The dog runs.";

  if (argc != 3) {
    fprintf(stderr, "usage: analysis_c_host MORVIK LIBRARY_FOLDER\n");
    return 2;
  }

  /* An engine from a null option text: its root is the parent of the
   * library's folder. */
  clear(&error);
  defaults = zel_api_get_engine(NULL, 0, &error);
  CHECK(defaults != NULL);
  CHECK(error.code == 0);
  if (defaults != NULL) {
    memset(root, 0, sizeof root);
    CHECK(zel_api_engine_property(defaults, "root_path", 9, root, sizeof root - 1, &error) > 0);
    snprintf(parent, sizeof parent, "%s/..", argv[2]);
    CHECK(realpath(parent, expected_root) != NULL);
    CHECK(strcmp(root, expected_root) == 0);
    if (strcmp(root, expected_root) != 0) fprintf(stderr, "root %s, not %s\n", root, expected_root);
  }

  /* An engine on the test language. */
  snprintf(options, sizeof options, "{\"morvik\": \"%s\"}", argv[1]);
  clear(&error);
  engine = zel_api_get_engine(options, strlen(options), &error);
  CHECK(engine != NULL);
  if (engine == NULL) {
    fprintf(stderr, "engine: %d %s\n", error.code, error.message);
    return 1;
  }
  text = zel_api_engine_info(engine, &length, &error);
  CHECK(text != NULL && text[0] == '{' && strlen(text) == length);

  analyzer = zel_api_get_analyzer(engine, "{\"language\":\"english\"}", 0, &error);
  CHECK(analyzer != NULL);
  result = zel_api_analyze_document(analyzer, sample, strlen(sample), "{\"id\":\"c-1\"}", 0,
                                    &error);
  CHECK(result != NULL);
  CHECK(error.code == 0);
  if (result == NULL) {
    fprintf(stderr, "analysis: %d %s\n", error.code, error.message);
    return 1;
  }

  text = zel_api_get_result_json_buffer(result, &length, &error);
  CHECK(text != NULL && strncmp(text, "{\"id\":\"c-1\",\"language\":\"english\",\"sentences\":[ ", 46) == 0);
  CHECK(contains(text, "[3,14,20,\"London\""));
  CHECK(strcmp(zel_api_get_result_id_buffer(result, &length, &error), "c-1") == 0);
  CHECK(strcmp(zel_api_get_result_language_buffer(result, &length, &error), "english") == 0);
  CHECK(zel_api_get_byte_offset(result, 4, &error) == 4);

  /* A concept the host adds shows in the result. */
  CHECK(zel_api_add_concept(result, 26, 29, "Animal", false, &error) != NULL);
  text = zel_api_get_result_json_buffer(result, &length, &error);
  CHECK(contains(text, "[2,26,29,\"Animal\",{}]"));

  /* The demo domain finds the person and the city. */
  domain = zel_api_load_domain(engine, "demo", NULL, 0, &error);
  CHECK(domain != NULL);
  if (domain != NULL) {
    CHECK(zel_api_domain_process(domain, result, &error) == result);
    text = zel_api_get_result_json_buffer(result, &length, &error);
    CHECK(contains(text, "[2,0,5,\"Person\",{\"gender\":[\"female\"]}]"));
    CHECK(contains(text, "[2,14,20,\"City\",{}]"));
  }
  CHECK(error.code == 0);
  if (error.code != 0) fprintf(stderr, "%d %s\n", error.code, error.message);

  /* Handles released in mixed order, the engine first. */
  zel_api_dec_ref(engine, &error);
  zel_api_dec_ref(analyzer, &error);
  text = zel_api_get_result_json_buffer(result, &length, &error);
  CHECK(contains(text, "\"Person\""));
  if (domain != NULL) zel_api_dec_ref(domain, &error);
  zel_api_dec_ref(result, &error);
  if (defaults != NULL) zel_api_dec_ref(defaults, &error);

  /* Errors: a null engine, and an unknown language. */
  clear(&error);
  CHECK(zel_api_get_analyzer(NULL, "{\"language\":\"english\"}", 0, &error) == NULL);
  CHECK(error.code == 1);
  CHECK(strcmp(error.message, "Engine has not been initialized.") == 0);

  engine = zel_api_get_engine(options, 0, &error);
  clear(&error);
  CHECK(zel_api_get_analyzer(engine, "{\"language\":\"klingon\"}", 0, &error) == NULL);
  CHECK(error.code != 0);
  CHECK(error.message[0] != '\0');
  CHECK(memchr(error.message, '\0', sizeof error.message) != NULL);
  if (engine != NULL) zel_api_dec_ref(engine, &error);

  if (failures != 0) {
    fprintf(stderr, "%d check(s) failed\n", failures);
    return 1;
  }
  return 0;
}
