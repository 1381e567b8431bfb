#include "platform/tls_engine_loader.h"

#include <dlfcn.h>

#include <QLoggingCategory>

#include "platform/folders.h"

namespace vexo {

namespace {
Q_LOGGING_CATEGORY(lcTls, "vexo.tls")
}  // namespace

std::string TlsModulePath() {
  const std::string folder = ModuleFolder(ExecutablePath());
  return folder.empty() ? folder : folder + "/" + kTlsModuleFile;
}

LoadedTlsEngine LoadTlsEngine(const std::string& module_file) {
  LoadedTlsEngine loaded;
  void* module = ::dlopen(module_file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = ::dlerror();
    loaded.failure = why ? why : module_file + ": cannot be loaded";
    return loaded;
  }
  const auto entry = reinterpret_cast<TlsEngineEntry>(::dlsym(module, kTlsEngineEntry));
  if (!entry) {
    loaded.failure = module_file + " has no " + kTlsEngineEntry + " (another version?)";
    return loaded;
  }
  loaded.engine = entry();
  if (!loaded.engine) loaded.failure = module_file + " gave no engine";
  return loaded;
}

TlsEngine* ProgramTlsEngine() {
  static TlsEngine* const engine = [] {
    const std::string path = TlsModulePath();
    LoadedTlsEngine loaded = path.empty()
                                 ? LoadedTlsEngine{nullptr, "the program's own folder is unknown"}
                                 : LoadTlsEngine(path);
    if (!loaded.engine) {
      qCWarning(lcTls, "https is unavailable: %s", loaded.failure.c_str());
    }
    return loaded.engine;
  }();
  return engine;
}

}  // namespace vexo
