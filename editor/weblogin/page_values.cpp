#include "editor/weblogin/page_values.h"

#include "editor/identity/line_breaks.h"

namespace veltrix::editor::weblogin {

PageValues LoadPageValues(const CWebLogin& login) {
    PageValues values;
    values.address = login.GetPageUrl();
    values.notes = identity::ToEditorLines(login.GetNotes());
    values.noAutoSubmit = login.IsAutoSubmitDisabled();
    return values;
}

void StorePageValues(CWebLogin& login, const PageValues& values) {
    login.SetPageUrl(values.address);
    login.SetNotes(identity::ToStoredLines(values.notes));
    login.SetAutoSubmitDisabled(values.noAutoSubmit);
}

}  // namespace veltrix::editor::weblogin
