#pragma once
// COM stand-in: per-thread initialisation and creation of automation objects by ProgID through a
// registry of classes. Creation fails when the ProgID is unknown or COM is not initialised on the
// calling thread. Tests may register, replace or remove classes.

#include <functional>
#include <memory>

#include "platform/com_object.h"
#include "text/text.h"

namespace varnelle::platform {

inline constexpr long S_OK = 0;
inline constexpr long S_FALSE = 1;

// S_OK for the first initialisation on the thread, S_FALSE for every nested one.
long CoInitialize(void* reserved = nullptr);
// Undoes one CoInitialize of this thread; does nothing when there is none to undo.
void CoUninitialize();
// How many CoInitialize calls of this thread are not undone yet.
int com_init_count();

using ClassFactory = std::function<std::shared_ptr<AutomationObject>()>;

// Registers (or replaces) a class; returns the factory it replaced, empty if none.
ClassFactory register_class(const Text& progid, ClassFactory factory);
// Removes a class; returns its factory, empty if none.
ClassFactory unregister_class(const Text& progid);

// Creates an object of the class registered under progid into holder. On failure the holder is
// left empty and false is returned.
bool create_object(const Text& progid, ComObject& holder);

}  // namespace varnelle::platform
