// What every browser host does with the extension's helper objects: creates the classes the
// registry lists under HKEY_LOCAL_MACHINE\<kBrowserHelperObjectsKey>, sites each on the window's
// browser object, and tells the subscribers of the window's browser events.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browserhost/browser_object.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace veltrix::browserhost {

using LogLine = std::function<void(std::string)>;

// Hands `browser` to `object` (an IObjectWithSite) as its site; the sited object, or null when
// the object refuses (said through `log`).
com::ComPtr<IObjectWithSite> SiteHelperObject(com::IUnknown* object, IWebBrowser* browser,
                                              const LogLine& log);

// Creates every helper object the registry lists and sites it on `browser`; the classes that
// cannot be created or refuse the site are logged and skipped.
std::vector<com::ComPtr<IObjectWithSite>> LoadRegisteredHelperObjects(IWebBrowser* browser,
                                                                      const LogLine& log);

// Tells each subscriber of `window` of the event; a subscriber may subscribe or unsubscribe
// others (or itself) meanwhile, and only those still subscribed when their turn comes are told.
void FireBrowserEvent(WindowState& window, com::DispId id, const BrowserEvent& event);

class BandHost;

// The window is closing (after OnQuit): its bands close, its helper objects lose their site and
// are released, and whoever did not unsubscribe from its events is let go.
void ReleaseHelperObjects(WindowState& window, BandHost& bands,
                          std::vector<com::ComPtr<IObjectWithSite>>& helpers);

// The name of a browser event for log lines ("DocumentComplete").
std::string BrowserEventName(com::DispId id);

// "0x80004005".
std::string HexResult(com::HRESULT hr);

}  // namespace veltrix::browserhost
