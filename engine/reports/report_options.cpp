// Report-mode option parser and its usage summary.
//
// Option words are read like the extraction options: every argument after the
// program name that starts with '-' is a word of option letters, up to the
// first argument that does not (the archive). A '-' inside a word negates the
// next letter. Letters pick the format (-1 -2 -s -m -l -v), ask for the header
// and totals lines (-h -t) and the archive comment (-z); -Z, which selects
// report mode from the extraction program, is accepted and ignored.
//
// The header and totals lines then follow from the format: names-only format 1
// never shows them, the one-line formats show both unless member patterns
// narrow the report (then only what was asked for explicitly), and the
// detailed format shows the header unless it was turned off.
#include <cstdio>

#include "engine/reports/report.h"

namespace {

constexpr const char* report_usage_text =
    "Usage:  arcinfo [-12smlvhtz] archive[.zip] [member ...] [-x excluded ...]\n"
    "  (or unpak -Z with the same options)\n"
    "\n"
    "  -1  member names only, without header or totals lines\n"
    "  -2  member names only, header and totals lines on request (-h, -t)\n"
    "  -s  one short line per member (the default)\n"
    "  -m  one medium line per member, with the compression ratio\n"
    "  -l  one long line per member, with the compressed size\n"
    "  -v  detailed report of every member and of the end-of-central-directory record\n"
    "  -h  print the archive line       -t  print the totals line\n"
    "  -z  print the archive comment    -x  exclude the members that follow\n"
    "  A '-' inside an option word negates the letter after it (-h-t).\n"
    "  Member patterns match case-sensitively: * ? [set] and \\ to quote.\n";

}  // namespace

int print_report_usage(int error) {
  std::fputs(report_usage_text, error ? stderr : stdout);
  return error ? bad_options : ok;
}

int parse_report_options(EngineState& s, int* argc, char*** argv) {
  EngineOptions& o = s.opt;
  int header_default = 1, totals_default = 1;
  int explicit_header = 0, explicit_totals = 0;
  int header = 0, totals = 0;
  int error = 0;
  int negated = 0;

  int count = *argc;
  char** arg = *argv;
  for (--count, ++arg; count > 0 && (*arg)[0] == '-'; --count, ++arg) {
    for (const char* p = *arg + 1; *p != '\0'; ++p) {
      int format = 0;
      switch (*p) {
        case '-':
          ++negated;
          continue;
        case '1':
          format = 1;
          break;
        case '2':
          format = 2;
          break;
        case 's':
          format = 3;
          break;
        case 'm':
          format = 4;
          break;
        case 'l':
          format = 5;
          break;
        case 'v':
          format = 10;
          break;
        case 'h':
          if (negated) {
            header = header_default = 0;
          } else {
            header = header_default = explicit_header = 1;
            if (o.report_format == -1) o.report_format = 0;
          }
          break;
        case 't':
          if (negated) {
            totals = totals_default = 0;
          } else {
            totals = totals_default = explicit_totals = 1;
            if (o.report_format == -1) o.report_format = 0;
          }
          break;
        case 'z':
          o.show_comment = negated ? 0 : 1;
          break;
        case 'Z':
          break;
        default:
          error = 1;
          continue;
      }
      if (format != 0) o.report_format = negated ? -2 : format;
      negated = 0;
    }
  }
  // `arg` stands on the archive argument; count becomes the number after it.
  --count;
  *argc = count;
  *argv = arg;
  if (count < 0 || error) return print_report_usage(error);

  const bool patterns_given = count > 0;
  if (o.report_format < 0 || (patterns_given && o.report_format == 0)) o.report_format = 3;

  switch (o.report_format) {
    case 0:
    case 2:
      o.header_line = header;
      o.test_only = totals;
      break;
    case 1:
      o.header_line = 0;
      o.test_only = 0;
      o.show_comment = 0;
      break;
    case 10:
      o.header_line = header_default;
      o.test_only = totals;
      break;
    default:  // 3, 4, 5
      o.header_line = patterns_given && !explicit_header ? 0 : header_default;
      o.test_only = patterns_given && !explicit_totals ? 0 : totals_default;
      break;
  }
  return ok;
}
