// Opaque and stable identifiers of revisions, as PDM systems hand out for their objects.
#pragma once

#include <string>
#include <string_view>

namespace zelgw {

std::string MakeObjectId(std::string_view itemId, std::string_view revision);

}  // namespace zelgw
