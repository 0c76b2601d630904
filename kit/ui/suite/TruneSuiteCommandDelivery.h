#pragma once

#include "kit/suite/TruneSuiteCommandBus.h"

#include <expected>
#include <functional>

class QObject;

// Suite commands sent from the widgets without holding up the window: finding the target among
// the running applications, writing its slot, ringing it and starting it all happen on one
// worker thread, one command after the other in the order they were asked for.
namespace TruneSuiteCommandDelivery {

using Outcome = std::expected<void, TruneSuiteSendError>;

struct Command {
    TruneSuiteCommandKind kind;
    TruneSuiteApp from;
    TruneSuiteApp to;
    TruneSuiteSendOptions options;
};

// Delivers `command` through `bus` and hands the outcome to `done` on the application's thread,
// where `context` lives. When `context` is destroyed first, the command is still delivered but
// nothing is reported.
void send(const TruneSuiteCommandBus& bus, const Command& command, QObject* context,
    std::function<void(const Outcome&)> done);

// Brings the running app to the front or starts the installed one; the outcome is not reported.
void launch(TruneSuiteApp app);

// Waits until every command and launch asked for so far has been carried out; false when
// `timeoutMs` passed first.
bool waitForDone(int timeoutMs);

} // namespace TruneSuiteCommandDelivery
