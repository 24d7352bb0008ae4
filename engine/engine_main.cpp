// The engine's entry: one run over an argument vector.
//
// A run resets the per-run options, chooses extraction or report mode from
// the program name (or "-Z"), parses the options, splits the rest of the
// vector into the archive name, member patterns, exclusions and the -d
// extraction directory, allocates the two I/O buffers and hands over to the
// archive loop, which releases everything the run allocated.
//
// The vector is changed in place from the archive argument on: backslashes
// become '/', and list ends are marked by NULL entries. Callers pass writable
// strings and an array they do not need again.
#include "engine/engine_main.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/engine_state.h"
#include "engine/names.h"
#include "engine/options.h"
#include "engine/reports/report.h"

EngineState engine;

namespace {

// The member pattern list when none is given: every member.
char star_pattern[] = "*";
char* default_patterns[] = {star_pattern, nullptr};
char* no_exclusions[] = {nullptr};

void reset_run_options(EngineOptions& o) {
  o.text_conversion = 0;
  o.to_stdout = 0;
  o.extract_dir_given = 0;
  o.freshen = 0;
  o.junk_paths = 0;
  o.overwrite_none = 0;
  o.overwrite_all = 0;
  o.assume_yes = 0;
  o.quiet = 0;
  o.test_only = 0;
  o.update = 0;
  o.keep_case = 0;
  o.list_mode = 0;
  o.show_comment = 0;
}

bool report_mode_chosen(int argc, char** argv) {
  const char* name = argv[0] != nullptr ? argv[0] : "";
  // Windows hands argument 0 over with backslashes ("C:\\TOOLS\\ARCINFO.EXE"):
  // the program name is what follows the last separator of either kind.
  for (const char* p = name; *p != '\0'; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  if (names_equal_nocase(name, "arcinfo", 7) == 0 || names_equal_nocase(name, "ii", 2) == 0) return true;
  return argc >= 2 && argv[1] != nullptr && std::strncmp(argv[1], "-Z", 2) == 0;
}

void use_default_patterns(ArgLists& args) {
  args.patterns = default_patterns;
  args.pattern_count = 0;
}

// Splits the arguments after the archive into member patterns, exclusions
// (after "-x") and the extraction directory (after the first "-d"). Returns
// 0, or the result of setting the extraction root when it is above 2.
int scan_member_arguments(EngineState& s, char** rest, int rest_count) {
  EngineOptions& o = s.opt;
  ArgLists& args = s.args;
  bool in_patterns = false;
  bool in_exclusions = false;
  bool leading_dir = false;
  for (int i = 0; i < rest_count; ++i) {
    char* arg = rest[i];
    if (!o.extract_dir_given && std::strcmp(arg, "-d") == 0) {
      o.extract_dir_given = 1;
      if (in_patterns) {
        rest[i] = nullptr;
        args.pattern_count = static_cast<int>(rest + i - args.patterns);
        in_patterns = false;
      } else if (in_exclusions) {
        rest[i] = nullptr;
        args.exclusion_count = static_cast<int>(rest + i - args.exclusions);
      }
      if (i + 1 >= rest_count) {
        std::fprintf(stderr, "error:  must specify directory to which to extract with -d option\n");
        // A lone "-d" after the archive names no member: everything is taken.
        if (i == 0) {
          s.opt.all_members = 1;
          use_default_patterns(args);
        }
        return ok;
      }
      char* dir = rest[i + 1];
      if (o.extracting_to_disk) {
        o.create_directories = o.freshen ? 0 : 1;
        if (int r = checkdir(s, dir, CHECKDIR_SET_ROOT); r > 2) return r;
      } else {
        std::fprintf(stderr, "caution:  not extracting; -d ignored\n");
      }
      if (i == 0) {
        leading_dir = true;
        if (rest_count > 2) {
          args.patterns = rest + 2;
          args.pattern_count = rest_count - 2;
        } else {
          o.all_members = 1;
          use_default_patterns(args);
          return ok;
        }
      }
      ++i;  // the directory
      continue;
    }
    if (in_exclusions) continue;  // belongs to the exclusion list
    if (std::strcmp(arg, "-x") == 0) {
      in_exclusions = true;
      if (i == 0 || (leading_dir && i == 2)) {
        use_default_patterns(args);
      } else if (in_patterns) {
        rest[i] = nullptr;
        args.pattern_count = static_cast<int>(rest + i - args.patterns);
        in_patterns = false;
      }
      args.exclusions = rest + i + 1;
      args.exclusion_count = rest_count - i - 1;
    } else {
      in_patterns = true;
    }
  }
  return ok;
}

// Frees the run's I/O buffers on early returns; process_archives frees them
// itself on the normal path.
bool allocate_run_buffers(EngineState& s) {
  s.in.input_buffer.reset(new (std::nothrow) std::uint8_t[input_block_size + input_spare_size]);
  s.out.output_buffer.reset(new (std::nothrow) std::uint8_t[output_buffer_size]);
  if (!s.in.input_buffer || !s.out.output_buffer) {
    s.in.input_buffer.reset();
    s.out.output_buffer.reset();
    return false;
  }
  return true;
}

}  // namespace

int engine_run(EngineState& s, int argc, char** argv) {
  reset_run_options(s.opt);
  s.wild.names_refused = 0;
  std::signal(SIGINT, on_fatal_signal);
  std::signal(SIGTERM, on_fatal_signal);
  std::signal(SIGSEGV, on_fatal_signal);

  int r;
  if (argc < 1 || argv == nullptr) return print_usage(s, 1);
  if (report_mode_chosen(argc, argv)) {
    s.opt.report_mode = 1;
    r = parse_report_options(s, &argc, &argv);
  } else {
    s.opt.report_mode = 0;
    r = parse_options(s, &argc, &argv);
  }
  if (r != ok || argc < 0) return r;

  for (int i = 0; i <= argc; ++i)
    for (char* p = argv[i]; *p; ++p)
      if (*p == '\\') *p = '/';

  ArgLists& args = s.args;
  args.archive_pattern = argv[0];
  char** rest = argv + 1;
  args.exclusions = no_exclusions;
  args.exclusion_count = 0;
  if (argc == 0) {
    s.opt.all_members = 1;
    use_default_patterns(args);
  } else {
    s.opt.all_members = 0;
    args.patterns = rest;
    args.pattern_count = argc;
    if (int root = scan_member_arguments(s, rest, argc); root != ok) return root;
  }

  if (!allocate_run_buffers(s)) {
    std::fprintf(stderr, "error:  can't allocate unpak buffers\n");
    checkdir(s, nullptr, CHECKDIR_END);
    return no_memory;
  }
  return process_archives(s);
}

int engine_main(int argc, char** argv) {
  return engine_run(engine, argc, argv);
}
