#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"

// Stands in for the Homebrew operations, which set the running flag while a command runs.
struct StudioTestAccess {
    static void setBrewCommandRunning(UpdateStudioViewModel& model, bool running)
    {
        model.m_state.isBrewCommandRunning = running;
    }
};
