// vtx form: what the form engine makes of a page, for users and scripts.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "core/configuration.h"

namespace veltrix::vtx {

// One line per form ("form", number, login=, identity=, fields=) followed by one line per field
// (index, kind, type, name, size, maximum length, key, label), tab-separated.
int ScanPage(const std::string& page, std::ostream& out);

// Fills every form of the page that is not a login form with the Identity, after storing the
// card and account given as the Identity's choices; then one line per field of every form
// (form, index, name, value, checked, highlighted).
int FillPage(config::Settings& settings, const std::string& page, const std::string& identity,
             const std::optional<std::string>& card, const std::optional<std::string>& account,
             std::ostream& out);

}  // namespace veltrix::vtx
