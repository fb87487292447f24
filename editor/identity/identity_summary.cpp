#include "editor/identity/identity_summary.h"

namespace veltrix::editor::identity {
namespace {

std::u16string Phone(const CIdentity& identity, IdentityKey area, IdentityKey number) {
    return PhoneText(identity.Get(area), identity.Get(number));
}

}  // namespace

std::u16string PhoneText(std::u16string_view area, std::u16string_view number) {
    std::u16string text(area);
    if (!area.empty() && !number.empty()) {
        text += u'-';
    }
    text += number;
    return text;
}

IdentitySummary BuildSummary(const CIdentity& identity) {
    return {{
        {u"Name:", identity.GetFullName()},
        {u"E-Mail Address:", identity.Get(IdentityKey::Email)},
        {u"Home Phone:", Phone(identity, IdentityKey::HomePhone1, IdentityKey::HomePhone2)},
        {u"Home Fax:", Phone(identity, IdentityKey::HomeFax1, IdentityKey::HomeFax2)},
        {u"Mobile Phone:", Phone(identity, IdentityKey::Cell1, IdentityKey::Cell2)},
        {u"Work Phone:", Phone(identity, IdentityKey::WorkPhone1, IdentityKey::WorkPhone2)},
        {u"Work Mobile:", Phone(identity, IdentityKey::WorkMobile1, IdentityKey::WorkMobile2)},
    }};
}

}  // namespace veltrix::editor::identity
