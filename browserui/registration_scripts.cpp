#include "browserui/registration_scripts.h"

#include "formengine/helper/web_browser.h"

namespace veltrix::browserui {

using platform::Hive;

const com::RegistrationScript& PlainClassScript() {
    static const com::RegistrationScript script{{
        {Hive::ClassesRoot, u"Vtxcore.%NAME%.1", true, {{u"", u"%DESCRIPTION%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%.1\\CLSID", false, {{u"", u"%CLSID%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%", true, {{u"", u"%DESCRIPTION%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%\\CLSID", false, {{u"", u"%CLSID%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%\\CurVer", false, {{u"", u"Vtxcore.%NAME%.1"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%", true, {{u"", u"%DESCRIPTION%"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\ProgID", false, {{u"", u"Vtxcore.%NAME%.1"}}},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\VersionIndependentProgID",
         false,
         {{u"", u"Vtxcore.%NAME%"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\Programmable", false, {}},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\InprocServer32",
         false,
         {{u"", u"%MODULE%"}, {u"ThreadingModel", u"Apartment"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\TypeLib", false, {{u"", u"%TYPELIB%"}}},
    }};
    return script;
}

const com::RegistrationScript& BrowserHelperObjectScript() {
    static const com::RegistrationScript script = [] {
        com::RegistrationScript bho = PlainClassScript();
        for (com::ScriptKey& key : bho.keys) {
            if (key.path == u"CLSID\\%CLSID%") {
                key.values = {{u"", u"Veltrix"}};
            }
        }
        bho.keys.push_back({Hive::LocalMachine,
                            std::u16string(kBrowserHelperObjectsKey) + u"\\%CLSID%",
                            true,
                            {{u"", u"Veltrix BHO "}}});
        return bho;
    }();
    return script;
}

}  // namespace veltrix::browserui
