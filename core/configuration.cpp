#include "core/configuration.h"

#include <array>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

#include "core/messages.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix::config {
namespace {

using platform::Hive;
using platform::Registry;
using platform::RegistryValue;
using platform::ValueType;

constexpr std::u16string_view kDataPath = u"DataPath";
constexpr std::u16string_view kInstallPath = u"InstallPath";
constexpr std::u16string_view kIdentitiesFolder = u"IdentitiesFolder";
constexpr std::u16string_view kWebLoginsFolder = u"WebLoginsFolder";
constexpr std::u16string_view kSecureNotesFolder = u"SecureNotesFolder";
constexpr std::u16string_view kExportToFolder = u"ExportToFolder";
constexpr std::u16string_view kHighlightColor = u"HighlightColor";
constexpr std::u16string_view kIdentity = u"Identity";
constexpr std::u16string_view kAutoLogoff = u"AutoLogoff";
constexpr std::u16string_view kPreferences = u"Preferences";
constexpr std::u16string_view kLength = u"Length";
constexpr std::u16string_view kSpecial = u"Special";
constexpr std::u16string_view kCreditCardChoice = u"CCC";
constexpr std::u16string_view kBankAccountChoice = u"CBA";

constexpr unsigned kExportTimeoutMs = 10000;

std::u16string ConfigurationKey() {
    return SectionKey(kConfigurationSection);
}

std::u16string FromPath(const std::filesystem::path& path) {
    return text::FromUtf8(path.string());
}

std::u16string WithTrailingSlash(std::u16string path) {
    if (path.empty() || path.back() != u'/') {
        path += u'/';
    }
    return path;
}

std::optional<std::u16string_view> RecordFolderValueName(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return kIdentitiesFolder;
        case RecordKind::WebLogin:
            return kWebLoginsFolder;
        case RecordKind::SecureNote:
            return kSecureNotesFolder;
        default:
            return std::nullopt;
    }
}

// `format` with its two "%s" replaced by `first` and `second`, in that order.
std::u16string FormatTwo(std::u16string_view format, std::u16string_view first,
                         std::u16string_view second) {
    std::u16string result;
    for (std::u16string_view argument : {first, second}) {
        const std::size_t at = format.find(u"%s");
        if (at == std::u16string_view::npos) {
            break;
        }
        result += format.substr(0, at);
        result += argument;
        format.remove_prefix(at + 2);
    }
    result += format;
    return result;
}

// Creates `folder` (0700) unless it already is one; reports the failure to the user.
bool CreateFolderLevel(const std::filesystem::path& folder) {
    std::error_code error;
    if (platform::CreatePrivateFolders(folder, error)) {
        return true;
    }
    ui::ShowMessage(FormatTwo(messages::kUnableToCreateFolder, FromPath(folder),
                              text::FromUtf8(platform::ErrorText(error.value()))));
    return false;
}

std::u16string ExcludedSiteKey(std::u16string_view siteKey) {
    return SectionKey(kExcludedUrlsSection, siteKey);
}

// --- Parsing and formatting for the by-name table ---

