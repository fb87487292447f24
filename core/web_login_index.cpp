#include "core/web_login_index.h"

#include <algorithm>
#include <optional>

#include "core/configuration.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace veltrix {
namespace {

using platform::Hive;

constexpr char16_t kSeparator = u'|';

std::u16string IndexKey() {
    return config::SectionKey(config::kWebLoginUrlsSection);
}

// The raw value of a site, or nullopt when the site key is empty or the value is missing.
std::optional<std::u16string> ReadSite(config::Settings& settings, std::u16string_view site) {
    std::u16string value;
    if (site.empty() || !settings.GetConfigString(Hive::CurrentUser, IndexKey(), site, value)) {
        return std::nullopt;
    }
    return value;
}

// Splits at '|'; an empty piece ends the list.
std::vector<std::u16string> SplitNames(std::u16string_view value) {
    std::vector<std::u16string> names;
    while (!value.empty()) {
        std::size_t end = std::min(value.find(kSeparator), value.size());
        if (end == 0) {
            break;
        }
        names.emplace_back(value.substr(0, end));
        value.remove_prefix(std::min(end + 1, value.size()));
    }
    return names;
}

std::u16string JoinNames(const std::vector<std::u16string>& names) {
    std::u16string value;
    for (const auto& name : names) {
        if (!value.empty()) {
            value += kSeparator;
        }
        value += name;
    }
    return value;
}

bool ContainsName(const std::vector<std::u16string>& names, std::u16string_view name) {
    return std::any_of(names.begin(), names.end(), [name](const std::u16string& entry) {
        return text::EqualsNoCase(entry, name);
    });
}

}  // namespace

std::vector<std::u16string> LookupWebLogins(config::Settings& settings, std::u16string_view url) {
    auto value = ReadSite(settings, config::GetSiteKey(url));
    return value ? SplitNames(*value) : std::vector<std::u16string>{};
}

bool AddWebLoginToIndex(config::Settings& settings, std::u16string_view url,
                        std::u16string_view name) {
    std::u16string site = config::GetSiteKey(url);
    if (site.empty() || name.empty()) {
        return false;
    }
    std::u16string value = ReadSite(settings, site).value_or(std::u16string{});
    if (ContainsName(SplitNames(value), name)) {
        return true;
    }
    if (!value.empty()) {
        value += kSeparator;
    }
    value += name;
    return settings.SetConfigString(Hive::CurrentUser, IndexKey(), site, value);
}

// Takes `name` out of the value of `site`; the value goes when no name remains.
static bool RemoveFromSite(config::Settings& settings, std::u16string_view site,
                           std::u16string_view name) {
    auto value = ReadSite(settings, site);
    if (!value) {
        return false;
    }
    std::vector<std::u16string> names = SplitNames(*value);
    if (!ContainsName(names, name)) {
        return false;
    }
    std::erase_if(names,
                  [name](const std::u16string& entry) { return text::EqualsNoCase(entry, name); });
    if (names.empty()) {
        return settings.SetConfigString(Hive::CurrentUser, IndexKey(), site, std::nullopt);
    }
    return settings.SetConfigString(Hive::CurrentUser, IndexKey(), site, JoinNames(names));
}

bool RemoveWebLoginFromIndex(config::Settings& settings, std::u16string_view url,
                             std::u16string_view name) {
    return RemoveFromSite(settings, config::GetSiteKey(url), name);
}

bool MoveWebLoginInIndex(config::Settings& settings, std::u16string_view oldUrl,
                         std::u16string_view url, std::u16string_view name) {
    const std::u16string oldSite = config::GetSiteKey(oldUrl);
    if (!oldSite.empty() && !text::EqualsNoCase(oldSite, config::GetSiteKey(url))) {
        RemoveFromSite(settings, oldSite, name);
    }
    return AddWebLoginToIndex(settings, url, name);
}

bool IndexWebLoginUnder(config::Settings& settings, std::u16string_view url,
                        std::u16string_view name) {
    const std::u16string site = config::GetSiteKey(url);
    for (const auto& entry : settings.Registry().EnumValues(Hive::CurrentUser, IndexKey())) {
        auto names = entry.value.AsString();
        if (names && !text::EqualsNoCase(entry.name, site) &&
            ContainsName(SplitNames(*names), name)) {
            RemoveFromSite(settings, entry.name, name);
        }
    }
    return AddWebLoginToIndex(settings, url, name);
}

}  // namespace veltrix
