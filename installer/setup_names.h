// Names the program uses as they stand, in every language: archive file
// names, window class names, the user-profile application and keys.
#pragma once

#include <array>

// The archives, in probing order; the index is the run's language.
inline constexpr std::array<const char*, 3> archive_names = {"INSTALL.FIL", "INSTALLD.FIL", "INSTALLF.FIL"};
// Dialog templates by language.
inline constexpr std::array<int, 3> dialog_templates = {100, 101, 102};

inline constexpr char progress_bar_class[] = "ProgressBar";
inline constexpr char text_window_class[] = "ShowTextWindow";

// The product's profile application name ends with a blank.
inline constexpr char profile_application[] = "Vokatel ";
inline constexpr char profile_home_path[] = "HomePath";
inline constexpr char profile_window_pos[] = "WindowPos";

inline constexpr char VERSION_SUFFIX[] = " V3.062";
