#pragma once
// Tests never reach the outside network: unless a test sends a host to one of
// its own servers, every connection goes to a closed port on this machine, and
// dotted addresses need no name lookup. Loopback addresses stay as they are,
// for tests that connect to their servers directly.

namespace vexo::testing {

inline constexpr const char* kOfflineConnectTo =
    "*=127.0.0.1:1,127.0.0.1=127.0.0.1,localhost=localhost";

// Installs the offline map (also what a test restores when it is done) and
// forgets the proxies of the environment.
void GoOffline();

// The tests' mock web is the web of the program's first design, so runs ask
// its engines (the classic sources) unless a test chooses others.
void ChooseClassicSources();

}  // namespace vexo::testing
