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

// A string of the Configuration section, or nullopt when missing or empty.
std::optional<std::u16string> ReadNonEmpty(Hive hive, std::u16string_view name) {
    std::u16string value;
    if (GetConfigString(hive, ConfigurationKey(), name, value) && !value.empty()) {
        return value;
    }
    return std::nullopt;
}

std::u16string GetStringOrDefault(std::u16string_view subkey, std::u16string_view name,
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

std::uint32_t GetDwordOrDefault(std::u16string_view subkey, std::u16string_view name,
                                std::uint32_t fallback) {
    std::uint32_t value = 0;
    if (GetConfigDword(Hive::CurrentUser, subkey, name, value)) {
        return value;
    }
    SetConfigDword(Hive::CurrentUser, subkey, name, fallback);
    return fallback;
}

bool SetConfiguration(std::u16string_view name, std::u16string_view text) {
    return SetConfigString(Hive::CurrentUser, ConfigurationKey(), name, text);
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

// Creates `folder` unless it already is one; reports the failure to the user.
bool CreateFolderLevel(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    if (!error) {
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

std::optional<std::uint64_t> ParseDigits(std::u16string_view digits, unsigned base) {
    if (digits.empty() || digits.size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char16_t c : digits) {
        int digit = text::HexDigitValue(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
    }
    return value;
}

// Decimal with an optional sign (a negative number is stored as its 32-bit two's complement), or
// hexadecimal after "0x"; nullopt when the text is not a number that fits in 32 bits.
std::optional<std::uint32_t> ParseDword(std::u16string_view text) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        auto value = ParseDigits(text.substr(2), 16);
        if (value && *value <= kMax) {
            return static_cast<std::uint32_t>(*value);
        }
        return std::nullopt;
    }
    bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        text.remove_prefix(1);
    }
    auto value = ParseDigits(text, 10);
    if (!value || *value > (negative ? std::uint64_t{1} << 31 : kMax)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(negative ? (kMax + 1 - *value) & kMax : *value);
}

SetValueResult WriteResult(bool written) {
    return written ? SetValueResult::Ok : SetValueResult::WriteFailed;
}

template <bool (*Setter)(std::u16string_view)>
SetValueResult SetTextEntry(std::u16string_view text) {
    return WriteResult(Setter(text));
}

template <RecordKind Kind>
std::u16string GetFolderEntry() {
    return GetRecordFolder(Kind);
}

template <RecordKind Kind>
SetValueResult SetFolderEntry(std::u16string_view text) {
    return WriteResult(SetRecordFolder(Kind, text));
}

SetValueResult SetHighlightColorEntry(std::u16string_view text) {
    auto value = text.size() == 6 ? ParseDigits(text, 16) : std::nullopt;
    if (!value) {
        return SetValueResult::InvalidValue;
    }
    return WriteResult(SetHighlightColor(static_cast<std::uint8_t>(*value >> 16),
                                         static_cast<std::uint8_t>(*value >> 8),
                                         static_cast<std::uint8_t>(*value)));
}

std::u16string GetAutoLogoffEntry() {
    return text::FromInt(GetAutoLogoff());
}

SetValueResult SetAutoLogoffEntry(std::u16string_view text) {
    auto value = ParseDword(text);
    if (!value) {
        return SetValueResult::InvalidValue;
    }
    return WriteResult(SetConfigDword(Hive::CurrentUser, ConfigurationKey(), kAutoLogoff, *value));
}

std::u16string GetPreferencesEntry() {
    return text::FromInt(GetPreferences());
}

SetValueResult SetPreferencesEntry(std::u16string_view text) {
    auto value = ParseDword(text);
    if (!value) {
        return SetValueResult::InvalidValue;
    }
    return WriteResult(SetPreferences(*value));
}

const std::array<ConfigurationEntry, 10> kEntries = {{
    {kDataPath, ValueType::String, &GetDataPath, &SetTextEntry<&SetDataPath>},
    {kInstallPath, ValueType::String, &GetInstallPath, &SetTextEntry<&SetInstallPath>},
    {kIdentitiesFolder, ValueType::String, &GetFolderEntry<RecordKind::Identity>,
     &SetFolderEntry<RecordKind::Identity>},
    {kWebLoginsFolder, ValueType::String, &GetFolderEntry<RecordKind::WebLogin>,
     &SetFolderEntry<RecordKind::WebLogin>},
    {kSecureNotesFolder, ValueType::String, &GetFolderEntry<RecordKind::SecureNote>,
     &SetFolderEntry<RecordKind::SecureNote>},
    {kExportToFolder, ValueType::String, &GetExportToFolder, &SetTextEntry<&SetExportToFolder>},
    {kHighlightColor, ValueType::String, &GetHighlightColor, &SetHighlightColorEntry},
    {kIdentity, ValueType::String, &GetCurrentIdentity, &SetTextEntry<&SetCurrentIdentity>},
    {kAutoLogoff, ValueType::Dword, &GetAutoLogoffEntry, &SetAutoLogoffEntry},
    {kPreferences, ValueType::Dword, &GetPreferencesEntry, &SetPreferencesEntry},
}};

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

// --- Low-level accessors ---

bool GetConfigString(Hive hive, std::u16string_view subkey, std::u16string_view name,
                     std::u16string& text) {
    auto value = Registry::Default().GetValue(hive, subkey, name);
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

bool SetConfigString(Hive hive, std::u16string_view subkey, std::optional<std::u16string_view> name,
                     std::optional<std::u16string_view> text) {
    Registry& registry = Registry::Default();
    if (!text) {
        if (!name) {
            return registry.DeleteKeyTree(hive, subkey);
        }
        return registry.DeleteValue(hive, subkey, *name);
    }
    return registry.SetValue(hive, subkey, name.value_or(std::u16string_view{}),
                             RegistryValue::String(*text));
}

bool GetConfigDword(Hive hive, std::u16string_view subkey, std::u16string_view name,
                    std::uint32_t& value) {
    auto stored = Registry::Default().GetValue(hive, subkey, name);
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

bool SetConfigDword(Hive hive, std::u16string_view subkey, std::u16string_view name,
                    std::uint32_t value) {
    return Registry::Default().SetValue(hive, subkey, name, RegistryValue::Dword(value));
}

// --- Folders ---

std::u16string GetDataPath() {
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
        return WithTrailingSlash(FromPath(product));
    }
    if (!CreateFolderLevel(maker) || !CreateFolderLevel(product)) {
        return GetInstallPath();
    }
    return WithTrailingSlash(FromPath(product));
}

bool SetDataPath(std::u16string_view path) {
    return SetConfiguration(kDataPath, path);
}

std::u16string DefaultInstallPath() {
    return WithTrailingSlash(FromPath(platform::ModuleFolder()));
}

std::u16string GetInstallPath() {
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

bool SetInstallPath(std::u16string_view path) {
    return SetConfiguration(kInstallPath, path);
}

std::u16string GetRecordFolder(RecordKind kind) {
    auto name = RecordFolderValueName(kind);
    if (!name) {
        return {};
    }
    if (auto stored = ReadNonEmpty(Hive::CurrentUser, *name)) {
        return WithTrailingSlash(std::move(*stored));
    }
    return GetDataPath();
}

bool SetRecordFolder(RecordKind kind, std::u16string_view path) {
    auto name = RecordFolderValueName(kind);
    return name && SetConfiguration(*name, path);
}

std::u16string GetExportToFolder() {
    return GetStringOrDefault(ConfigurationKey(), kExportToFolder, {}, false);
}

bool SetExportToFolder(std::u16string_view path) {
    return SetConfiguration(kExportToFolder, path);
}

// --- Other values of the Configuration section ---

std::u16string GetHighlightColor() {
    return GetStringOrDefault(ConfigurationKey(), kHighlightColor, kDefaultHighlightColor, true);
}

bool SetHighlightColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string color;
    for (std::uint8_t component : {red, green, blue}) {
        color += kDigits[component >> 4];
        color += kDigits[component & 0xF];
    }
    return SetConfiguration(kHighlightColor, color);
}

std::u16string GetCurrentIdentity() {
    return GetStringOrDefault(ConfigurationKey(), kIdentity, {}, false);
}

bool SetCurrentIdentity(std::u16string_view name) {
    return SetConfiguration(kIdentity, name);
}

int GetAutoLogoff() {
    return static_cast<int>(GetDwordOrDefault(ConfigurationKey(), kAutoLogoff,
                                              static_cast<std::uint32_t>(kDefaultAutoLogoff)));
}

bool SetAutoLogoff(int minutes) {
    return SetConfigDword(Hive::CurrentUser, ConfigurationKey(), kAutoLogoff,
                          static_cast<std::uint32_t>(minutes));
}

std::uint32_t GetPreferences() {
    return GetDwordOrDefault(ConfigurationKey(), kPreferences, pref::kDefault);
}

bool SetPreferences(std::uint32_t preferences) {
    return SetConfigDword(Hive::CurrentUser, ConfigurationKey(), kPreferences, preferences);
}

// --- Generate and Toolbar sections ---

std::uint32_t GetGenerateLength(std::uint32_t defaultLength) {
    return GetDwordOrDefault(SectionKey(kGenerateSection), kLength, defaultLength);
}

bool SetGenerateLength(std::uint32_t length) {
    return SetConfigDword(Hive::CurrentUser, SectionKey(kGenerateSection), kLength, length);
}

std::uint32_t GetGeneratePreferences(std::uint32_t defaultPreferences) {
    return GetDwordOrDefault(SectionKey(kGenerateSection), kPreferences, defaultPreferences);
}

bool SetGeneratePreferences(std::uint32_t preferences) {
    return SetConfigDword(Hive::CurrentUser, SectionKey(kGenerateSection), kPreferences,
                          preferences);
}

std::u16string GetGenerateSpecial(std::u16string_view defaultSpecial) {
    return GetStringOrDefault(SectionKey(kGenerateSection), kSpecial, defaultSpecial, true);
}

bool SetGenerateSpecial(std::u16string_view special) {
    return SetConfigString(Hive::CurrentUser, SectionKey(kGenerateSection), kSpecial, special);
}

std::uint32_t GetToolbarPreferences() {
    return GetDwordOrDefault(SectionKey(kToolbarSection), kPreferences, kDefaultToolbarPreferences);
}

bool SetToolbarPreferences(std::uint32_t preferences) {
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

bool IsExcludedSite(std::u16string_view url) {
    std::u16string site = GetSiteKey(url);
    return !site.empty() && Registry::Default().KeyExists(Hive::CurrentUser, ExcludedSiteKey(site));
}

bool AddExcludedSite(std::u16string_view url) {
    std::u16string site = GetSiteKey(url);
    return !site.empty() && Registry::Default().CreateKey(Hive::CurrentUser, ExcludedSiteKey(site));
}

bool RemoveExcludedSite(std::u16string_view siteKey) {
    return !siteKey.empty() &&
           Registry::Default().DeleteKeyTree(Hive::CurrentUser, ExcludedSiteKey(siteKey));
}

std::vector<std::u16string> ListExcludedSites() {
    return Registry::Default().EnumKeys(Hive::CurrentUser, SectionKey(kExcludedUrlsSection));
}

// --- Per-Identity choices ---

std::u16string GetIdentityCreditCard(std::u16string_view identity) {
    return GetStringOrDefault(SectionKey(kIdentitiesSection, identity), kCreditCardChoice, {},
                              false);
}

bool SetIdentityCreditCard(std::u16string_view identity, std::u16string_view ccid) {
    return SetConfigString(Hive::CurrentUser, SectionKey(kIdentitiesSection, identity),
                           kCreditCardChoice, ccid);
}

std::u16string GetIdentityBankAccount(std::u16string_view identity) {
    return GetStringOrDefault(SectionKey(kIdentitiesSection, identity), kBankAccountChoice, {},
                              false);
}

bool SetIdentityBankAccount(std::u16string_view identity, std::u16string_view baid) {
    return SetConfigString(Hive::CurrentUser, SectionKey(kIdentitiesSection, identity),
                           kBankAccountChoice, baid);
}

bool DeleteIdentityChoices(std::u16string_view identity) {
    return !identity.empty() &&
           SetConfigString(Hive::CurrentUser, SectionKey(kIdentitiesSection, identity),
                           std::nullopt, std::nullopt);
}

// --- Export ---

bool ExportConfiguration(std::u16string_view path) {
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

std::optional<std::u16string> GetConfigurationValue(std::u16string_view name) {
    const ConfigurationEntry* entry = FindConfigurationEntry(name);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->get();
}

SetValueResult SetConfigurationValue(std::u16string_view name, std::u16string_view text) {
    const ConfigurationEntry* entry = FindConfigurationEntry(name);
    if (entry == nullptr) {
        return SetValueResult::UnknownName;
    }
    return entry->set(text);
}

}  // namespace veltrix::config
