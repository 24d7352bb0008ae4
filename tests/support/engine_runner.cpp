// Engine runs with captured output (see engine_runner.h).
#include "support/engine_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>

#include "engine/engine_main.h"

namespace enginetest {

namespace {

RunOutput run_with(EngineState* s, const std::vector<std::string>& args) {
  RunOutput r;
  auto& storage = r.arguments;
  auto& argv = r.argv;
  for (const std::string& a : args) {
    // Room as the installer gives its arguments (100 bytes) or more.
    std::size_t size = a.size() + 1 < 100 ? 100 : a.size() + 1;
    storage.push_back(std::make_unique<char[]>(size));
    a.copy(storage.back().get(), a.size());
    storage.back()[a.size()] = '\0';
    argv.push_back(storage.back().get());
  }
  argv.push_back(nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int argc = static_cast<int>(args.size());
  r.result = s ? engine_run(*s, argc, argv.data()) : engine_main(argc, argv.data());
  std::fflush(stdout);
  std::fflush(stderr);
  r.err = unix_lines(testing::internal::GetCapturedStderr());
  r.out = unix_lines(testing::internal::GetCapturedStdout());
  return r;
}

}  // namespace

RunOutput run(EngineState& s, const std::vector<std::string>& args) {
  return run_with(&s, args);
}

RunOutput run_main(const std::vector<std::string>& args) {
  return run_with(nullptr, args);
}

ScratchDir::ScratchDir(const std::string& name) {
  namespace fs = std::filesystem;
  std::random_device random;
  for (;;) {
    fs::path dir = fs::temp_directory_path() / ("vok_" + name + "_" + std::to_string(random() % 1000000000u));
    std::error_code ec;
    if (fs::create_directories(dir, ec)) {
      path_ = dir.generic_string();
      return;
    }
    if (ec) throw std::runtime_error("cannot create " + dir.generic_string());
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string unix_lines(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace enginetest
