/*
 * convert.c - a program that embeds the converter through its C interface.
 *
 *   convert MODEL.hvt [OUTPUT_FOLDER]
 *
 * Converts one model as the command-line tool does: the .qsx beside the
 * model (or in OUTPUT_FOLDER), the message-window lines on standard output,
 * the errors on standard error, the tool's exit status. With HALVEX_PROGRESS
 * set in the environment it prints the progress on standard error.
 *
 * Build (Linux):   cc -std=c99 -I include convert.c -L lib -lConvertHalvex
 * Build (Windows): gcc -std=c99 convert.c ConvertHalvex.dll.a   (or link ConvertHalvex.lib)
 */
#include <stdio.h>
#include <stdlib.h>

#include "halvex.h"

static int show_progress(double fraction, void *user) {
  int *shown = (int *)user;
  int percent = (int)(fraction * 100.0);
  if (percent >= *shown + 10 || percent == 100) {
    fprintf(stderr, "%3d%%\n", percent);
    *shown = percent;
  }
  return 0; /* non-zero would cancel */
}

int main(int argc, char **argv) {
  halvex_result *result = NULL;
  int shown = -100, status;
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: %s MODEL.hvt [OUTPUT_FOLDER]\n", argv[0]);
    return HALVEX_BAD_ARGUMENTS;
  }
  status = halvex_convert(argv[1], argc == 3 ? argv[2] : NULL, 0,
                          getenv("HALVEX_PROGRESS") ? show_progress : NULL, &shown, &result);
  fputs(halvex_result_messages(result), stdout);
  fputs(halvex_result_errors(result), stderr);
  halvex_result_free(result);
  return status;
}
