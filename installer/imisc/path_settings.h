// The product's path settings files: reading an earlier installation's data
// folders, and rewriting the path entries of the new installation's options
// file.
//
// Two layouts exist, told apart by the version text (line 1 from its fourth
// character):
//  - keyed, in STANDARD.VPA from version 2.50 on: lines such as
//    DownloadPath="C:\DL" (key, equals sign, value in double quotes);
//  - by line number, in the older VOKPATH.DAT and in an options file below
//    2.50: download folder on line 2, upload on 4, capture on 6, then (from
//    2.50 on, in the path file) one extra line, then script and options.
// Every other line is a setting of the product and is copied unchanged.
//
// Lines are read as the product writes them: line 1 with room for 62
// characters, every other line for 258, each followed by a line end that is
// removed after reading. Text mode, so CR LF on Windows and LF on POSIX.
// Where this code departs from a plain "drop the last character" reading:
//  - a last line without a line end keeps all its characters, read or copied;
//  - a line too long for its buffer stays one line: the reader uses only its
//    beginning (a keyed value there is not taken, a numbered path line reads
//    as empty) and the rewriter copies it whole.
// A keyed line shorter than its key plus two characters has no value: the
// reader keeps the field as it was and the rewriter writes the line as it is.
#pragma once

#include <array>
#include <cstddef>

#include "installer/imisc/install_settings.h"
#include "installer/imisc/path_text.h"

inline constexpr std::size_t version_capacity = 64;

// An earlier installation's folders as its settings files give them.
struct EarlierInstallation {
  PathText earlier_download = path_literal("DOWNLOAD");  // download folder as stored
  PathText earlier_upload = path_literal("UPLOAD");      // upload folder as stored
  PathText earlier_capture = path_literal("LOG");        // capture (log) folder as stored
  PathText earlier_script = path_literal("SCRIPT");      // script folder as stored
  PathText earlier_options = path_literal("OPTIONS");    // options folder as stored
  PathText earlier_options_dir{};                        // absolute options folder (empty: none known)
  PathText earlier_script_dir{};                         // absolute script folder (empty: none known)
  std::array<char, version_capacity> earlier_version{};  // version text of the file read
  int earlier_found = 0;    // 1: a settings file of the earlier installation was read
  int earlier_is_beta = 0;  // 1: the earlier installation is a beta version
};

extern EarlierInstallation earlier_installation;

// Fills `earlier` from `options_file` (keyed layout) or, when that cannot be
// opened, `path_file` (numbered lines); relative folders are resolved
// against `existing_path`. Returns 1 when one of the files was read.
int read_path_settings(EarlierInstallation& earlier, const char* existing_path, const char* options_file,
                       const char* path_file);

// Rewrites the path entries of the file named by `name` behind its first
// backslash ("OPTIONS\STANDARD.VPA") inside settings.options_path, with the
// folders of `settings` made relative to settings.destination_path, through
// STANDARD.TMP in the same folder. When the options file cannot be replaced
// it keeps its content; the temporary file is removed either way.
void rewrite_path_settings(const InstallSettings& settings, const char* name);

// The part of `path` below `base`: behind `base` and one backslash, empty
// for `base` itself; `path` unchanged when it is not `base` or below it.
// Letter case is ignored.
[[nodiscard]] const char* make_relative(const char* base, const char* path);

// The same over the program's records: the dialog's and the worker's calls.
// Reads install_settings.existing_path and fills earlier_installation.
int read_path_settings(const char* options_file, const char* path_file);
void rewrite_path_settings(const char* name);

// Version texts compared by their first four characters, ignoring case.
[[nodiscard]] int compare_version(const char* version, const char* other);