// Decimal with an optional sign (a negative number is stored as its 32-bit two's complement), or
// hexadecimal after "0x"; at most ten digits; nullopt when the text is not a number that fits in
// 32 bits.
std::optional<std::uint32_t> ParseDword(std::u16string_view text) {
    constexpr std::size_t kMaxDigits = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        text.remove_prefix(2);
        auto value = text::ParseInteger<std::uint32_t>(text, {.base = 16});
        if (!value || text.size() > kMaxDigits) {
            return std::nullopt;
        }
        return *value;
    }
    const std::size_t signs = !text.empty() && (text[0] == u'-' || text[0] == u'+') ? 1 : 0;
    auto value = text::ParseInteger<std::int64_t>(text, {.sign = true});
    if (!value || text.size() - signs > kMaxDigits ||
        *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

SetValueResult WriteResult(bool written) {
    return written ? SetValueResult::Ok : SetValueResult::WriteFailed;
}

template <bool (Settings::*Setter)(std::u16string_view)>
SetValueResult SetTextEntry(Settings& settings, std::u16string_view text) {
    return WriteResult((settings.*Setter)(text));
}

template <std::u16string (Settings::*Getter)()>
std::u16string GetTextEntry(Settings& settings) {
    return (settings.*Getter)();
}

template <RecordKind Kind>
std::u16string GetFolderEntry(Settings& settings) {
    return settings.GetRecordFolder(Kind);
}

template <RecordKind Kind>
SetValueResult SetFolderEntry(Settings& settings, std::u16string_view text) {
    return WriteResult(settings.SetRecordFolder(Kind, text));
}

SetValueResult SetHighlightColorEntry(Settings& settings, std::u16string_view text) {
    auto value = text::ParseInteger<std::uint32_t>(text, {.base = 16});
    if (!value || text.size() != 6) {
        return SetValueResult::InvalidValue;
    }
    return WriteResult(settings.SetHighlightColor(static_cast<std::uint8_t>(*value >> 16),
                                                  static_cast<std::uint8_t>(*value >> 8),
                                                  static_cast<std::uint8_t>(*value)));
}

std::u16string GetAutoLogoffEntry(Settings& settings) {
    return text::FromInt(settings.GetAutoLogoff());
}

SetValueResult SetAutoLogoffEntry(Settings& settings, std::u16string_view text) {
    auto value = ParseDword(text);
    if (!value) {
        return SetValueResult::InvalidValue;
    }
    return WriteResult(
        settings.SetConfigDword(Hive::CurrentUser, ConfigurationKey(), kAutoLogoff, *value));
}

std::u16string GetPreferencesEntry(Settings& settings) {
    return text::FromInt(settings.GetPreferences());
}

SetValueResult SetPreferencesEntry(Settings& settings, std::u16string_view text) {
    auto value = ParseDword(text);
    if (!value) {
        return SetValueResult::InvalidValue;
    }
    return WriteResult(settings.SetPreferences(*value));
}

const std::array<ConfigurationEntry, 10> kEntries = {{
    {kDataPath, ValueType::String, &GetTextEntry<&Settings::GetDataPath>,
     &SetTextEntry<&Settings::SetDataPath>},
    {kInstallPath, ValueType::String, &GetTextEntry<&Settings::GetInstallPath>,
     &SetTextEntry<&Settings::SetInstallPath>},
    {kIdentitiesFolder, ValueType::String, &GetFolderEntry<RecordKind::Identity>,
     &SetFolderEntry<RecordKind::Identity>},
    {kWebLoginsFolder, ValueType::String, &GetFolderEntry<RecordKind::WebLogin>,
     &SetFolderEntry<RecordKind::WebLogin>},
    {kSecureNotesFolder, ValueType::String, &GetFolderEntry<RecordKind::SecureNote>,
     &SetFolderEntry<RecordKind::SecureNote>},
    {kExportToFolder, ValueType::String, &GetTextEntry<&Settings::GetExportToFolder>,
     &SetTextEntry<&Settings::SetExportToFolder>},
    {kHighlightColor, ValueType::String, &GetTextEntry<&Settings::GetHighlightColor>,
     &SetHighlightColorEntry},
    {kIdentity, ValueType::String, &GetTextEntry<&Settings::GetCurrentIdentity>,
     &SetTextEntry<&Settings::SetCurrentIdentity>},
    {kAutoLogoff, ValueType::Dword, &GetAutoLogoffEntry, &SetAutoLogoffEntry},
    {kPreferences, ValueType::Dword, &GetPreferencesEntry, &SetPreferencesEntry},
}};

// Entries beyond this many are dropped at once rather than one by one; a browser session looks up
// one index value per site it visits, so the cache must not grow without bound.
constexpr std::size_t kMaxCachedValues = 512;

}  // namespace

std::u16string ProductKey() {
    std::u16string key(u"Software\\");
    key += kMakerName;
    key += u'\\';
    key += kProductName;
    return key;
}

std::u16string SectionKey(std::u16string_view section) {
    std::u16string key = ProductKey();
    key += u'\\';
    key += section;
    return key;
}

std::u16string SectionKey(std::u16string_view section, std::u16string_view item) {
    std::u16string key = SectionKey(section);
    key += u'\\';
    key += item;
    return key;
}

// --- Cache ---

Settings::Settings(platform::Registry& registry) : m_registry(registry) {}

