// Fixture trees and hook fakes for the file helper tests.
#include "imisc_fixture.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

namespace imisc_test {
namespace fs = std::filesystem;

namespace {

std::vector<StatusMessage> recorded_statuses;
std::vector<std::string> recorded_assertions;

void record_status(StatusMessage message) {
  recorded_statuses.push_back(message);
}

void record_assertion(const char* expression, const char* source, int line) {
  recorded_assertions.push_back(std::string(expression) + "|" + source + "|" + std::to_string(line));
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
  return s;
}

void collect(const fs::path& dir, const std::string& prefix, std::vector<std::string>& out) {
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = prefix + entry.path().filename().string();
    if (entry.is_directory()) {
      out.push_back(name + "\\");
      collect(entry.path(), name + "\\", out);
    } else {
      out.push_back(name);
    }
  }
}

}  // namespace

fs::path fs_path(const std::string& installer_path) {
#ifdef _WIN32
  return fs::path(installer_path);
#else
  std::string p = installer_path;
  std::replace(p.begin(), p.end(), '\\', '/');
  return fs::path(p);
#endif
}

TempTree::TempTree() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate = base / ("vok-imisc-" + std::to_string(random() % 100000000u));
    if (fs::create_directory(candidate)) {
      root_ = candidate.string();
      break;
    }
  }
}

TempTree::~TempTree() {
  std::error_code ignored;
  // Read-only files made by a test must not keep the tree.
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fs_path(root_), ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(fs_path(root_), ignored);
}

std::string TempTree::at(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "\\" + relative;
}

void TempTree::make_dir(const std::string& relative) const {
  fs::create_directories(fs_path(at(relative)));
}

void TempTree::write(const std::string& relative, const std::string& text) const {
  const fs::path path = fs_path(at(relative));
  fs::create_directories(path.parent_path());
  std::ofstream out(path);
  out << text;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

bool TempTree::exists(const std::string& relative) const {
  return fs::exists(fs_path(at(relative)));
}

std::string TempTree::read(const std::string& relative) const {
  std::ifstream in(fs_path(at(relative)));
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> TempTree::listing(const std::string& relative) const {
  std::vector<std::string> out;
  collect(fs_path(at(relative)), "", out);
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return lower(a) < lower(b); });
  return out;
}

HookRecorder::HookRecorder() : saved_(imisc_hooks()) {
  recorded_statuses.clear();
  recorded_assertions.clear();
  ImiscHooks hooks;
  hooks.show_status = record_status;
  hooks.report_assertion = record_assertion;
  set_imisc_hooks(hooks);
}

HookRecorder::~HookRecorder() {
  set_imisc_hooks(saved_);
}

const std::vector<StatusMessage>& HookRecorder::statuses() const {
  return recorded_statuses;
}

const std::vector<std::string>& HookRecorder::assertions() const {
  return recorded_assertions;
}

}  // namespace imisc_test
