#include "browserhost/web/browser_profile.h"

#include <QString>
#include <QWebEngineProfile>

#include "platform/folders.h"

namespace veltrix::browserhost {
namespace {

constexpr char kProfileName[] = "veltrix";

QString QtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

std::optional<std::filesystem::path> ProfileFolder(std::string& problem) {
    std::error_code error;
    const auto data = platform::UserDataFolder(error);
    if (!data) {
        problem = "no data folder: " + error.message();
        return std::nullopt;
    }
    const std::filesystem::path folder = *data / "Orvane" / "Veltrix" / "Browser";
    if (!platform::CreatePrivateFolders(folder, error) || !platform::TightenToPrivate(folder)) {
        problem =
            "the profile folder " + folder.string() + " cannot be made private: " + error.message();
        return std::nullopt;
    }
    return folder;
}

QWebEngineProfile* MakePersistentProfile(QObject* parent, std::string& problem) {
    const auto folder = ProfileFolder(problem);
    if (!folder) {
        return MakePrivateProfile(parent);
    }
    auto* profile = new QWebEngineProfile(QString::fromLatin1(kProfileName), parent);
    profile->setPersistentStoragePath(QtPath(*folder / "storage"));
    profile->setCachePath(QtPath(*folder / "cache"));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    return profile;
}

QWebEngineProfile* MakePrivateProfile(QObject* parent) {
    return new QWebEngineProfile(parent);
}

}  // namespace veltrix::browserhost