std::optional<RegistryValue> Settings::Read(Hive hive, std::u16string_view subkey,
                                            std::u16string_view name) {
    std::u16string key(subkey);
    key += u'\0';
    key += name;
    const std::uint64_t stamp = m_registry.ChangeStamp();
    std::lock_guard lock(m_mutex);
    HiveCache& cache = m_caches[static_cast<int>(hive)];
    if (!cache.valid || cache.stamp != stamp || cache.values.size() >= kMaxCachedValues) {
        cache.values.clear();
        cache.stamp = stamp;
        cache.valid = true;
    } else if (auto found = cache.values.find(key); found != cache.values.end()) {
        return found->second;
    }
    // A write between the stamp and this read makes the next stamp differ, so the entry is never
    // newer than the stamp it is kept under.
    auto value = m_registry.GetValue(hive, subkey, name);
    cache.values.emplace(std::move(key), value);
    return value;
}

std::optional<std::u16string> Settings::ReadNonEmpty(Hive hive, std::u16string_view name) {
    std::u16string value;
    if (GetConfigString(hive, ConfigurationKey(), name, value) && !value.empty()) {
        return value;
    }
    return std::nullopt;
}

std::u16string Settings::GetStringOrDefault(std::u16string_view subkey, std::u16string_view name,
                                            std::u16string_view fallback, bool writeBack) {
    std::u16string value;
    if (GetConfigString(Hive::CurrentUser, subkey, name, value)) {
        return value;
    }
    if (writeBack) {
        SetConfigString(Hive::CurrentUser, subkey, name, fallback);
    }
    return std::u16string(fallback);
}

std::uint32_t Settings::GetDwordOrDefault(std::u16string_view subkey, std::u16string_view name,
                                          std::uint32_t fallback) {
    std::uint32_t value = 0;
    if (GetConfigDword(Hive::CurrentUser, subkey, name, value)) {
        return value;
    }
    SetConfigDword(Hive::CurrentUser, subkey, name, fallback);
    return fallback;
}

bool Settings::SetConfiguration(std::u16string_view name, std::u16string_view text) {
    return SetConfigString(Hive::CurrentUser, ConfigurationKey(), name, text);
}

// --- Low-level accessors ---

bool Settings::GetConfigString(Hive hive, std::u16string_view subkey, std::u16string_view name,
                               std::u16string& text) {
    auto value = Read(hive, subkey, name);
    if (!value || value->type != ValueType::String) {
        return false;
    }
    auto content = value->AsString();
    if (!content) {
        return false;
    }
    text = std::move(*content);
    return true;
}

bool Settings::SetConfigString(Hive hive, std::u16string_view subkey,
                               std::optional<std::u16string_view> name,
                               std::optional<std::u16string_view> text) {
    if (!text) {
        if (!name) {
            return m_registry.DeleteKeyTree(hive, subkey);
        }
        return m_registry.DeleteValue(hive, subkey, *name);
    }
    return m_registry.SetValue(hive, subkey, name.value_or(std::u16string_view{}),
                               RegistryValue::String(*text));
}

bool Settings::GetConfigDword(Hive hive, std::u16string_view subkey, std::u16string_view name,
                              std::uint32_t& value) {
    auto stored = Read(hive, subkey, name);
    if (!stored || stored->type != ValueType::Dword) {
        return false;
    }
    auto number = stored->AsDword();
    if (!number) {
        return false;
    }
    value = *number;
    return true;
}

bool Settings::SetConfigDword(Hive hive, std::u16string_view subkey, std::u16string_view name,
                              std::uint32_t value) {
    return m_registry.SetValue(hive, subkey, name, RegistryValue::Dword(value));
}

// --- Folders ---

std::u16string Settings::GetDataPath() {
    if (auto stored = ReadNonEmpty(Hive::CurrentUser, kDataPath)) {
        return *stored;
    }
    std::error_code error;
    auto dataFolder = platform::UserDataFolder(error);
    if (!dataFolder) {
        return GetInstallPath();
    }
    const std::filesystem::path maker = *dataFolder / text::ToUtf8(kMakerName);
    const std::filesystem::path product = maker / text::ToUtf8(kProductName);
    if (std::filesystem::is_directory(product, error)) {
        // The data root of an older version may be open to other users: it is ours alone.
        platform::TightenToPrivate(maker);
        platform::TightenToPrivate(product);
        return WithTrailingSlash(FromPath(product));
    }
    if (!CreateFolderLevel(maker) || !CreateFolderLevel(product)) {
        return GetInstallPath();
    }
    return WithTrailingSlash(FromPath(product));
}

