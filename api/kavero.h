/* The public C interface of libkavero.so.
 *
 * A plain C header, usable from C and C++. Every function it declares is
 * exported from the shared library with C linkage; nothing else is. */

#ifndef KAVERO_API_KAVERO_H_
#define KAVERO_API_KAVERO_H_

#include <stdbool.h>
#include <stddef.h>
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
 * holds its text, NUL-terminated and cut to fit (at most 1023 bytes, cut
 * at a UTF-8 character boundary).
 *
 * Codes: 1 an error of the library, 2 any other failure, 3 a runtime error,
 * 4 a logic error, 5 an error whose message is a JSON object text. A
 * failure of no standard kind is reported with code 2. */

typedef struct zel_exception {
  int32_t code;
  char message[1024];
} zel_exception;

/* ---- Handles ----
 *
 * Engines, analyzers, results and domains reach the host as pointers to
 * zel_object (zel_object.h). A new handle has one reference and belongs to
 * the caller; zel_api_dec_ref releases it, and the call that takes away its
 * last reference deletes it. A handle keeps what it was made from alive: an
 * analyzer or domain its engine, a result its analyzer, so handles may be
 * released in any order.
 *
 * Every function below takes its error record last. The failure value is
 * given with each function: 0, false, NULL or, for zel_api_get_byte_offset,
 * 0xFFFFFFFF. Option texts are JSON objects, read up to their terminating
 * NUL (the length that goes with them is not read); NULL or "" is an empty
 * set, and a text that is no valid JSON fails with code 1. */

/* Returns the handle; adds no reference. Never writes the record. */
ZEL_API_EXPORT zel_object* zel_api_construct(zel_object* handle, zel_exception* error);
/* Adds one reference; returns the count before. Never writes the record. */
ZEL_API_EXPORT uint32_t zel_api_add_ref(zel_object* handle, zel_exception* error);
/* Removes one reference; returns the count left. At 0 the handle is
 * deleted. Never writes the record. */
ZEL_API_EXPORT uint32_t zel_api_dec_ref(zel_object* handle, zel_exception* error);

/* ---- Engines ---- */

/* A new engine of the options ("root_path", "morvik", ...). */
ZEL_API_EXPORT zel_object* zel_api_get_engine(const char* options, size_t options_length,
                                              zel_exception* error);
/* Copies the engine property `name` into `buffer` as strncpy does (a value
 * as long as the buffer or longer is cut and not terminated); returns the
 * value's full length. */
ZEL_API_EXPORT size_t zel_api_engine_property(zel_object* engine, const char* name,
                                              size_t name_length, char* buffer,
                                              size_t buffer_length, zel_exception* error);
ZEL_API_EXPORT bool zel_api_engine_release_domain(zel_object* engine, const char* name,
                                                  size_t name_length, zel_exception* error);
ZEL_API_EXPORT bool zel_api_engine_purge_domains(zel_object* engine, const char* options,
                                                 size_t options_length, zel_exception* error);
ZEL_API_EXPORT void zel_api_engine_init_plugins(zel_object* engine, zel_exception* error);
/* The engine's description as JSON; a per-thread text, valid until the
 * thread's next call of this function. */
ZEL_API_EXPORT const char* zel_api_engine_info(zel_object* engine, size_t* length,
                                               zel_exception* error);
/* The languages of the engine's resource folders as JSON; per-thread. */
ZEL_API_EXPORT const char* zel_api_engine_languages(zel_object* engine, size_t* length,
                                                    zel_exception* error);
/* The long name of a language code or name; per-thread. */
ZEL_API_EXPORT const char* zel_api_language_longname(const char* language,
                                                     zel_exception* error);

/* ---- Analyzers ---- */

/* A new analyzer of the engine for the options (at least "language"). */
ZEL_API_EXPORT zel_object* zel_api_get_analyzer(zel_object* engine, const char* options,
                                                size_t options_length, zel_exception* error);
/* Copies the analyzer's file name after a size probe: with *size less than
 * the name's length L, sets *size to L and returns 0; otherwise writes the
 * L bytes and a NUL (the buffer needs L + 1 bytes), sets *size to L and
 * returns 1. */
