#pragma once

namespace varnok {

// The keyword lines the program writes into essays and looks for in them.

// The line below which the person writes.
inline constexpr char kExplainYourself[] = "EXPLAIN YOURSELF";
// Without the colon: gathering leaves out any line that merely mentions the
// word, not only response lines.
inline constexpr char kResponseWord[] = "RESPONSE";

} // namespace varnok
