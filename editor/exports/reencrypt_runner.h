// Runs the bulk re-encryption dialog for the master-password change and Export all. The Qt
// implementation shows the progress dialog; tests record the requests.
#pragma once

#include "editor/reencrypt/reencrypt_request.h"

namespace veltrix::editor::exports {

class IReencryptRunner {
public:
    virtual ~IReencryptRunner() = default;
    // Shows the dialog for `request`; true when it was closed with OK after the job ran (whatever
    // the job's outcome), false when the user cancelled before it started.
    virtual bool Run(const ReencryptRequest& request) = 0;
};

}  // namespace veltrix::editor::exports
