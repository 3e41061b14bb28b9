#pragma once

#include <string>

#include "app/command_line_options.h"
#include "platform/single_instance_lock.h"
#include "platform/window_lock.h"

// The application: starts the program and runs the main window until it closes.
class CHarvioApp {
public:
    explicit CHarvioApp(CommandLineOptions options = {});

    // Start-up in order: sockets, the single-instance marker, the rules, the administrator
    // check (where the program writes into its own folder), then the main window, modal.
    // Always false: the program ends when it returns.
    bool InitInstance();

    // Tests take another name than the machine-wide one of the program.
    void SetInstanceLockNameForTesting(std::string name) { instanceLockName_ = std::move(name); }

private:
    CommandLineOptions options_;
    std::string instanceLockName_ = SingleInstanceLock::kProgramName;
    SingleInstanceLock instanceLock_;  // held for the life of the process
    WindowLock windowLock_;
};
