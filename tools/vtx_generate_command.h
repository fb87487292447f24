// vtx generate: one password drawn with the generator's settings, which the options override for
// this call and which are then stored, as the generator's Generate button stores them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/configuration.h"

namespace veltrix::vtx {

// `words` is the command line from "generate" on: [--length N] [--preferences BITS]
// [--special TEXT]. Prints the password and a line end; a refused length shows the generator's
// message through the UI port (exit 1); a misused option returns kUsage with `misuse` set.
int RunGenerate(config::Settings& settings, const std::vector<std::string>& words,
                std::ostream& out, std::string& misuse);

}  // namespace veltrix::vtx
