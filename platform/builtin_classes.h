#pragma once
// The classes every process can create by ProgID without registering them first.

#include <utility>
#include <vector>

#include "platform/com.h"

namespace varnelle::platform {

std::vector<std::pair<Text, ClassFactory>> builtin_classes();

}  // namespace varnelle::platform
