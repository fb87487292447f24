#include "browserui/registration_scripts.h"

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

}  // namespace veltrix::browserui
