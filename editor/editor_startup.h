// The editor's start-up, from the command line to the shown frame, and its end.
#pragma once

#include <string>
#include <vector>

namespace veltrix::editor {

// Runs the editor with the program's arguments (after its name) inside a running QApplication;
// the process's exit code.
int RunEditor(const std::vector<std::u16string>& arguments);

}  // namespace veltrix::editor
