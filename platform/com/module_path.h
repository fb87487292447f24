// Where a loaded library or program lives.
#pragma once

#include <filesystem>

namespace veltrix::com {

// The absolute path of the loaded library or program that holds `address`; empty when unknown.
// Servers write their own path into the registry with it.
std::filesystem::path ModulePathOf(const void* address);

}  // namespace veltrix::com
