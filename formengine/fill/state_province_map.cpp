#include "formengine/fill/state_province_map.h"

#include <array>
#include <utility>

namespace veltrix {
namespace {

// Quebec is "QU" and Newfoundland and Labrador "NF", as the Identity editor stores them.
constexpr std::array<std::pair<std::u16string_view, std::u16string_view>, 65> kStates = {{
    {u"AL", u"Alabama"},
    {u"AK", u"Alaska"},
    {u"AR", u"Arkansas"},
    {u"AZ", u"Arizona"},
    {u"CA", u"California"},
    {u"CO", u"Colorado"},
    {u"CT", u"Connecticut"},
    {u"DE", u"Delaware"},
    {u"DC", u"District of Columbia"},
    {u"FL", u"Florida"},
    {u"GA", u"Georgia"},
    {u"HI", u"Hawaii"},
    {u"ID", u"Idaho"},
    {u"IL", u"Illinois"},
    {u"IN", u"Indiana"},
    {u"IA", u"Iowa"},
    {u"KS", u"Kansas"},
    {u"KY", u"Kentucky"},
    {u"LA", u"Louisiana"},
    {u"ME", u"Maine"},
    {u"MD", u"Maryland"},
    {u"MA", u"Massachusetts"},
    {u"MI", u"Michigan"},
    {u"MN", u"Minnesota"},
    {u"MO", u"Missouri"},
    {u"MS", u"Mississippi"},
    {u"MT", u"Montana"},
    {u"NE", u"Nebraska"},
    {u"NV", u"Nevada"},
    {u"NH", u"New Hampshire"},
    {u"NJ", u"New Jersey"},
    {u"NM", u"New Mexico"},
    {u"NY", u"New York"},
    {u"NC", u"North Carolina"},
    {u"ND", u"North Dakota"},
    {u"OH", u"Ohio"},
    {u"OK", u"Oklahoma"},
    {u"OR", u"Oregon"},
    {u"PA", u"Pennsylvania"},
    {u"PR", u"Puerto Rico"},
    {u"RI", u"Rhode Island"},
    {u"SC", u"South Carolina"},
    {u"SD", u"South Dakota"},
    {u"TN", u"Tennessee"},
    {u"TX", u"Texas"},
    {u"UT", u"Utah"},
    {u"VA", u"Virginia"},
    {u"VT", u"Vermont"},
    {u"WA", u"Washington"},
    {u"WV", u"West Virginia"},
    {u"WI", u"Wisconsin"},
    {u"WY", u"Wyoming"},
    {u"AB", u"Alberta"},
    {u"BC", u"British Columbia"},
    {u"MB", u"Manitoba"},
    {u"NB", u"New Brunswick"},
    {u"NF", u"Newfoundland and Labrador"},
    {u"NT", u"Northwest Territories"},
    {u"NS", u"Nova Scotia"},
    {u"NU", u"Nunavut"},
    {u"ON", u"Ontario"},
    {u"PE", u"Prince Edward Island"},
    {u"QU", u"Quebec"},
    {u"SK", u"Saskatchewan"},
    {u"YT", u"Yukon Territory"},
}};

}  // namespace

std::optional<std::u16string_view> StateOrProvinceName(std::u16string_view abbreviation) {
    for (const auto& [code, name] : kStates) {
        if (code == abbreviation) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace veltrix
