// A browser window without a screen: it loads pages from HTML files mapped to addresses into
// in-memory documents, gives the helper objects the registry names a browser object to sit on,
// reports navigation and document events in the order a browser does, and carries out user
// actions (typing, clicks, the Enter key) whose form submits and link clicks navigate.
//
// Selectors name an element of the top document or of a frame:
//   #ID          the element with that id
//   NAME         the first element whose name attribute is NAME
//   ~TEXT        the first link, button or button-like input whose text (an input's value) is TEXT
//   frameN:SEL   SEL inside the document of frame N (FrameBrowser(N)), e.g. "frame1:user"
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browserhost/band_host.h"
#include "formengine/dom/memory_dom.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace veltrix::browserhost {

class BrowserObject;
struct WindowState;

inline constexpr std::uint32_t kDefaultWindowHandle = 0x00A10001;
inline constexpr ScreenRect kDefaultWindowRect{100, 80, 1124, 848};

class HeadlessBrowser {
public:
    explicit HeadlessBrowser(std::uint32_t windowHandle = kDefaultWindowHandle,
                             ScreenRect windowRect = kDefaultWindowRect);
    // Closes the window (Close) when that has not happened yet.
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    // Pages: `address` shows the HTML file `file`. Other "file:" addresses show the file they
    // name; any other address shows an empty page (and says so in the log). An address with a
    // query or fragment falls back to the page mapped without them.
    void MapPage(std::u16string address, std::filesystem::path file);

    // Creates every helper object listed under HKEY_LOCAL_MACHINE\<kBrowserHelperObjectsKey>
    // (one subkey per braced CLSID), hands each the top browser and keeps it; returns how many
    // were loaded. Classes that cannot be created are logged and skipped.
    int LoadHelperObjects();
    // Hands the top browser to `object` (an IObjectWithSite) and keeps it; false when it refuses.
    bool AttachHelperObject(com::IUnknown* object);

    // Navigates the top browser; false once the window is closed or for an empty address.
    bool Navigate(std::u16string address, std::string postData = {});
    // Loads the top page again (a navigation to its address without post data); false when no
    // page is shown.
    bool Reload();

    // The window's browser objects (not referenced): the top one, and the frames of its page in
    // document order, nested frames right after their parent; null when there is no such frame.
    IWebBrowser* Top();
    IWebBrowser* FrameBrowser(std::size_t index);
    std::size_t FrameCount() const;
    std::shared_ptr<dom::MemoryDocument> TopDocument();
    std::shared_ptr<dom::MemoryDocument> FrameDocument(std::size_t index);

    // The element a selector names (see above); null when there is none.
    dom::ElementRef Find(std::u16string_view selector);

    // User actions; each returns false when its target is missing or cannot take the action, and
    // returns only after the navigation it caused has completed.
    // Replaces the value of a text input or text area as typing would (cut to its maxlength).
    bool Type(std::u16string_view selector, std::u16string_view text);
    // Clicks a checkbox or radio when its state differs, so that the page hears the click.
    bool SetChecked(std::u16string_view selector, bool checked);
    // Selects exactly the options of a list box with these texts (or values).
    bool Select(std::u16string_view selector, const std::vector<std::u16string>& optionTexts);
    bool Click(std::u16string_view selector);
    // The Enter key in a text-like input: a user submit of its form (no click).
    bool PressEnter(std::u16string_view selector);
    // A script's form.submit() on the form (or the form of the control) named: no submit event.
    bool ScriptSubmit(std::u16string_view formSelector);

    // Content loaded by the page after it completed: DownloadBegin, then, with `newContent`, the
    // top document rebuilt from that file at the same address, then DownloadComplete.
    bool InPageDownload(std::optional<std::filesystem::path> newContent = std::nullopt);
    // WindowStateChanged with the window's visibility and enabled state.
    void SetWindowState(bool visible, bool enabled);
    // OnQuit, then every helper object gets a null site and is released; the window then takes
    // no more actions.
    void Close();
    bool IsClosed() const;

    // Runs a command of the helper object published under the browser property
    // kBhoViewProperty: "fill", "save", "generate", "options", "identities", "weblogins",
    // "securenotes" or "logoff" (any letter case). E_INVALIDARG for another name, the property's
    // failure when no helper object published itself, else the command's result.
    com::HRESULT RunCommand(std::u16string_view command);

    // Carries out the navigations that page activity outside the actions above queued (a prompt
    // button that fills and submits a form); the actions do this themselves.
    void SettleNavigations();

    // Whether the toolbar band of class `band` was last shown (ShowBrowserBar).
    bool IsBrowserBarShown(const com::Guid& band) const;
    // The window's toolbar bands, created when the browser is first asked to show them. An address
    // a band opens is shown in this window.
    BandHost& Bands() { return *m_bands; }

    // What happened, one line per event, action and failure.
    const std::vector<std::string>& Log() const;
    // Called with each log line as it is written (null: nobody).
    void SetLogObserver(std::function<void(const std::string&)> observer);

private:
    struct Pending {
        com::ComPtr<BrowserObject> browser;
        std::u16string url;
        std::string postData;
    };

    void Write(std::string line);
    void Fire(com::DispId id, const BrowserEvent& event);
    std::string NameOf(const BrowserObject* browser) const;

    // Loads `address` into `browser`, with the events of a navigation.
    void NavigateBrowser(const com::ComPtr<BrowserObject>& browser, std::u16string address,
                         std::string postData);
    std::shared_ptr<dom::MemoryDocument> LoadDocument(const std::u16string& address);
    std::shared_ptr<dom::MemoryDocument> BuildFromFile(const std::filesystem::path& file,
                                                       const std::u16string& address);
    // Shows `document` in `browser`, dropping its previous document and frames.
    void Show(const com::ComPtr<BrowserObject>& browser,
              std::shared_ptr<dom::MemoryDocument> document, std::u16string address);
    // Creates and loads the frames of `browser`'s document, each with its navigation events.
    void LoadFrames(const com::ComPtr<BrowserObject>& browser, int depth);
    void OnDomEvent(BrowserObject* browser, const dom::DomEvent& event);
    void RunPending();
    // Queues a navigation of the window to an address a band opens.
    bool OpenFromBand(std::u16string_view address);

    std::vector<BrowserObject*> Frames() const;
    std::shared_ptr<dom::MemoryDocument> DocumentFor(std::u16string_view selector,
                                                     std::u16string_view& rest);
    std::shared_ptr<dom::MemoryElement> FindElement(std::u16string_view selector);
    // Carries out `action` on the element `selector` names and then the navigations it caused;
    // false when there is no such element or the action failed.
    bool ActOn(std::u16string_view selector, const char* verb,
               bool (dom::MemoryElement::*action)());

    std::shared_ptr<WindowState> m_state;
    com::ComPtr<BrowserObject> m_top;
    std::map<std::u16string, std::filesystem::path> m_pages;
    std::vector<com::ComPtr<IObjectWithSite>> m_helpers;
    std::vector<Pending> m_pending;
    bool m_settling = false;
    bool m_closed = false;
    std::unique_ptr<BandHost> m_bands;
    // Frames one navigation may still load, however its pages nest and repeat them.
    int m_framesLeft = 0;
};

}  // namespace veltrix::browserhost
