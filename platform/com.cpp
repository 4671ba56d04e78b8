#include "platform/com.h"

#include <map>
#include <mutex>

#include "platform/builtin_classes.h"

namespace varnelle::platform {
namespace {

thread_local int tls_init_count = 0;

class ClassRegistry {
 public:
  static ClassRegistry& instance() {
    static ClassRegistry registry;
    return registry;
  }

  ClassFactory put(const Text& progid, ClassFactory factory) {
    std::lock_guard lock(mutex_);
    ClassFactory& slot = classes_[progid];
    ClassFactory previous = std::move(slot);
    slot = std::move(factory);
    if (!slot) classes_.erase(progid);
    return previous;
  }

  ClassFactory find(const Text& progid) {
    std::lock_guard lock(mutex_);
    auto it = classes_.find(progid);
    return it == classes_.end() ? ClassFactory{} : it->second;
  }

 private:
  ClassRegistry() {
    for (auto& [progid, factory] : builtin_classes()) classes_[progid] = std::move(factory);
  }

  std::mutex mutex_;
  std::map<Text, ClassFactory> classes_;
};

}  // namespace

long CoInitialize(void*) { return tls_init_count++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (tls_init_count > 0) --tls_init_count;
}

int com_init_count() { return tls_init_count; }

ClassFactory register_class(const Text& progid, ClassFactory factory) {
  return ClassRegistry::instance().put(progid, std::move(factory));
}

ClassFactory unregister_class(const Text& progid) {
  return ClassRegistry::instance().put(progid, ClassFactory{});
}

bool create_object(const Text& progid, ComObject& holder) {
  holder.release();
  if (tls_init_count == 0) return false;
  ClassFactory factory = ClassRegistry::instance().find(progid);
  if (!factory) return false;
  try {
    std::shared_ptr<AutomationObject> object = factory();
    if (!object) return false;
    holder = ComObject(std::move(object));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace varnelle::platform
