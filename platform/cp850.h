// Code page 850, the OEM character set in which the installer keeps its
// message catalogue (and in which zip archives usually store member names).
//
// The windowing layer shows catalogue texts through these conversions rather
// than the system's OEM-to-ANSI routines: those follow the machine's OEM code
// page (437 on many systems), which differs from 850 in the upper half.
// Pure functions, no system headers: the catalogue's table test runs them
// natively as well.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Unicode character of one code page 850 byte.
char16_t cp850_to_unicode(unsigned char byte);

std::u16string cp850_to_utf16(std::string_view text);
std::string cp850_to_utf8(std::string_view text);
// Characters without a code page 850 byte become '?'.
std::string utf16_to_cp850(std::u16string_view text);
