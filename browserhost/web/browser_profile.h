// The browsing profiles of vtxbrowse: one persistent profile per user, whose cookies, cache and
// site data live in the user's data folder (<data folder>/Orvane/Veltrix/Browser, 0700), and
// off-the-record profiles for private windows, which keep nothing once they close.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class QObject;
class QWebEngineProfile;

namespace veltrix::browserhost {

// The persistent profile's folder, created 0700; nullopt with `problem` when it cannot be made.
std::optional<std::filesystem::path> ProfileFolder(std::string& problem);

// The persistent profile under ProfileFolder(); an off-the-record one (and `problem` set) when the
// folder cannot be made, so that browsing still works but keeps nothing.
QWebEngineProfile* MakePersistentProfile(QObject* parent, std::string& problem);
// An off-the-record profile for private windows.
QWebEngineProfile* MakePrivateProfile(QObject* parent);

}  // namespace veltrix::browserhost
