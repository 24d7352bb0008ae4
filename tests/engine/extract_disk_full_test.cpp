// A real short write: the engine runs in a child process whose files may not
// grow beyond a limit (RLIMIT_FSIZE, with SIGXFSZ ignored so that the write
// comes back short instead of killing the process). Both answers to the
// write-error question, and what happens to the members around the failing one.
#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_main.h"
#include "engine/engine_state.h"
#include "support/scratch_dir.h"
#include "support/zip_writer.h"

namespace {

using testutil::read_file;
using testutil::ScratchDir;

// Runs unpak's engine on args in a child limited to limit bytes per file;
// its standard input reads reply, its standard error goes to err_path.
// Returns the child's exit status (the engine's result), or -1.
int run_with_file_limit(std::vector<std::string> args, long limit, const std::string& reply_path,
                        const std::string& err_path) {
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen(reply_path.c_str(), "rb", stdin) == nullptr) _exit(100);
    int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int null = ::open("/dev/null", O_WRONLY);
    if (err < 0 || null < 0) _exit(101);
    ::dup2(err, 2);
    ::dup2(null, 1);
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl {};
    rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(limit);
    if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(102);
    args.insert(args.begin(), "unpak");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    auto* s = new EngineState();  // the child ends with _exit: nothing to release
    int r = engine_run(*s, static_cast<int>(args.size()), argv.data());
    std::fflush(stderr);
    _exit(r);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DiskFull, ShortWriteAsksAndKeepsOtherMembers) {
  struct Case {
    const char* reply;
    int result;
    bool last_written;
  } cases[] = {
      {"n\n", 50, false},  // stop: the archive ends at once
      {"y\n", 2, true},    // go on: the member is cut short (bad CRC), the next one is extracted
  };
  const std::string first(1000, 'a');
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31);
  const std::string last(1000, 'c');
  for (const Case& c : cases) {
    ScratchDir dir;
    zipw::Archive a;
    for (const auto& [name, data] :
         {std::pair<std::string, std::string>{"first.txt", first}, {"big.bin", big}, {"last.txt", last}}) {
      zipw::Member m;
      m.name = name;
      m.data = data;
      a.members.push_back(m);
    }
    ASSERT_TRUE(zipw::write_file(dir / "a.zip", zipw::build(a)));
    testutil::write_file(dir / "reply.txt", c.reply);
    int r = run_with_file_limit({"-q", dir / "a.zip", "-d", dir / "out"}, 100000, dir / "reply.txt",
                                dir / "err.txt");
    std::string err = read_file(dir / "err.txt");
    EXPECT_EQ(r, c.result) << c.reply << err;
    EXPECT_EQ(read_file(dir / "out/first.txt"), first) << "nothing already extracted is lost";
    std::string partial = read_file(dir / "out/big.bin");
    EXPECT_LE(partial.size(), 100000u);
    EXPECT_EQ(partial, big.substr(0, partial.size())) << "what was written is right";
    EXPECT_EQ(read_file(dir / "out/last.txt"), c.last_written ? last : "") << c.reply;
    const std::string question = dir / "out/big.bin" + ":  write error (disk full?).  Continue? (y/n/^C) ";
    std::size_t at = err.find(question);
    EXPECT_NE(at, std::string::npos) << err;
    EXPECT_EQ(err.find(question, at + 1), std::string::npos) << "asked once: " << err;
  }
}

}  // namespace

#endif  // _WIN32
