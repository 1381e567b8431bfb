#include "fetch/program_proxy.h"

namespace vexo {
namespace {

// Clients are made and run on the main thread only.
std::shared_ptr<const ProxySources>& Current() {
  static std::shared_ptr<const ProxySources> current;
  return current;
}

}  // namespace

void SetProgramProxy(std::optional<Bytes> config) {
  Current() = std::make_shared<const ProxySources>(ProxySources::FromProcess(std::move(config)));
}

std::shared_ptr<const ProxySources> ProgramProxy() {
  if (!Current()) SetProgramProxy(std::nullopt);
  return Current();
}

}  // namespace vexo
