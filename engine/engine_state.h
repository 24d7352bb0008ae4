// EngineState: the extraction engine's single state record.
//
// The engine is not re-entrant: one EngineState exists per program (the
// global `engine`), and every engine function takes it by reference so that
// its dependencies stay visible and a test can run on a fresh record. The
// record is built of one sub-record per concern. Fields marked "reset per
// run" are set by engine_main at entry; every other field keeps its value from
// one run to the next within a program run (zero-initialised at start-up).
//
// Buffers that live for one run are held by owners (std::unique_ptr) and are
// released by process_archives at the end of the run; fixed buffers are
// std::arrays sized by the constants below.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/engine_result.h"
#include "engine/methods/explode_state.h"
#include "engine/methods/inflate_state.h"
#include "engine/methods/unreduce_state.h"
#include "engine/methods/unshrink_state.h"
#include "engine/names_state.h"
#include "engine/reports/report_state.h"
#include "engine/wildcard_state.h"
#include "platform/sys_file.h"

struct EngineHooks;  // installer call-backs (engine/engine_hooks.h)

inline constexpr unsigned input_block_size = 2048;     // archive reads, always block-aligned
inline constexpr unsigned input_spare_size = 4;        // end-record search across two blocks
inline constexpr unsigned output_window_size = 32768;  // sliding window of the decoders
inline constexpr unsigned output_buffer_size = 65537;  // unshrink output, conversion target
inline constexpr unsigned conversion_buffer_size = 131072;
inline constexpr unsigned member_name_size = 261;      // 260 characters and the terminator
inline constexpr unsigned member_batch_size = 64;
inline constexpr unsigned answer_size = 9;

// Command-line options (parse_options, parse_report_options).
struct EngineOptions {
  int text_conversion = 0;        // -a/-b/-p: 0 none, 1 text members, 2 all; reset per run
  int to_stdout = 0;              // -c/-p; reset per run
  int extract_dir_given = 0;      // first -d taken; reset per run
  int freshen = 0;                // -f; reset per run
  int header_line = 0;            // report -h
  int junk_paths = 0;             // -j; reset per run
  int overwrite_none = 0;         // -n; reset per run
  int overwrite_all = 0;          // -o; reset per run
  int assume_yes = 0;             // -o; reset per run
  int quiet = 0;                  // -q/-p; reset per run
  int spaces_to_underscores = 0;  // -s
  int volume_labels = 0;          // -$: 1 removable media, 2 also fixed disks
  int test_only = 0;              // -t; in report mode the totals line; reset per run
  int update = 0;                 // -u/-f; reset per run
  int keep_case = 0;              // -U; reset per run
  int list_mode = 0;              // -l/-v: 0 extract, 1 short, 2+ verbose; reset per run
  int keep_versions = 0;          // -V
  int show_comment = 0;           // -z; reset per run
  int report_mode = 0;            // program name arcinfo/ii, or -Z; reset per run
  int report_format = -1;         // -1 not chosen, 1, 2, 3, 4, 5 or 10
  int extracting_to_disk = 0;     // derived by parse_options
  int create_directories = 0;     // derived when -d is taken
  int all_members = 0;            // no member pattern given; set every run
};

// The argument vector split by engine_main. Lists point into the caller's
// vector, whose list ends are replaced by NULL entries.
struct ArgLists {
  char* archive_pattern = nullptr;  // archive argument as given (may hold wildcards)
  char** patterns = nullptr;        // NULL-terminated member patterns
  int pattern_count = 0;            // 0 with the default list {"*"}
  char** exclusions = nullptr;      // NULL-terminated exclusion patterns
  int exclusion_count = 0;
};

struct EndRecord {
  std::uint16_t this_disk = 0;
  std::uint16_t dir_start_disk = 0;
  std::uint16_t entries_this_disk = 0;
  std::uint16_t entries_total = 0;
  std::uint32_t dir_size = 0;
  std::uint32_t dir_offset = 0;
  std::uint16_t comment_length = 0;
};

// The archive being processed (process_archive).
struct ArchiveState {
  const char* current_archive = nullptr;  // name being processed
  sys::FileHandle archive_fd;             // open from open_archive to the end of process_archive
  std::int64_t archive_length = 0;        // bytes
  EndRecord end;
  std::int64_t end_record_offset = 0;     // file offset of the end record's signature
  std::int64_t expected_end_offset = 0;   // directory offset + directory size, as stated
  std::int64_t prefix_bytes = 0;          // bytes in front of (negative: missing from) the archive
  int end_record_missing = 0;             // set once, never cleared in a program run
  std::array<std::uint8_t, 4> local_signature{};
  std::array<std::uint8_t, 4> central_signature{};
  std::array<std::uint8_t, 4> end_signature{};
  std::array<std::uint8_t, 4> signature{};  // last 4 bytes read for a signature check
  sys::FileStatus stat_buffer;
};