bool Settings::SetDataPath(std::u16string_view path) {
    return SetConfiguration(kDataPath, path);
}

std::u16string DefaultInstallPath() {
    return WithTrailingSlash(FromPath(platform::ModuleFolder()));
}

std::u16string Settings::GetInstallPath() {
    auto stored = ReadNonEmpty(Hive::CurrentUser, kInstallPath);
    if (!stored) {
        stored = ReadNonEmpty(Hive::LocalMachine, kInstallPath);
    }
    if (!stored) {
        stored = DefaultInstallPath();
        SetConfiguration(kInstallPath, *stored);
    }
    return WithTrailingSlash(std::move(*stored));
}

bool Settings::SetInstallPath(std::u16string_view path) {
    return SetConfiguration(kInstallPath, path);
}

std::u16string Settings::GetRecordFolder(RecordKind kind) {
    auto name = RecordFolderValueName(kind);
    if (!name) {
        return {};
    }
    if (auto stored = ReadNonEmpty(Hive::CurrentUser, *name)) {
        return WithTrailingSlash(std::move(*stored));
    }
    return GetDataPath();
}

bool Settings::SetRecordFolder(RecordKind kind, std::u16string_view path) {
    auto name = RecordFolderValueName(kind);
    return name && SetConfiguration(*name, path);
}

std::u16string Settings::GetExportToFolder() {
    return GetStringOrDefault(ConfigurationKey(), kExportToFolder, {}, false);
}

bool Settings::SetExportToFolder(std::u16string_view path) {
    return SetConfiguration(kExportToFolder, path);
}

// --- Other values of the Configuration section ---

std::u16string Settings::GetHighlightColor() {
    return GetStringOrDefault(ConfigurationKey(), kHighlightColor, kDefaultHighlightColor, true);
}

bool Settings::SetHighlightColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string color;
    for (std::uint8_t component : {red, green, blue}) {
        color += kDigits[component >> 4];
        color += kDigits[component & 0xF];
    }
    return SetConfiguration(kHighlightColor, color);
}

std::u16string Settings::GetCurrentIdentity() {
    return GetStringOrDefault(ConfigurationKey(), kIdentity, {}, false);
}

bool Settings::SetCurrentIdentity(std::u16string_view name) {
    return SetConfiguration(kIdentity, name);
}

int Settings::GetAutoLogoff() {
    return static_cast<int>(GetDwordOrDefault(ConfigurationKey(), kAutoLogoff,
                                              static_cast<std::uint32_t>(kDefaultAutoLogoff)));
}

bool Settings::SetAutoLogoff(int minutes) {
    return SetConfigDword(Hive::CurrentUser, ConfigurationKey(), kAutoLogoff,
                          static_cast<std::uint32_t>(minutes));
}

std::uint32_t Settings::GetPreferences() {
    return GetDwordOrDefault(ConfigurationKey(), kPreferences, pref::kDefault);
}

bool Settings::SetPreferences(std::uint32_t preferences) {
    return SetConfigDword(Hive::CurrentUser, ConfigurationKey(), kPreferences, preferences);
}

// --- Generate and Toolbar sections ---

std::uint32_t Settings::GetGenerateLength(std::uint32_t defaultLength) {
    return GetDwordOrDefault(SectionKey(kGenerateSection), kLength, defaultLength);
}

bool Settings::SetGenerateLength(std::uint32_t length) {
    return SetConfigDword(Hive::CurrentUser, SectionKey(kGenerateSection), kLength, length);
}

std::uint32_t Settings::GetGeneratePreferences(std::uint32_t defaultPreferences) {
    return GetDwordOrDefault(SectionKey(kGenerateSection), kPreferences, defaultPreferences);
}

bool Settings::SetGeneratePreferences(std::uint32_t preferences) {
    return SetConfigDword(Hive::CurrentUser, SectionKey(kGenerateSection), kPreferences,
                          preferences);
}

std::u16string Settings::GetGenerateSpecial(std::u16string_view defaultSpecial) {
    return GetStringOrDefault(SectionKey(kGenerateSection), kSpecial, defaultSpecial, true);
}

bool Settings::SetGenerateSpecial(std::u16string_view special) {
    return SetConfigString(Hive::CurrentUser, SectionKey(kGenerateSection), kSpecial, special);
}

