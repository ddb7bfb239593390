#pragma once

#include <signal.h>

#include <string>

// The signals that end the program by default must not leave a file behind
// that the program was still writing: a handler removes every file listed
// here, then lets the signal end the program as it would have.

// Lists `path` for removal should an ending signal arrive; false when the
// list is full or the path too long for it. Call with the signals blocked.
bool ListForRemoval(const std::string& path);
// Takes `path` off the list. Call with the signals blocked.
void UnlistForRemoval(const std::string& path);

// Keeps the ending signals waiting from Hold to the Release that matches it:
// a file written in place must not be left half old, half new.
void HoldEndingSignals();
void ReleaseEndingSignals();

// Keeps the ending signals waiting for the scope, so that the files and
// their list agree whenever one arrives.
class CEndingSignalsBlocked {
public:
    CEndingSignalsBlocked();
    ~CEndingSignalsBlocked();
    CEndingSignalsBlocked(const CEndingSignalsBlocked&) = delete;
    CEndingSignalsBlocked& operator=(const CEndingSignalsBlocked&) = delete;

private:
    sigset_t m_previous{};
};