ZEL_API_EXPORT int zel_api_analyze_filename(zel_object* analyzer, char* buffer, size_t* size,
                                            zel_exception* error);
/* A new result: the document `text` of `length` bytes analysed with the
 * analyzer and the document options (such as "id", "input_type"). */
ZEL_API_EXPORT zel_object* zel_api_analyze_document(zel_object* analyzer, const char* text,
                                                    size_t length, const char* options,
                                                    size_t options_length,
                                                    zel_exception* error);
/* Analyses the result's annotations again; returns the result. */
ZEL_API_EXPORT zel_object* zel_api_analyze_result(zel_object* analyzer, zel_object* result,
                                                  zel_exception* error);

/* ---- Domains ---- */

/* A new domain handle: the named domain and the domains it depends on. */
ZEL_API_EXPORT zel_object* zel_api_load_domain(zel_object* engine, const char* name,
                                               const char* options, size_t options_length,
                                               zel_exception* error);
/* The database file of the domain, copied as zel_api_analyze_filename does. */
ZEL_API_EXPORT int zel_api_domain_filename(zel_object* domain, char* buffer, size_t* size,
                                           zel_exception* error);
/* Runs the domain over the result; returns the result. */
ZEL_API_EXPORT zel_object* zel_api_domain_process(zel_object* domain, zel_object* result,
                                                  zel_exception* error);
/* The domain's information as compact JSON, with "dom"."run_order" the
 * database files in running order. Held by the domain until the next call;
 * the empty text on failure. */
ZEL_API_EXPORT const char* zel_api_domain_info(zel_object* domain, zel_exception* error);
/* The concepts of the compiled domain `name` (a ".dom" path or a name looked
 * for in the resource folders), in byte order. The comma form writes
 * "A,B"; the JSON form an array of strings, names escaped. *size counts
 * the whole buffer: when the text and its terminator fit (N, the bytes
 * written, is less than *size) the text is written, *size set to its length
 * and 1 returned; otherwise *size is set to N + 1 and 0 returned. A null
 * size returns 0. */
ZEL_API_EXPORT int zel_api_get_domain_concept_list(const char* name, char* buffer, int* size,
                                                   zel_exception* error);
ZEL_API_EXPORT int zel_api_get_domain_concepts(const char* name, char* buffer, int* size,
                                               zel_exception* error);

/* ---- Compilation ---- */

/* Compiles the domain the compile options describe; returns the
 * compile-result JSON, held per thread until the thread's next compilation.
 * Diagnostics are inside that text; NULL when the compilation fails with a
 * runtime error (code 3). */
ZEL_API_EXPORT const char* zel_api_compile_domain(const char* options, size_t options_length,
                                                  zel_exception* error);
/* Compiles the tokenizer rule file into its "_cache" file beside it. */
ZEL_API_EXPORT void zel_api_compile_tokenizer_file(const char* path, zel_exception* error);

/* ---- Language identification ---- */

/* A new language identifier of the engine for the options. */
ZEL_API_EXPORT zel_object* zel_api_get_lid_engine(zel_object* engine, const char* options,
                                                  size_t options_length, zel_exception* error);
/* The language of the text, copied as strncpy does into the buffer of
 * `buffer_length` bytes (not terminated when it does not fit); returns the
 * answer's full length, 0 on failure. */
ZEL_API_EXPORT size_t zel_api_language_identification(zel_object* lid, const char* text,
                                                      size_t length, char* buffer,
                                                      size_t buffer_length,
                                                      zel_exception* error);
/* A new section result: the text's sections of one language each. */
ZEL_API_EXPORT zel_object* zel_api_language_identification_section(zel_object* lid,
                                                                   const char* text,
                                                                   size_t length,
                                                                   zel_exception* error);
/* The JSON text of a section result (not null); valid while the handle
 * lives. The record is never written. */
ZEL_API_EXPORT const char* zel_api_language_identification_section_json(zel_object* section,
                                                                        zel_exception* error);

/* ---- Output filters ----
 *
 * A filter names the concepts a result shows, separated by "|" (or "," when
 * the text holds no "|"); an empty text accepts every concept. */

/* A new filter of the text. */
ZEL_API_EXPORT zel_object* zel_api_create_filter(const char* text, size_t length,
                                                 zel_exception* error);
