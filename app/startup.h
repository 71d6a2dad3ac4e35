#pragma once

namespace lumivex {

// Runs the program: single instance, process-wide objects, the main window's life, and the teardown.
// Returns the process exit status.
int runLumivex(int argc, char** argv);

}  // namespace lumivex
