// Fuzz target: a whole archive through engine_run in test mode ("-t -qq"),
// on a fresh engine state per input, as the installer's runs use it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/engine_main.h"
#include "engine/engine_state.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz_support::ScratchFile scratch("archive.zip");
  const std::string& path = scratch.path();
  if (!fuzz_support::write_file(path, data, size)) return 0;

  std::string program = "unpak", test = "-t", quiet = "-qq", archive = path;
  char* argv[] = {program.data(), test.data(), quiet.data(), archive.data(), nullptr};
  auto s = std::make_unique<EngineState>();
  const int result = engine_run(*s, 4, argv);
  if (result < 0 || result > 100) __builtin_trap();
  return 0;
}