// The buffered archive reader and the global bit reader.
struct InputState {
  std::unique_ptr<std::uint8_t[]> input_buffer;  // input_block_size + input_spare_size, per run
  std::uint8_t* input_pos = nullptr;             // next unread byte
  long input_left = 0;                           // unread bytes at input_pos (signed)
  std::int64_t buffer_file_offset = 0;           // file offset of input_buffer[0]
  long compressed_left = 0;                      // member bytes not yet taken by read_byte
  std::uint32_t bit_buffer = 0;                  // read_bits accumulator, LSB first
  int bit_count = 0;                             // may go negative when data ran out
  std::uint8_t input_exhausted = 0;
};

struct CentralHeader {
  std::uint8_t version_made = 0;  // zip format version, times ten
  std::uint8_t host_made = 0;     // host byte
  std::uint8_t version_needed = 0;
  std::uint8_t host_needed = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t time = 0;
  std::uint16_t date = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
  std::uint16_t name_length = 0;
  std::uint16_t extra_length = 0;
  std::uint16_t comment_length = 0;
  std::uint16_t disk_start = 0;
  std::uint16_t internal_attr = 0;
  std::uint32_t external_attr = 0;
  std::uint32_t local_offset = 0;
};

struct LocalHeader {
  std::uint8_t version_needed = 0;
  std::uint8_t host_needed = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t time = 0;
  std::uint16_t date = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
  std::uint16_t name_length = 0;
  std::uint16_t extra_length = 0;
};

// MemberInfo flag bits.
enum MemberFlag : std::uint8_t {
  member_encrypted = 0x01,
  member_data_descriptor = 0x02,
  member_text = 0x04,
  member_convert_line_ends = 0x08,
  member_lowercase = 0x10,
  member_volume_label = 0x20,
};

struct MemberInfo {
  std::uint32_t local_offset = 0;     // archive offset of the local header (before prefix_bytes)
  std::uint32_t compressed_size = 0;  // from the central header
  std::uint32_t crc = 0;              // from the central header
  int host = 0;                       // host byte, 12 for any value above 11
  std::uint32_t file_attributes = 0;  // low byte of external attributes | 0x20
  std::uint8_t flags = 0;             // MemberFlag bits
};

// Member level (extract_members and its helpers).
struct MemberState {
  CentralHeader central;
  LocalHeader local;
  std::array<MemberInfo, member_batch_size> member_batch{};
  MemberInfo* current_member = nullptr;
  std::array<char, member_name_size> member_name{};  // member name, then its output path
  std::unique_ptr<std::uint8_t[]> extra_field;       // current extra field
  unsigned extra_field_length = 0;
  std::uint32_t expected_output_size = 0;
  std::array<char, answer_size> answer{};  // replies to the engine's terminal questions
  int option_files_yes = 0;                // installer's answer, kept for the program run
  int option_files_no = 0;
  int backups_made = 0;                    // a backup copy was made (read by the installer)
};

// The output stream (flush_output).
struct OutputState {
  std::array<std::uint8_t, output_window_size> output_window{};
  std::uint8_t* output_pos = nullptr;
  unsigned output_count = 0;
  std::unique_ptr<std::uint8_t[]> output_buffer;      // output_buffer_size, per run
  std::unique_ptr<std::uint8_t[]> conversion_buffer;  // allocated on demand, released per run
  int output_file = -1;                               // descriptor of the member's output
  sys::FileHandle output_owner;                       // owns output_file when it is a file
  std::uint32_t running_crc = 0;
  int new_output_file = 0;
  int last_was_cr = 0;
  int disk_full_state = 0;  // 0 fine, 1 continue after a failed write, 2 stop
  long used_compressed = 0; // compressed bytes explode used
};

struct EngineState {
  EngineOptions opt;
  ArgLists args;
  ArchiveState archive;
  InputState in;
  MemberState member;
  OutputState out;
  NameState names;
  WildcardState wild;
  InflateState inflate;
  ExplodeState explode;
  UnshrinkState unshrink;
  UnreduceState unreduce;
  ReportState report;
  EngineHooks* hooks = nullptr;  // set by the embedding program; may stay null
};

// The program's one engine state.
extern EngineState engine;
