/* A host program written in C that uses the logging functions of the C
 * interface: it adds a logger, changes its level and names levels. Built
 * against libkavero.so alone; built with KAVERO_LOG_PROBE against the
 * test library of log_probe.cpp, it also makes a runtime log site emit and
 * checks which messages its logger receives. */

#include <stdio.h>
#include <string.h>

#include "api/kavero.h"

#ifdef KAVERO_LOG_PROBE
void kavero_log_probe_emit(uint16_t id, uint16_t level, const char* text);
#endif

enum { kMaxMessages = 8 };
static char received[kMaxMessages][128];
static int received_count = 0;
static int failures = 0;

#define CHECK(condition)                                                        \
  do {                                                                          \
    if (!(condition)) {                                                         \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                               \
    }                                                                           \
  } while (0)

static void on_message(uint16_t level, const char* message) {
  if (received_count < kMaxMessages) {
    snprintf(received[received_count], sizeof received[0], "%s %s",
             zel_api_level_name(&level), message);
  }
  ++received_count;
}

static int level_name_is(uint16_t value, const char* name) {
  return strcmp(zel_api_level_name(&value), name) == 0;
}

int main(void) {
  CHECK(level_name_is(0, ""));
  CHECK(level_name_is(3, "INFO"));
  CHECK(level_name_is(12, "DEBUG"));
  CHECK(level_name_is(5, "ERROR"));

  CHECK(!zel_api_add_logger(256, "INFO", on_message));
  CHECK(!zel_api_add_logger(256, "info", NULL));
  CHECK(!zel_api_set_logger(256, "info")); /* nothing added so far */
  CHECK(zel_api_add_logger(256, "info", on_message));
  CHECK(!zel_api_set_logger(256, "DEBUG"));
  CHECK(!zel_api_set_logger(257, "debug"));

#ifdef KAVERO_LOG_PROBE
  kavero_log_probe_emit(256, 1, "error");
  kavero_log_probe_emit(256, 4, "warning, not taken at info");
  kavero_log_probe_emit(256, 2, "info");
  kavero_log_probe_emit(4096, 1, "compiler message, not taken");
  CHECK(zel_api_set_logger(256, "warning"));
  kavero_log_probe_emit(256, 4, "warning");
  kavero_log_probe_emit(256, 8, "debug, not taken at warning");

  CHECK(received_count == 3);
  if (received_count == 3) {
    CHECK(strcmp(received[0], "ERROR [Probe] error") == 0);
    CHECK(strcmp(received[1], "INFO [Probe] info") == 0);
    CHECK(strcmp(received[2], "WARNING [Probe] warning") == 0);
  }
#else
  CHECK(zel_api_set_logger(256, "warning"));
  CHECK(received_count == 0);
#endif

  if (failures != 0) {
    fprintf(stderr, "%d check(s) failed\n", failures);
    return 1;
  }
  return 0;
}