/* Hides from the result every concept the filter does not accept (a null
 * filter changes nothing); returns the result. */
ZEL_API_EXPORT zel_object* zel_api_filter_process(zel_object* filter, zel_object* result,
                                                  zel_exception* error);
/* The filter's names joined by "|"; a per-thread text. */
ZEL_API_EXPORT const char* zel_api_filter_info(zel_object* filter, size_t* length,
                                               zel_exception* error);

/* ---- Versions and pipelines ---- */

/* True for "latest", "dev" and one to three dot-separated numbers. */
ZEL_API_EXPORT bool zel_api_is_valid_version_format(const char* text, size_t length,
                                                    zel_exception* error);
/* The expansion of a pipeline description as JSON, searched in the folders
 * of `folders` (separated by ":", empty parts dropped); a per-thread text.
 * On failure the empty text, the record holding code 5 and a JSON error
 * object for an expansion error. */
ZEL_API_EXPORT const char* zel_api_expand_pipeline(const char* pipeline, size_t pipeline_length,
                                                   const char* folders, size_t folders_length,
                                                   bool allow_files, bool allow_dev,
                                                   const char* language, size_t language_length,
                                                   zel_exception* error);

/* ---- Results ----
 *
 * Texts held by the result stay valid until the next call of the same
 * function on it, or its release. Per-thread texts stay valid until the
 * thread's next call that fills the same text. */

/* The result JSON; held by the result. */
ZEL_API_EXPORT const char* zel_api_get_result_json_buffer(zel_object* result, size_t* length,
                                                          zel_exception* error);
/* The document's metadata as JSON ("{}" for none); held by the result. */
ZEL_API_EXPORT const char* zel_api_get_result_json_metadata_buffer(zel_object* result,
                                                                   size_t* length,
                                                                   zel_exception* error);
/* Every token and concept with the concepts' flags, and the lookup
 * streams; per-thread. */
ZEL_API_EXPORT const char* zel_api_get_internal_result_json_buffer(zel_object* result,
                                                                   size_t* length,
                                                                   zel_exception* error);
/* The rule profile of a result made with the option "profiler"; the empty
 * text (length 0) for a result without one. */
ZEL_API_EXPORT const char* zel_api_get_profiling_json_buffer(zel_object* result,
                                                             size_t* length,
                                                             zel_exception* error);
/* The document id; per-thread. */
ZEL_API_EXPORT const char* zel_api_get_result_id_buffer(zel_object* result, size_t* length,
                                                        zel_exception* error);
/* The document's language name; held by the result. */
ZEL_API_EXPORT const char* zel_api_get_result_language_buffer(zel_object* result,
                                                              size_t* length,
                                                              zel_exception* error);
/* The document's annotation list, an opaque pointer for the plugin
 * functions; owned by the result. */
ZEL_API_EXPORT void* zel_api_get_result_annotations(zel_object* result, zel_exception* error);
/* The byte offset of a code-point offset of a document analysed from text;
 * 0xFFFFFFFF with code 1 for a document without an offset table. */
ZEL_API_EXPORT uint32_t zel_api_get_byte_offset(zel_object* result, uint32_t offset,
                                                zel_exception* error);
/* The concept named `uri` over [begin, end) of the sentence holding begin,
 * or NULL. With `unicode` set, the offsets count code points. The concept
 * is owned by the result. */
ZEL_API_EXPORT void* zel_api_get_concept(zel_object* result, uint32_t begin, uint32_t end,
                                         const char* uri, bool unicode, zel_exception* error);
/* Adds the concept `uri` over the tokens from the one beginning at `begin`
 * to those beginning before `end`, marked for output; the new concept or
 * NULL. */
ZEL_API_EXPORT void* zel_api_add_concept(zel_object* result, uint32_t begin, uint32_t end,
                                         const char* uri, bool unicode, zel_exception* error);
/* Removes every reading of part of speech `pos` from the tokens within
 * [begin, end). */
ZEL_API_EXPORT void zel_api_remove_pos(zel_object* result, uint32_t begin, uint32_t end,
                                       const char* pos, bool unicode, zel_exception* error);

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
