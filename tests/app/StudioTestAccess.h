#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"

// Lets tests stand in for what the view model learns from outside.
struct StudioTestAccess {
    // Stands in for the Homebrew operations, which set the running flag while a command runs.
    static void setBrewCommandRunning(UpdateStudioViewModel& model, bool running)
    {
        model.m_state.isBrewCommandRunning = running;
    }

    // Stands in for a desktop that took (or refused) the studio's global hot key.
    static void setGlobalHotkeyRegistered(UpdateStudioViewModel& model, bool registered)
    {
        model.assign(StudioField::globalHotkeyRegistered, &StudioState::globalHotkeyRegistered, registered);
    }
};
