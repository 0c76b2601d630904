#pragma once

#include <functional>

// Work a test program must do before its QApplication exists, such as starting a process that
// Qt looks for only once. A test file registers a step with a static object:
//     static const BeforeApplication startTrayHost([] { ... });
// The X11 tests' main() runs the steps in registration order.
class BeforeApplication final {
public:
    explicit BeforeApplication(std::function<void()> step);

    static void runAll();
};
