// The configuration store: every setting is a registry value under
// HKEY_CURRENT_USER\Software\Orvane\Veltrix. A getter with a default returns it when the value
// is missing or of the wrong type, and the values marked "written back" also store it, so that
// they are present after the first read. The programs create one Settings object over their
// registry and pass it to whoever reads settings; it caches what it read and checks the registry's
// change stamp before every use, so another process's change is seen at the next read.
//
// Errors in this layer: a typed status (SetValueResult, FileStatus) or Result (platform/result.h)
// where the caller needs the reason, else a success flag; HRESULT only at COM boundaries; no int
// status codes; nothing is thrown out of a function.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/record_kind.h"
#include "platform/registry.h"

namespace veltrix::config {

inline constexpr std::u16string_view kMakerName = u"Orvane";
inline constexpr std::u16string_view kProductName = u"Veltrix";

// Sections under the product key.
inline constexpr std::u16string_view kConfigurationSection = u"Configuration";
inline constexpr std::u16string_view kGenerateSection = u"Generate";
inline constexpr std::u16string_view kToolbarSection = u"Toolbar";
inline constexpr std::u16string_view kIdentitiesSection = u"Identities";
inline constexpr std::u16string_view kExcludedUrlsSection = u"Excluded URLs";
inline constexpr std::u16string_view kWebLoginUrlsSection = u"Web Login URLs";

// "Software\Orvane\Veltrix".
std::u16string ProductKey();
// "Software\Orvane\Veltrix\<section>", and with one more level "...\<section>\<item>".
std::u16string SectionKey(std::u16string_view section);
std::u16string SectionKey(std::u16string_view section, std::u16string_view item);

// The install folder when nothing is configured: the folder that holds the programs.
std::u16string DefaultInstallPath();

// An address reduced to its host and port: "file:" addresses stay whole; otherwise the scheme
// with "://", a leading "www." and everything from the first remaining '/' are dropped. Letter
// case and port are kept.
std::u16string GetSiteKey(std::u16string_view url);

inline constexpr std::u16string_view kDefaultHighlightColor = u"80FF80";
inline constexpr int kDefaultAutoLogoff = 120;
inline constexpr std::uint32_t kDefaultGenerateLength = 8;
inline constexpr std::uint32_t kDefaultGeneratePreferences = 31;
inline constexpr std::u16string_view kDefaultGenerateSpecial = u"~!@#$%^&*()_+{}<>?,.";
inline constexpr std::uint32_t kDefaultToolbarPreferences = 1;

// Bits of Configuration\Preferences.
namespace pref {
inline constexpr std::uint32_t kPromptFillForms = 0x1;
inline constexpr std::uint32_t kAutoFillForms = 0x2;
inline constexpr std::uint32_t kManualFillForms = 0x4;
inline constexpr std::uint32_t kFormFillMask = 0xF;
inline constexpr std::uint32_t kPromptFillWebLogins = 0x10;
inline constexpr std::uint32_t kAutoFillWebLogins = 0x20;
inline constexpr std::uint32_t kManualFillWebLogins = 0x40;
inline constexpr std::uint32_t kWebLoginFillMask = 0xF0;
inline constexpr std::uint32_t kPromptToSave = 0x100;
inline constexpr std::uint32_t kAutoSubmit = 0x200;
inline constexpr std::uint32_t kHighlightFields = 0x1000;
inline constexpr std::uint32_t kExportToDevice = 0x10000000;
inline constexpr std::uint32_t kChangePasswordForExport = 0x20000000;
inline constexpr std::uint32_t kRunInTray = 0x80000000;
// Prompt to fill forms and Web Logins, prompt to save, highlight filled fields.
inline constexpr std::uint32_t kDefault = 0x1111;
}  // namespace pref

enum class SetValueResult { Ok, UnknownName, InvalidValue, WriteFailed };

// The settings of one registry. Safe to share between threads.
class Settings {
public:
    explicit Settings(platform::Registry& registry);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    platform::Registry& Registry() const { return m_registry; }

    // --- Low-level accessors on (hive, subkey, value name) ---

    // Succeeds only for an existing REG_SZ value; `text` is untouched on failure.
    bool GetConfigString(platform::Hive hive, std::u16string_view subkey, std::u16string_view name,
                         std::u16string& text);
    // Writes a REG_SZ value, creating the key when missing. A null `text` deletes the value `name`
    // instead; a null `name` and `text` delete the whole subkey with everything under it. A null
    // `name` with a text writes the key's default value.
    bool SetConfigString(platform::Hive hive, std::u16string_view subkey,
                         std::optional<std::u16string_view> name,
                         std::optional<std::u16string_view> text);
    // Succeeds only for an existing REG_DWORD of 4 bytes; `value` is untouched on failure.
    bool GetConfigDword(platform::Hive hive, std::u16string_view subkey, std::u16string_view name,
                        std::uint32_t& value);
    bool SetConfigDword(platform::Hive hive, std::u16string_view subkey, std::u16string_view name,
                        std::uint32_t value);

    // --- Folders (returned ending in '/') ---

    // Configuration\DataPath as stored when present and not empty; otherwise the data root
    // <per-user data folder>/Orvane/Veltrix/, created on first use (not written back). When it
    // cannot be created the user is told and the install folder is used instead.
    std::u16string GetDataPath();
    bool SetDataPath(std::u16string_view path);

