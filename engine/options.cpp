// Extraction-mode options, usage summaries and the fatal-signal handler.
//
// Option words are read letter by letter. A '-' inside a word counts up a
// negation; the next option letter is applied negated and sets the count
// back to 0 (d, e, x and unknown letters leave it alone). Counting options
// go down by the count, never below 0, except -z, which may go negative (a
// negative show_comment hides the archive comment altogether).
#include "engine/options.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

int lowered(int value, int by) {
  return value - by < 0 ? 0 : value - by;
}

constexpr char extract_usage[] =
    "unpak:  list, test and extract files of a zip archive.\n"
    "\n"
    "Usage: unpak [-opts[modifiers]] file[.zip] [list] [-x xlist] [-d exdir]\n"
    "  Default action is to extract the files in list, except those in xlist,\n"
    "  to exdir; file[.zip] may be a wildcard.\n"
    "\n"
    "  -l  list files (short format)       -v  list verbosely\n"
    "  -t  test compressed archive data    -z  display archive comment only\n"
    "  -c  extract files to stdout         -p  extract to pipe, no messages\n"
    "  -f  freshen existing files          -u  update files, create if necessary\n"
    "  -x  exclude the files that follow   -d  extract files into exdir\n"
    "  -Z  report mode (also as arcinfo)\n"
    "\n"
    "modifiers:\n"
    "  -n  never overwrite existing files  -o  overwrite files without asking\n"
    "  -q  quiet mode (-qq => quieter)     -a  convert text line ends (-aa: all files)\n"
    "  -b  no line-end conversion          -j  junk paths (do not make directories)\n"
    "  -U  keep names from upper-case-only systems as stored\n"
    "  -V  keep version suffixes           -s  spaces in names become underscores\n"
    "  -$  restore volume label (-$$: also on fixed disks)\n"
    "\n"
    "Examples:\n"
    "  unpak data1 -x joe   => extract all files except joe from data1.zip\n"
    "  unpak -v install.fil => list install.fil verbosely\n";

constexpr char report_usage[] =
    "arcinfo:  detailed report on the members of a zip archive.\n"
    "\n"
    "Usage: arcinfo [-options] file[.zip] [list] [-x xlist]   (or unpak -Z ...)\n"
    "  file[.zip] may be a wildcard; list and xlist select members.\n"
    "\n"
    "  -1  names only, one per line        -2  like -1, with header and totals allowed\n"
    "  -s  short listing (default)         -m  medium listing\n"
    "  -l  long listing                    -v  verbose, multi-page report\n"
    "  -h  print the header line           -t  print the totals line\n"
    "  -z  print the archive comment\n";

}  // namespace

int names_equal_nocase(const char* a, const char* b, int n) {
  for (int i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

int print_usage(const EngineState& s, int error) {
  std::FILE* out = error ? stderr : stdout;
  std::fputs(s.opt.report_mode ? report_usage : extract_usage, out);
  return error ? bad_options : ok;
}

void on_fatal_signal(int signal_number) {
  if (signal_number == SIGSEGV) {
    std::fprintf(stderr, "error:  zipfile probably corrupt (%s)\n", "segmentation violation");
    std::fflush(stderr);
    std::_Exit(corrupt_archive);
  }
  std::_Exit(ok);
}

int parse_options(EngineState& s, int* pargc, char*** pargv) {
  EngineOptions& o = s.opt;
  int argc = *pargc;
  char** argv = *pargv;
  bool error = false;

  while (--argc > 0 && (*++argv)[0] == '-') {
    int negative = 0;
    for (const char* p = *argv + 1; *p != '\0'; ++p) {
      const char c = *p;
      switch (c) {
        case '-':
          ++negative;
          continue;
        case 'd':
        case 'e':
        case 'x':
          continue;  // the member part of the arguments is engine_main's
        case 'a':
          o.text_conversion = negative ? lowered(o.text_conversion, negative) : o.text_conversion + 1;
          break;
        case 'b':
          if (!negative) o.text_conversion = 0;
          break;
        case 'c':
          o.to_stdout = negative ? 0 : 1;
          break;
        case 'f':
          o.freshen = o.update = negative ? 0 : 1;
          break;
        case 'j':
          o.junk_paths = negative ? 0 : 1;
          break;
        case 'l':
          o.list_mode = negative ? lowered(o.list_mode, negative) : o.list_mode + 1;
          break;
        case 'n':
          o.overwrite_none = negative ? 0 : 1;
          break;
        case 'o':
          if (negative) {
            o.overwrite_all = lowered(o.overwrite_all, negative);
            o.assume_yes = lowered(o.assume_yes, negative);
          } else {
            ++o.overwrite_all;
            ++o.assume_yes;
          }
          break;
        case 'p':
          if (negative) {
            o.to_stdout = 0;
            o.quiet = lowered(o.quiet, 999);
          } else {
            o.text_conversion = 0;
            o.to_stdout = 1;
            o.quiet += 999;
          }
          break;
        case 'q':
          o.quiet = negative ? lowered(o.quiet, negative) : o.quiet + 1;
          break;
        case 's':
          o.spaces_to_underscores = negative ? 0 : 1;
          break;
        case 't':
          o.test_only = negative ? 0 : 1;
          break;
        case 'U':
          o.keep_case = negative ? 0 : 1;
          break;
        case 'u':
          o.update = negative ? 0 : 1;
          break;
        case 'V':
          o.keep_versions = negative ? 0 : 1;
          break;
        case 'v':
          if (negative) {
            o.list_mode = lowered(o.list_mode, negative);
          } else {
            o.list_mode = o.list_mode == 0 ? 2 : o.list_mode + 1;
          }
          break;
        case 'z':
          o.show_comment = negative ? o.show_comment - negative : o.show_comment + 1;
          break;
        case '$':
          o.volume_labels = negative ? lowered(o.volume_labels, negative) : o.volume_labels + 1;
          break;
        default:
          error = true;
          continue;
      }
      negative = 0;
    }
  }

  const int modes = (o.to_stdout != 0) + (o.test_only != 0) + (o.update != 0) + (o.list_mode != 0);
  if (modes > 1 || (o.freshen && o.overwrite_none)) {
    std::fprintf(stderr, "error:  -fn or any combination of -c, -l, -p, -t, -u and -v options invalid\n");
    error = true;
  }
  if (o.text_conversion > 2) o.text_conversion = 2;
  if (o.overwrite_all && o.overwrite_none) {
    std::fprintf(stderr, "caution:  both -n and -o specified; ignoring -o\n");
    o.overwrite_all = 0;
  }

  *pargc = argc - 1;
  *pargv = argv;
  if (argc <= 0 || error) return print_usage(s, error ? 1 : 0);

  o.extracting_to_disk = (o.to_stdout || o.test_only || o.list_mode) ? 0 : 1;
  return ok;
}
