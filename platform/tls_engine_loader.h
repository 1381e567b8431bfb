#pragma once
// Loads the TLS module (tls_engine.h) when TLS is first needed, from the
// module folder seen from the executable's folder (installed and in the
// build alike).

#include <string>

#include "platform/tls_engine.h"

namespace vexo {

struct LoadedTlsEngine {
  TlsEngine* engine = nullptr;  // nullptr when it could not be loaded
  std::string failure;          // then why, for the log
};

// Loads `module_file` and asks it for its engine. A loaded module stays for
// the life of the process.
LoadedTlsEngine LoadTlsEngine(const std::string& module_file);

// Where the program looks for the module; empty when the executable's own
// path is unknown (never a path relative to the working folder).
std::string TlsModulePath();

// The program's engine, loaded once by the first caller, from any thread;
// nullptr (logged once) when the module is missing or broken, and every TLS
// connection then fails its handshake.
TlsEngine* ProgramTlsEngine();

}  // namespace vexo
