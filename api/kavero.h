/* The public C interface of libkavero.so.
 *
 * A plain C header, usable from C and C++. Every function it declares is
 * exported from the shared library with C linkage; nothing else is. */

#ifndef KAVERO_API_KAVERO_H_
#define KAVERO_API_KAVERO_H_

#include <stdbool.h>
#include <stdint.h>

#include "zel_object.h"

/* Marks a function that the shared library exports. */
#define ZEL_API_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Errors ----
 *
 * The error record that ends the argument list of a function that can fail.
 * The caller sets `code` to 0 before the call; the function writes the
 * record only when it fails: `code` tells the kind of failure and `message`
 * holds its text, NUL-terminated and cut to fit.
 *
 * Codes: 1 an error of the library, 2 any other failure, 3 a runtime error,
 * 4 a logic error, 5 an error whose message is a JSON object text. */

typedef struct zel_exception {
  int32_t code;
  char message[1024];
} zel_exception;

/* ---- Logging ----
 *
 * The library keeps one list of loggers for the process. A logger has an id,
 * a level and a callback that receives each message's level and text (the
 * text lives until the callback returns). A message of level L from a source
 * with id C reaches every logger whose id is C and whose level value is at
 * least L. The runtime's messages have the id 256, the compiler's 4096.
 *
 * Level names: "error" (1), "info" (2), "warning" (4), "debug" (8), "trace"
 * (16), in lower case. A higher value lets more through; "info" is below
 * "warning".
 *
 * Callbacks are called on the thread that logs, so they must be safe to call
 * from any thread. Loggers may be added while other threads log. */

typedef void (*zel_log_callback)(uint16_t level, const char* message);

/* Adds a logger with that id, level and callback. Returns false, and adds
 * nothing, when the level name is not one of the five or the callback is
 * null. */
ZEL_API_EXPORT bool zel_api_add_logger(uint16_t id, const char* level,
                                       zel_log_callback callback);

/* Sets the level of the first logger with that id. Returns false, and
 * changes nothing, when no logger has the id or the level name is not one of
 * the five. */
ZEL_API_EXPORT bool zel_api_set_logger(uint16_t id, const char* level);

/* The name of the highest level that the value lets through: "TRACE",
 * "DEBUG", "INFO", "ERROR" or "WARNING", tested in that order; the empty
 * text when the value names no level. A static text. */
ZEL_API_EXPORT const char* zel_api_level_name(const uint16_t* level);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif  /* KAVERO_API_KAVERO_H_ */
