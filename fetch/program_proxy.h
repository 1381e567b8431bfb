#pragma once
// The proxies of the program's own requests: the configuration key read at
// start and the environment of the process, given to every client the
// program makes (client_pool.h).

#include <memory>
#include <optional>

#include "fetch/proxy_config.h"

namespace vexo {

// Takes the key `proxy` of the configuration (nothing when it is absent) and
// reads the environment again.
void SetProgramProxy(std::optional<Bytes> config);

// What SetProgramProxy last took; the environment alone before it is called.
std::shared_ptr<const ProxySources> ProgramProxy();

}  // namespace vexo
