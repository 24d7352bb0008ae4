// The archive loop and the buffered archive reader.
//
// process_archives walks the names the archive argument expands to; for each
// one process_archive finds the end-of-central-directory record, checks and
// corrects the offsets it states and hands the central directory to the
// listing, the report or the member loop. Every read of the archive goes
// through the single 2048-byte input_buffer, whose file offset is always a
// multiple of 2048 (seek_archive, read_block, read_string_field).
#pragma once

#include <cstdint>

#include "engine/engine_state.h"

// Modes of read_string_field.
enum FieldMode : int {
  field_skip = 0,       // move past the field
  field_display = 1,    // the archive (or member) comment, to standard output
  field_file_name = 2,  // into member_name (cut to 260 characters)
  field_extra = 3,      // into extra_field
};

// Appended to messages about a damaged archive.
inline constexpr char advice_text[] =
    "  (please check that you have transferred or created the zipfile in the\n"
    "  appropriate BINARY mode and that you have compiled unpak properly)\n";

// Search length of the end record in extraction mode (a comment of up to
// 65535 bytes plus the record, with some room).
inline constexpr std::int64_t end_search_length = 66000;

// The run's combined result over every archive name; releases the run's buffers.
[[nodiscard]] int process_archives(EngineState& s);

// Processes s.archive.current_archive. With last_chance 0 a missing file is
// silent and gives 9 so that the caller may retry with ".zip".
[[nodiscard]] int process_archive(EngineState& s, int last_chance);

// Opens current_archive; 0, or 1 after the can't-open message.
[[nodiscard]] int open_archive(EngineState& s);

// Looks for the end record at most search_length bytes from the end of the
// file; 0 (record read), 2 (not found) or 51.
[[nodiscard]] int find_end_record(EngineState& s, std::int64_t search_length);

// Shows the archive comment when asked to; 0, or 1 when it was cut short.
[[nodiscard]] int show_archive_comment(EngineState& s);

// Positions the reader at an archive offset (prefix_bytes is added); 0, 3 or 51.
[[nodiscard]] int seek_archive(EngineState& s, std::int64_t offset);

// Copies count bytes from the archive; returns the count copied (fewer at the
// end of the file) or -1 on a read error.
[[nodiscard]] int read_block(EngineState& s, void* buffer, unsigned count);

// Reads, shows or skips a variable-length header field; 0, 1 (name cut), 3 or 51.
[[nodiscard]] int read_string_field(EngineState& s, unsigned length, FieldMode mode);

// "arcinfo" in report mode, else "unpak": the program name in messages.
[[nodiscard]] const char* engine_program_name(const EngineState& s);

// Closes the archive file.
void close_archive(EngineState& s);
