// The record file a newly entered master password is checked against.
#pragma once

#include <string>

#include "core/configuration.h"

namespace veltrix {

// The current Identity's file, else the first Identity, Web Login or Secure Note file, in that
// order; empty when the vault holds no record yet.
std::u16string FindVerificationFile(config::Settings& settings);

}  // namespace veltrix
