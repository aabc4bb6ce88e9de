#include "platform/status.h"

#include <system_error>

namespace varnok {

std::string Status::reason() const
{
    return std::generic_category().message(error_);
}

} // namespace varnok
