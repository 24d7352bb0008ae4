// The engine's backup of a replaced option file, made through the file
// helpers' copy_file.
#include <gtest/gtest.h>

#include <memory>

#include "imisc_fixture.h"
#include "installer/imisc/engine_backup_hook.h"
#include "support/engine_runner.h"
#include "support/zip_writer.h"

namespace {

using imisc_test::fs_path;
using imisc_test::TempTree;

struct AnswerHooks : EngineBackupHooks {
  int answer = 0;
  int questions = 0;
  int ask_yes_no(HookText, HookText, const char*, int) override {
    ++questions;
    return answer;
  }
};

TEST(EngineBackupHook, ReplacedOptionFileIsKeptAsBackup) {
  struct Case {
    int answer;
    const char* vpa;     // STANDARD.VPA afterwards
    const char* backup;  // STANDARD.0PA afterwards
  } cases[] = {{1, "new", "old"}, {0, "old", "<missing>"}};
  for (const auto& c : cases) {
    TempTree tree;
    tree.write("opts\\STANDARD.VPA", "old");
    zipw::Archive a;
    zipw::Member m;
    m.name = "OPTIONS/STANDARD.VPA";
    m.data = "new";
    m.host_made = 11;  // NTFS: the name keeps its letter case
    a.members.push_back(m);
    const std::string zip = fs_path(tree.at("setup.zip")).string();
    ASSERT_TRUE(zipw::write_file(zip, zipw::build(a)));

    AnswerHooks hooks;
    hooks.answer = c.answer;
    auto s = std::make_unique<EngineState>();
    s->hooks = &hooks;
    auto r = enginetest::run(
        *s, {"unpak", "-qq", "-j", zip, "OPTIONS/STANDARD.VPA", "-d", fs_path(tree.at("opts")).string()});
    EXPECT_EQ(r.result, 0) << "answer " << c.answer << ": " << r.err;
    EXPECT_EQ(hooks.questions, 1) << "answer " << c.answer;
    EXPECT_EQ(tree.read("opts\\STANDARD.VPA"), c.vpa) << "answer " << c.answer;
    EXPECT_EQ(tree.read("opts\\STANDARD.0PA"), c.backup) << "answer " << c.answer;
    EXPECT_EQ(s->member.backups_made, c.answer) << "answer " << c.answer;
  }
}

}  // namespace
