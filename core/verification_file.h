// The record file a newly entered master password is checked against.
#pragma once

#include <string>
#include <string_view>

#include "core/configuration.h"

namespace veltrix {

// The current Identity's file, else the first Identity, Web Login or Secure Note file, in that
// order; empty when the vault holds no record yet.
std::u16string FindVerificationFile(config::Settings& settings);

// What the vault says about a newly entered password.
enum class VaultPasswordCheck {
    Matches,          // a record file holds this password
    DoesNotMatch,     // the first record file that can tell holds another password
    NoRecordCanTell,  // no record file can tell: there is none, or each is unreadable or damaged
};
// Checks `password` against the verification file, and when that cannot tell (unreadable, not a
// regular file, too short or with a damaged verification block), against the other record files
// of the three folders in turn, so that one damaged file does not lock the vault. Only the
// verification block of each file is examined.
VaultPasswordCheck CheckPasswordAgainstVault(config::Settings& settings,
                                             std::u16string_view password);

}  // namespace veltrix
