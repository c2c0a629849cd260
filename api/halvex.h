/*
 * halvex.h - the C interface of the Halvex-to-QSX converter.
 *
 * Converts a Halvex model file (.hvt) into a QSX command-text file without
 * any dialog, and hands back what happened: the status, the path written,
 * the lines a user would see in the message window, the error texts and, on
 * request, the conversion report as JSON. Exported by libConvertHalvex.so and
 * ConvertHalvex.dll; valid C (C99) and C++, callable from any language that
 * can call C (a C# P/Invoke, Delphi, Python ctypes, ...).
 *
 * Texts: every path given and every text returned is UTF-8, on Windows too.
 * Messages are in the language the message catalogue picks (on Linux from
 * LC_ALL, LC_MESSAGES, LANG; on Windows the user's interface language).
 *
 * Threads: any number of conversions may run at once on different threads,
 * also of models in one folder; each gives exactly the files and texts it
 * gives alone. Only the .qsx is written (and, with HALVEX_HTML, its page);
 * nothing else appears in the model's or the output folder, not even for a
 * moment apart from the .qsx being written under a temporary name beside its
 * final one.
 *
 * Ownership: a halvex_result belongs to the caller, who frees it with
 * halvex_result_free (once; NULL is allowed). Every string a
 * halvex_result_* function returns belongs to the result and lives until
 * the result is freed. halvex_version's string lives as long as the library.
 */
#ifndef HALVEX_H
#define HALVEX_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define HALVEX_API
#elif defined(HALVEX_BUILD_LIBRARY)
#define HALVEX_API __attribute__((visibility("default")))
#else
#define HALVEX_API
#endif

typedef struct halvex_result halvex_result;

/* Progress: fraction from 0 to 1, never decreasing; called on the calling
 * thread at least once per block read and per section written. Return
 * non-zero to cancel the conversion. */
typedef int (*halvex_progress_fn)(double fraction, void *user);

/* Flags of halvex_convert. */
#define HALVEX_REPORT 1u                               /* fill the report (halvex_result_report_json) */
#define HALVEX_HTML 2u                                 /* also write the model page, see below */
#define HALVEX_STRICT 4u                               /* HALVEX_LOSSY for a model that lost something */
#define HALVEX_THREADS(n) ((unsigned)(n) << 8)         /* threads for one conversion, the calling one among
                                                          them; 0: one per core; 1: the calling thread alone;
                                                          at most 64 are used; the output is the same */

/* HALVEX_HTML: a self-contained HTML file beside the .qsx (the .qsx path
 * with ".html" in place of ".qsx") that shows the model in 3D as converted,
 * what was not converted and the report, as the tool's --html writes it.
 * Written for every model that exists (not after a cancel); it changes
 * nothing else, but a page that cannot be written gives HALVEX_FILE_ERROR
 * and a line in halvex_result_errors naming it. */

/* Statuses (the command-line tool's exit statuses for one model), as the
 * library's status table has them (checked where the library is built). */
#define HALVEX_DONE 0          /* converted (the messages may still name problems) */
#define HALVEX_BAD_ARGUMENTS 1 /* model_path is NULL or empty, or output_dir is not an existing folder */
#define HALVEX_FAILED 2        /* the model could not be opened, or writing gave up */
#define HALVEX_MISSING 3       /* the model file does not exist; nothing written */
#define HALVEX_FILE_ERROR 4    /* a file could not be written (see halvex_result_errors), or
                                  the .qsx would be the model itself: nothing written */
#define HALVEX_LOSSY 5         /* with HALVEX_STRICT: written, but something was not converted,
                                  was converted in part or dangles (the summary line of
                                  halvex_result_errors says what) */
#define HALVEX_CANCELLED 6     /* the progress callback cancelled; the folder is as it was */

/*
 * Converts the model at model_path into a .qsx file: beside the model (the
 * model path with its extension replaced by ".qsx") when output_dir is NULL,
 * else into output_dir under that file name. progress and user may be NULL.
 * A .qsx that would be the model itself (by its name, or through a link) is
 * not written: HALVEX_FILE_ERROR.
 * Returns one of the statuses above. Whatever the status, *result receives a
 * new result when result is not NULL (also for HALVEX_BAD_ARGUMENTS).
 * A cancelled conversion leaves a .qsx that was there before unchanged.
 */
HALVEX_API int halvex_convert(const char *model_path, const char *output_dir, unsigned flags,
                              halvex_progress_fn progress, void *user, halvex_result **result);

/* The .qsx written; "" when nothing was written. */
HALVEX_API const char *halvex_result_output_path(const halvex_result *r);
/* The message-window lines, each ending "\n"; "" when there are none. */
HALVEX_API const char *halvex_result_messages(const halvex_result *r);
/* What the command-line tool prints on standard error for this model, less
 * the tool's name before its own notes: message-box texts, then the notes
 * (a model not found, a file not written, and the summary line when
 * something was not converted or dangles), each line ending "\n". */
HALVEX_API const char *halvex_result_errors(const halvex_result *r);
/* One model's object as in the tool's --report-json; NULL without
 * HALVEX_REPORT (or when there is no report: a bad argument, a missing
 * model, a cancel). */
HALVEX_API const char *halvex_result_report_json(const halvex_result *r);
HALVEX_API void halvex_result_free(halvex_result *r);

/* The library's version, such as "1.0.0". */
HALVEX_API const char *halvex_version(void);

#ifdef __cplusplus
}
#endif

#endif /* HALVEX_H */
