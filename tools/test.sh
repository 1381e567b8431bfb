#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test twice: a normal
# build, then a build under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

# The folders depend one way: no file includes a header of a higher layer
# (the configuration below fails likewise on a library linking upwards).
python3 tools/check_layers.py

# The sources are kept as .clang-format lays them out (clang-format -i fixes it).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

jobs=$(nproc 2>/dev/null || echo 2)
# A compiler cache, where one is installed, makes repeated runs quicker.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXO_WERROR=ON "${launcher[@]}"
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
# The desktop files, the installation and the Debian package.
bash tools/check_package.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXO_SANITIZE=ON -DVEXO_BUILD_BENCH=OFF \
  -DVEXO_WERROR=ON "${launcher[@]}"
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
(cd build-asan && ctest --output-on-failure -j "$jobs")

# Every input parser under the fuzzer for a short while; a finding fails.
if command -v clang++ >/dev/null; then
  FUZZ_SEED=1 bash tools/fuzz.sh 20
fi
