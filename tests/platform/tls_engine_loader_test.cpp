// The TLS module, loaded when TLS is first needed.
#include "platform/tls_engine_loader.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

TEST(TlsEngineLoaderTest, AMissingOrForeignModuleGivesNoEngineAndSaysWhy) {
  struct Case {
    const char* file;
    const char* said;
  };
  for (const Case& c : {Case{"libvexo-tls-missing.so", "libvexo-tls-missing.so"},
                        Case{"libc.so.6", kTlsEngineEntry}}) {
    const LoadedTlsEngine loaded = LoadTlsEngine(c.file);
    EXPECT_EQ(loaded.engine, nullptr) << c.file;
    EXPECT_NE(loaded.failure.find(c.said), std::string::npos) << loaded.failure;
  }
}

TEST(TlsEngineLoaderTest, TheBuiltModuleIsFoundAndLoadedOnce) {
  const LoadedTlsEngine loaded = LoadTlsEngine(TlsModulePath());
  ASSERT_NE(loaded.engine, nullptr) << loaded.failure;
  EXPECT_EQ(ProgramTlsEngine(), loaded.engine);
}

}  // namespace
}  // namespace vexo
