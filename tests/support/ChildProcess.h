#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// Starts `arguments` (the program is looked up on PATH) so that it gets SIGTERM when the test
// program ends, also when the test crashes: a helper process never outlives its test. Standard
// output goes to `output` and standard error to `errors` (descriptors; -1 keeps the test's own).
// Every other descriptor the test opened without FD_CLOEXEC stays open in the child, so a pipe
// meant for the child reaches it. The child's process id, or -1 when it could not be started.
pid_t spawnHelperProcess(const std::vector<std::string>& arguments, int output = -1, int errors = -1);

// Ends a helper started by spawnHelperProcess() and waits for it to go.
void endHelperProcess(pid_t pid);