    // Configuration\InstallPath from the current user, else from the machine; else the default,
    // written back to the current user.
    std::u16string GetInstallPath();
    bool SetInstallPath(std::u16string_view path);

    // IdentitiesFolder, WebLoginsFolder or SecureNotesFolder when present and not empty, else the
    // data path. Empty for the kinds that have no files.
    std::u16string GetRecordFolder(RecordKind kind);
    bool SetRecordFolder(RecordKind kind, std::u16string_view path);

    // The folder offered for export; empty by default, returned as stored.
    std::u16string GetExportToFolder();
    bool SetExportToFolder(std::u16string_view path);

    // --- Other values of the Configuration section ---

    // Six upper-case hexadecimal digits, red, green, blue; default written back.
    std::u16string GetHighlightColor();
    bool SetHighlightColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    // The name of the current Identity, preselected for filling forms; empty by default.
    std::u16string GetCurrentIdentity();
    bool SetCurrentIdentity(std::u16string_view name);

    // Idle minutes before the master password is forgotten; 0 or less means never.
    int GetAutoLogoff();
    bool SetAutoLogoff(int minutes);

    // The bits of config::pref; default written back.
    std::uint32_t GetPreferences();
    bool SetPreferences(std::uint32_t preferences);

    // --- Generate and Toolbar sections; defaults written back ---

    std::uint32_t GetGenerateLength(std::uint32_t defaultLength);
    bool SetGenerateLength(std::uint32_t length);
    std::uint32_t GetGeneratePreferences(
        std::uint32_t defaultPreferences = kDefaultGeneratePreferences);
    bool SetGeneratePreferences(std::uint32_t preferences);
    std::u16string GetGenerateSpecial(std::u16string_view defaultSpecial);
    bool SetGenerateSpecial(std::u16string_view special);

    std::uint32_t GetToolbarPreferences();
    bool SetToolbarPreferences(std::uint32_t preferences);

    // --- Sites ---

    // Excluded sites: one empty subkey of "Excluded URLs" per site key. An address whose site key
    // is empty is never excluded and cannot be added.
    bool IsExcludedSite(std::u16string_view url);
    bool AddExcludedSite(std::u16string_view url);
    // Takes the site key itself, as ListExcludedSites returns it.
    bool RemoveExcludedSite(std::u16string_view siteKey);
    std::vector<std::u16string> ListExcludedSites();

    // --- Per-Identity choices under Identities\<name> ---

    // The ccid of the credit card and the baid of the bank account last chosen for the Identity.
    std::u16string GetIdentityCreditCard(std::u16string_view identity);
    bool SetIdentityCreditCard(std::u16string_view identity, std::u16string_view ccid);
    std::u16string GetIdentityBankAccount(std::u16string_view identity);
    bool SetIdentityBankAccount(std::u16string_view identity, std::u16string_view baid);
    // Deletes the Identity's subkey, when the Identity itself is deleted.
    bool DeleteIdentityChoices(std::u16string_view identity);

    // --- Export ---

    // Writes the whole configuration tree of the current user into `path` with the registry editor
    // ("vtxreg /E"), waiting at most 10 seconds; true when it exited with code 0. The registry
    // editor opens the registry the environment names, which is the programs' own.
    bool ExportConfiguration(std::u16string_view path);

    // --- The Configuration section by value name, for the command line ---

    // nullopt for an unknown name.
    std::optional<std::u16string> GetConfigurationValue(std::u16string_view name);
    SetValueResult SetConfigurationValue(std::u16string_view name, std::u16string_view text);

private:
    // The stored value, from the cache while the hive's change stamp is unchanged.
    std::optional<platform::RegistryValue> Read(platform::Hive hive, std::u16string_view subkey,
                                                std::u16string_view name);
    std::optional<std::u16string> ReadNonEmpty(platform::Hive hive, std::u16string_view name);
    std::u16string GetStringOrDefault(std::u16string_view subkey, std::u16string_view name,
                                      std::u16string_view fallback, bool writeBack);
    std::uint32_t GetDwordOrDefault(std::u16string_view subkey, std::u16string_view name,
                                    std::uint32_t fallback);
    bool SetConfiguration(std::u16string_view name, std::u16string_view text);

    struct HiveCache {
        std::uint64_t stamp = 0;
        bool valid = false;
        // By subkey and value name as asked (a differently cased request is another entry).
        std::map<std::u16string, std::optional<platform::RegistryValue>, std::less<>> values;
    };

    platform::Registry& m_registry;
    std::mutex m_mutex;
    HiveCache m_caches[3];
};

// --- The Configuration section by value name, for the command line ---

struct ConfigurationEntry {
    std::u16string_view name;
    platform::ValueType type;
    // The value as text, after the getter's default and write-back rule.
    std::u16string (*get)(Settings& settings);
    // Parses `text` (decimal, or hexadecimal after "0x", for DWORDs) and writes it.
    SetValueResult (*set)(Settings& settings, std::u16string_view text);
};

std::span<const ConfigurationEntry> ConfigurationEntries();
// The entry named `name` (compared without regard to case), or null.
const ConfigurationEntry* FindConfigurationEntry(std::u16string_view name);

}  // namespace veltrix::config
