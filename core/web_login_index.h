// The Web Login URL index: under "Web Login URLs" of the configuration, one string value per site
// key whose data is the names of the Web Logins saved for that site, joined by '|'. Names compare
// without regard to letter case. The index has no lock: two processes updating one site at once
// can lose an update.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/configuration.h"

namespace veltrix {

// The names saved for the site of `url`, in stored order; the split stops at the first empty
// piece. Empty when the site key is empty or the site has no value.
std::vector<std::u16string> LookupWebLogins(config::Settings& settings, std::u16string_view url);

// Enters `name` under the site of `url`, unless it is already there (then true without writing).
// False for an empty site key or an empty name, or when the write fails.
bool AddWebLoginToIndex(config::Settings& settings, std::u16string_view url,
                        std::u16string_view name);

// Takes `name` out of the site of `url`; the value is deleted when no name remains. False when the
// name is not entered there, or when the write fails.
bool RemoveWebLoginFromIndex(config::Settings& settings, std::u16string_view url,
                             std::u16string_view name);

// Enters `name` under the site of `url` and takes it out of every other site: a Web Login is one
// file with one page address, so it belongs to one site. For a record whose address may have
// changed without its old address being known; it reads every site's entry.
bool IndexWebLoginUnder(config::Settings& settings, std::u16string_view url,
                        std::u16string_view name);

// The same for a record whose old address is known: takes `name` out of the site of `oldUrl` when
// that is another site, and enters it under the site of `url`. Reads two sites' entries at most.
bool MoveWebLoginInIndex(config::Settings& settings, std::u16string_view oldUrl,
                         std::u16string_view url, std::u16string_view name);

}  // namespace veltrix
