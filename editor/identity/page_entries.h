// What a page shows, by key, and how it goes into the record and back. The pages hand their
// controls' texts over as entries; the rules of loading and storing live here, not in the widgets.
#pragma once

#include <map>
#include <span>
#include <string>

#include "core/identity.h"

namespace veltrix::editor::identity {

// The texts a page shows, by the key each control edits; a missing key reads as empty.
template <typename Key>
using Entries = std::map<Key, std::u16string>;

template <typename Key>
const std::u16string& EntryText(const Entries<Key>& entries, Key key) {
    static const std::u16string kEmpty;
    const auto found = entries.find(key);
    return found == entries.end() ? kEmpty : found->second;
}

using PersonalEntries = Entries<IdentityKey>;
using CardEntries = Entries<CardKey>;
using AccountEntries = Entries<AccountKey>;

// The keys the Personal page edits; the keys of a card and an account its page edits (all but
// the name, which the name list and its buttons handle).
std::span<const IdentityKey> PersonalKeys();
std::span<const CardKey> CardPageKeys();
std::span<const AccountKey> AccountPageKeys();

// The Personal page's texts: sex as its list entry, the birth date only when its year is set and
// the licence expiry only when its year is set (else all three blank).
PersonalEntries LoadPersonal(const CIdentity& identity);
// Copies every field of the Personal page, sex as the first letter of its entry.
void StorePersonal(CIdentity& identity, const PersonalEntries& entries);

CardEntries LoadCard(const CCreditCard& card);
// Copies the page into the card; a month and year pair is stored only when both are chosen,
// otherwise both become empty.
void StoreCard(CCreditCard& card, const CardEntries& entries);

AccountEntries LoadAccount(const CBankAccount& account);
void StoreAccount(CBankAccount& account, const AccountEntries& entries);

}  // namespace veltrix::editor::identity
