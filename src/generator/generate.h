#pragma once

#include "core/context.h"
#include "generator/essaywriter.h"

namespace varnok {

// Generate: gathers lines from the selected files of the Essays list, cuts,
// shuffles and regroups them as the options say, and writes a generated essay.
void bFunEssayClick(Context &ctx);

// Asks how many lines to keep and writes them to a new ".gen" file named by
// the date stamp and the count. Writes nothing when the person cancels or
// asks for a negative count.
void MakeEssay(Context &ctx, EssayText &essay);

} // namespace varnok
