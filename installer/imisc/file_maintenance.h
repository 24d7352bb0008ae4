// File maintenance of the installer: copying one file (optionally giving an
// old-style option file its new name), copying a directory tree, and the two
// passes over an installation directory that rename old option files and
// remove files the new version no longer uses.
//
// None of this shows a message: every operation reports failure by its
// result (or not at all) and the caller carries on. Paths that would exceed
// 259 characters are refused (a failed copy, a skipped entry), never cut.
#pragma once

#include <array>
#include <cstddef>

#include "installer/imisc/path_text.h"

// Old option file names and their new names, relative to an installation
// directory. Matched against the end of a copy's target, ignoring case; the
// first pair whose old name matches is used. /* old name => new name */
struct OptionFileRename {
  const char* old_name;
  const char* new_name;
};
inline constexpr std::array<OptionFileRename, 7> option_file_renames{{
    {"options\\standard", "options\\standard.vok"},
    {"options\\vokpath.dat", "options\\standard.vpa"},
    {"options\\vokphone.fee", "options\\standard.trf"},
    {"options\\vok.key", "options\\standard.vky"},
    {"options\\voktool.bar", "options\\standard.vtb"},
    {"options\\vokphone.opt", "options\\standard.vph"},
    {"script\\vokevent.cmd", "script\\vokevent.vrx"},
}};

// Files (and, marked by a leading "!", directories) that the new version no
// longer uses, relative to the installation directory, removed in this
// order: the sample directory after the seven samples it held.
inline constexpr std::array<const char*, 25> obsolete_files{
    "options\\standard",
    "options\\vokpath.dat",
    "options\\vokphone.fee",
    "options\\vok.key",
    "options\\voktool.bar",
    "options\\vokphone.opt",
    "viewpic1.exe",
    "viewpic2.exe",
    "proto_b.dll",
    "proto_k.dll",
    "lnkmodem.hlp",
    "lnktelnt.hlp",
    "lnkpipes.hlp",
    "script\\scrdemos\\misc\\1_start",
    "script\\scrdemos\\misc\\2_branch",
    "script\\scrdemos\\misc\\3_repeat",
    "script\\scrdemos\\misc\\4_dialer",
    "script\\scrdemos\\misc\\5_answer",
    "script\\scrdemos\\misc\\6_callbox",
    "script\\scrdemos\\misc\\7_callbox",
    "!script\\scrdemos\\misc",
    "script\\vokevent.cmd",
    "log\\keepdir.tmp",
    "upload\\keepdir.tmp",
    "download\\keepdir.tmp",
};
static_assert(obsolete_files[20][0] == '!', "the sample directory follows its samples");

enum class RenameResult {
  unchanged,  // no old name matches: `out` is the target as given
  renamed,    // `out` is the target with its new name
  too_long,   // the new name would exceed 259 characters: `out` is empty
};

// The target of a renaming copy: `target` with the first matching old name
// at its end replaced by the new name (exactly as the table writes it).
[[nodiscard]] RenameResult option_file_new_name(const char* target, PathText& out);

// Copies `source` over `target`, replacing an existing file. With `rename`
// the copy goes to option_file_new_name(target); `target` itself is not
// changed. Returns 1 when the copy succeeded, 0 when it failed or the new
// name would be too long.
int copy_file(const char* source, const char* target, bool rename);

// Copies every file below `source_dir` to the same place below `target_dir`
// (directories first, then files; directories whose names begin with "."
// are not entered), creating `target_dir` (one level) and the directories
// below it. Returns 1 when the copy was carried out, whatever became of the
// single files, and 0 when it was refused: an empty directory name, the same
// directory (ignoring case), a target inside the source, a source too long
// to list, or a target that cannot be created.
int copy_tree(const char* source_dir, const char* target_dir, bool rename);

enum class OldFilesMode : int {
  rename_options = 0,   // copy old-named option files to their new names
  delete_obsolete = 1,  // delete `obsolete_files` (status line: cleanup)
};

// Any other mode does nothing.
void handle_old_files(const char* directory, int mode);
