// State of the detailed report (report mode), one sub-record of EngineState.
//
// The report's texts that change per member (the date, the method labels of
// imploded, deflated and unknown methods) live here rather than in function
// statics, so that a test on a fresh EngineState starts from known contents.
// Each call that fills one of them overwrites it; a caller that needs two
// dates at once must copy the first.
#pragma once

#include <array>

inline constexpr unsigned report_date_size = 32;    // "2107 ??? 31 31:63:62" and a margin
inline constexpr unsigned report_label_size = 24;   // "unknown (4294967295)", "u65535"
inline constexpr unsigned report_field_width = 15;  // attribute field of a one-line entry

struct ReportState {
  std::array<char, report_date_size> date_text{};     // format_member_date's result
  std::array<char, report_label_size> short_label{};  // "i8:3", "defN", "u012": per member
  std::array<char, report_label_size> long_label{};   // "unknown (12)": per member
};