std::uint32_t Settings::GetToolbarPreferences() {
    return GetDwordOrDefault(SectionKey(kToolbarSection), kPreferences, kDefaultToolbarPreferences);
}

bool Settings::SetToolbarPreferences(std::uint32_t preferences) {
    return SetConfigDword(Hive::CurrentUser, SectionKey(kToolbarSection), kPreferences,
                          preferences);
}

// --- Sites ---

std::u16string GetSiteKey(std::u16string_view url) {
    if (text::StartsWithNoCase(url, u"file:")) {
        return std::u16string(url);
    }
    if (auto scheme = url.find(u"://"); scheme != std::u16string_view::npos) {
        url.remove_prefix(scheme + 3);
    }
    if (text::StartsWithNoCase(url, u"www.")) {
        url.remove_prefix(4);
    }
    return std::u16string(url.substr(0, url.find(u'/')));
}

bool Settings::IsExcludedSite(std::u16string_view url) {
    std::u16string site = GetSiteKey(url);
    return !site.empty() && m_registry.KeyExists(Hive::CurrentUser, ExcludedSiteKey(site));
}

bool Settings::AddExcludedSite(std::u16string_view url) {
    std::u16string site = GetSiteKey(url);
    return !site.empty() && m_registry.CreateKey(Hive::CurrentUser, ExcludedSiteKey(site));
}

bool Settings::RemoveExcludedSite(std::u16string_view siteKey) {
    return !siteKey.empty() &&
           m_registry.DeleteKeyTree(Hive::CurrentUser, ExcludedSiteKey(siteKey));
}

std::vector<std::u16string> Settings::ListExcludedSites() {
    return m_registry.EnumKeys(Hive::CurrentUser, SectionKey(kExcludedUrlsSection));
}

// --- Per-Identity choices ---

std::u16string Settings::GetIdentityCreditCard(std::u16string_view identity) {
    return GetStringOrDefault(SectionKey(kIdentitiesSection, identity), kCreditCardChoice, {},
                              false);
}

bool Settings::SetIdentityCreditCard(std::u16string_view identity, std::u16string_view ccid) {
    return SetConfigString(Hive::CurrentUser, SectionKey(kIdentitiesSection, identity),
                           kCreditCardChoice, ccid);
}

std::u16string Settings::GetIdentityBankAccount(std::u16string_view identity) {
    return GetStringOrDefault(SectionKey(kIdentitiesSection, identity), kBankAccountChoice, {},
                              false);
}

bool Settings::SetIdentityBankAccount(std::u16string_view identity, std::u16string_view baid) {
    return SetConfigString(Hive::CurrentUser, SectionKey(kIdentitiesSection, identity),
                           kBankAccountChoice, baid);
}

bool Settings::DeleteIdentityChoices(std::u16string_view identity) {
    return !identity.empty() &&
           SetConfigString(Hive::CurrentUser, SectionKey(kIdentitiesSection, identity),
                           std::nullopt, std::nullopt);
}

// --- Export ---

bool Settings::ExportConfiguration(std::u16string_view path) {
    std::u16string key(platform::HiveName(Hive::CurrentUser));
    key += u'\\';
    key += ProductKey();
    key += u'\\';
    auto result =
        platform::RunProcess(platform::SiblingProgram("vtxreg"),
                             {"/E", text::ToUtf8(path), text::ToUtf8(key)}, kExportTimeoutMs);
    return result.Succeeded();
}

// --- The Configuration section by value name ---

std::span<const ConfigurationEntry> ConfigurationEntries() {
    return kEntries;
}

const ConfigurationEntry* FindConfigurationEntry(std::u16string_view name) {
    for (const auto& entry : kEntries) {
        if (text::EqualsNoCase(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

std::optional<std::u16string> Settings::GetConfigurationValue(std::u16string_view name) {
    const ConfigurationEntry* entry = FindConfigurationEntry(name);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->get(*this);
}

SetValueResult Settings::SetConfigurationValue(std::u16string_view name, std::u16string_view text) {
    const ConfigurationEntry* entry = FindConfigurationEntry(name);
    if (entry == nullptr) {
        return SetValueResult::UnknownName;
    }
    return entry->set(*this, text);
}

}  // namespace veltrix::config
