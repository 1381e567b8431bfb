// Preloaded into vexo-cli by a test: the k-th deletion of a block file
// ("Temp/<n>.tmp") kills the process on the spot with SIGKILL, as a kill
// landing on that file operation would. k comes from the environment
// variable VEXO_KILL_AT_BLOCK_DELETE.
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool IsBlockFile(const char* path) {
  const char* name = strstr(path, "/Temp/");
  if (name == nullptr) return false;
  name += 6;
  const char* p = name;
  while (*p >= '0' && *p <= '9') ++p;
  return p != name && strcmp(p, ".tmp") == 0;
}

}  // namespace

extern "C" int unlink(const char* path) {
  using Unlink = int (*)(const char*);
  static const Unlink real = reinterpret_cast<Unlink>(dlsym(RTLD_NEXT, "unlink"));
  static int seen = 0;
  if (path != nullptr && IsBlockFile(path)) {
    const char* k = getenv("VEXO_KILL_AT_BLOCK_DELETE");
    if (k != nullptr && ++seen == atoi(k)) raise(SIGKILL);
  }
  return real(path);
}
