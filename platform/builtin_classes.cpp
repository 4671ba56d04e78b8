#include "platform/builtin_classes.h"

namespace varnelle::platform {

std::vector<std::pair<Text, ClassFactory>> builtin_classes() {
  return {
  };
}

}  // namespace varnelle::platform
