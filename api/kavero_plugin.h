/* The C interface through which a plugin reads and changes a document.
 *
 * A plain C header for plugin authors, usable from C and C++. A plugin does
 * not link libkavero.so: these functions come from the process that loads
 * the plugin, which has libkavero.so loaded already. Call them only on the
 * thread of a plugin operation, while that operation runs.
 *
 * Every object is an opaque pointer the library handed out:
 *   annotation  any annotation of the document: a sentence (kind 1), a
 *               concept (2), a token (3), the end annotation that closes
 *               concepts (4) or the end-of-stream marker of a sentence (5);
 *   sentence    the sentence record of the match context;
 *   context     the match context the plugin was handed (its first member is
 *               the document);
 *   name/value  the name and the value object of a concept attribute.
 * Texts passed in are NUL-terminated UTF-8 and never null. Texts passed out
 * belong to the library: they point into the document (valid while the
 * object they belong to is neither changed nor released), to a static empty
 * text, or, for the range functions, to a per-thread text replaced by the
 * next range call on the same thread. Offsets are UTF-8 byte offsets into
 * the document text. Truth values are 1 and 0.
 *
 * No function raises or reports an error: a failure inside one is logged
 * ("[PLUGIN]:" and the reason) and gives the empty answer (null, 0 or an
 * empty text). Only kavero_plugin_concept_get_attribute,
 * kavero_plugin_concept_add_attribute and kavero_plugin_concept_remove accept
 * a null annotation or one that is not a concept; the others require a
 * pointer of the kind their description names. */

#ifndef KAVERO_API_KAVERO_PLUGIN_H_
#define KAVERO_API_KAVERO_PLUGIN_H_

#include <stdint.h>

#define KAVERO_PLUGIN_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Annotations ---- */

KAVERO_PLUGIN_EXPORT uint32_t kavero_plugin_get_begin_offset(void* annotation);
KAVERO_PLUGIN_EXPORT uint32_t kavero_plugin_get_end_offset(void* annotation);
/* The kind code, 1 to 5. */
KAVERO_PLUGIN_EXPORT int32_t kavero_plugin_get_type(void* annotation);
/* The next or previous annotation of the annotation's list; null at its
 * end or start. */
KAVERO_PLUGIN_EXPORT void* kavero_plugin_get_next(void* annotation);
KAVERO_PLUGIN_EXPORT void* kavero_plugin_get_prev(void* annotation);
/* `annotation` when it is `stop`; else the earliest of the annotations just
 * before it that have its begin and end offsets (itself when its
 * predecessor differs). */
KAVERO_PLUGIN_EXPORT void* kavero_plugin_align_begin(void* annotation, void* stop);
/* The first and the last annotation of the sentence's list. */
KAVERO_PLUGIN_EXPORT void* kavero_plugin_sentence_begin(void* sentence);
KAVERO_PLUGIN_EXPORT void* kavero_plugin_sentence_end(void* sentence);
/* "language": the document's language name; any other name: "". */
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_property(void* context, const char* name);

/* ---- Concepts ---- */

KAVERO_PLUGIN_EXPORT const char* kavero_plugin_concept_uri(void* concept_annotation);
/* The end annotation that closes the concept. */
KAVERO_PLUGIN_EXPORT void* kavero_plugin_concept_get_end(void* concept_annotation);
/* 1 when the concept's own attributes or its shared ones hold the name. */
KAVERO_PLUGIN_EXPORT int32_t kavero_plugin_concept_has_attribute(void* concept_annotation,
                                                                 const char* name);
/* The first value of the name (own attributes first); "" when absent, or
 * when the annotation is null or no concept. */
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_concept_get_attribute(void* annotation,
                                                                     const char* name);
/* Adds the pair (names not beginning with "_" go to the shared attributes
 * when the concept has them); 1 when the pair was new, 0 when it was there
 * already or the annotation is null or no concept. */
KAVERO_PLUGIN_EXPORT int32_t kavero_plugin_concept_add_attribute(void* annotation,
                                                                 const char* name,
                                                                 const char* value);
/* Marks a concept deleted; nothing for null or another kind. */
KAVERO_PLUGIN_EXPORT void kavero_plugin_concept_remove(void* annotation);
KAVERO_PLUGIN_EXPORT int32_t kavero_plugin_concept_is_deleted(void* concept_annotation);
/* The name and the value object of the n-th attribute: the own ones first,
 * then the shared ones; null when n is negative or not below their number. */
KAVERO_PLUGIN_EXPORT void* kavero_plugin_concept_attribute_key(void* concept_annotation,
                                                               int32_t n);
KAVERO_PLUGIN_EXPORT void* kavero_plugin_concept_attribute_value(void* concept_annotation,
                                                                 int32_t n);
/* Inserts the concept `uri` over the annotations first to last of the
 * context's document, as a rule would, and marks it for the result; the
 * concept (possibly one that was there already), or null. */
KAVERO_PLUGIN_EXPORT void* kavero_plugin_update_concept_in_collection(void* context,
                                                                      void* first,
                                                                      void* last,
                                                                      const char* uri);

/* ---- Tokens ---- */

KAVERO_PLUGIN_EXPORT const char* kavero_plugin_token_literal(void* token);
/* 1 when the token's properties hold the name. */
KAVERO_PLUGIN_EXPORT int32_t kavero_plugin_token_has_attribute(void* token, const char* name);
/* Part of speech and stem of the n-th reading (from 0); "" when there is
 * none. */
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_token_pos(void* token, int32_t n);
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_token_stem(void* token, int32_t n);
/* The stem of the last part of the token's last reading; "" when there is
 * none. */
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_token_head(void* token);
/* The stems (of the first readings) or the literals of the tokens from
 * `first` up to, not including, `end` (null: the end of the list), joined by
 * the separator; other annotations add nothing. "" for a null first. The
 * text stays valid until the next range call on the same thread. */
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_range_stem(void* first, void* end,
                                                          const char* separator);
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_range_literal(void* first, void* end,
                                                             const char* separator);
/* The n-th reading of the token (from 0), null when n is negative or not
 * below the number of readings. */
KAVERO_PLUGIN_EXPORT void* find_morph_data(void* token, int32_t n);

/* ---- Attribute names and values ---- */

KAVERO_PLUGIN_EXPORT const char* kavero_plugin_string_to_string(void* name);
/* The value's text; "" for a value that holds none. */
KAVERO_PLUGIN_EXPORT const char* kavero_plugin_any_to_string(void* value);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif  /* KAVERO_API_KAVERO_PLUGIN_H_ */
