// An instance as the JSON object of `zuv describe`:
// {"model","inputs":[{"name","type"}],"outputs":[{"name","type","maxSize","fifo"}],
//  "properties":[{"name","type","value","flags"(,"choices")}],"actions":[names]}
// Errors: none. Threading: reads the instance; call while nothing changes it.
#pragma once

#include <nlohmann/json.hpp>

#include "maps_runtime.h"

namespace zuv::tool {

nlohmann::ordered_json propertyValueJson(const host::PropertyValue &value);
nlohmann::ordered_json describeInstance(const host::Instance &instance);

}  // namespace zuv::tool
