// scripts/batch end to end: kelvorn over several generated nights with two workers, each night's
// outputs equal to a single run of the same night; a night without its data file reported as
// failed while the others complete; a second call that reruns nothing; a retry once the data are
// there; and a night whose run was interrupted, run again with its partial outputs kept aside.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "fts_testing/run.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

const std::string kBatch = ft::source_path("scripts/batch").string();
const std::string kData = "night.scn";
// What kelvorn writes, as the generator's answer file names them.
const std::string kOutputs[] = {"kelvorn.rep", "kelvorn.fit"};

// Runs COMMAND through the shell in DIR; its standard output and error go to DIR/batch.out.
int shell(const fs::path& dir, const std::string& command);

// A night made by the example-night generator (a few scans, its own seed), with its answer file
// of kelvorn. Unless WITH_DATA, its data file is moved out of the folder, beside it as
// <folder>.scn.
void make_night(const fs::path& dir, int seed, bool with_data) {
  fs::create_directories(dir);
  std::string command = "'";
  command += ft::program("gen_night").string();
  command += "' --out . --scans 6 --seed ";
  command += std::to_string(seed);
  ASSERT_EQ(shell(dir, command), 0) << ft::read_file(dir / "batch.out");
  fs::remove(dir / "batch.out");
  if (!with_data) fs::rename(dir / kData, dir.string() + ".scn");
}

// Runs COMMAND through the shell in DIR; its standard output and error go to DIR/batch.out.
int shell(const fs::path& dir, const std::string& command) {
  const std::string line = "cd '" + dir.string() + "' && " + command + " > batch.out 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every file of a folder with its content and modification time.
struct Seen {
  std::string content;
  fs::file_time_type time;
};
std::map<std::string, Seen> files_of(const fs::path& dir) {
  std::map<std::string, Seen> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) {
      out[e.path().filename().string()] = {ft::read_file(e.path()), e.last_write_time()};
    }
  }
  return out;
}

// The night's outputs equal those of a single run of the same night, made here in a copy of its
// inputs.
void expect_as_single_run(const fs::path& night) {
  SCOPED_TRACE(night.string());
  ft::TempDir single;
  for (const char* input : {"night.scn", "response.scn", "mask.txt", "calib.txt", "lines.txt"}) {
    fs::copy_file(night / input, single / input);
  }
  const ft::RunResult run =
      ft::run_program(ft::program("kelvorn"), ft::read_file(night / "kelvorn.ans"), single.path());
  EXPECT_TRUE(ft::same_lines(run.output, ft::read_file(night / "kelvorn.log")));
  for (const std::string& out : kOutputs) {
    EXPECT_TRUE(ft::same_lines(ft::read_file(single / out), ft::read_file(night / out))) << out;
  }
  EXPECT_FALSE(ft::read_file(night / "kelvorn.fit").empty());
  EXPECT_TRUE(ft::read_file(night / "kelvorn.status").starts_with("ok\n"));
}

TEST(Batch, NightsRunOnTwoWorkersAFailedOneIsReportedAndASecondCallRerunsNothing) {
  ft::TempDir root;
  const std::vector<std::string> names = {"n1", "n2", "n3", "n4", "n5"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    make_night(root / names[i], static_cast<int>(i + 2), names[i] != "n3");
  }
  const std::string call =
      "'" + kBatch + "' -j 2 '" + ft::program("kelvorn").string() + "' n1 n2 n3 n4 n5";

  // First call: four nights ok, n3 failed for its missing data file, exit status not 0.
  EXPECT_EQ(shell(root.path(), call), 1);
  std::string out = ft::read_file(root / "batch.out");
  EXPECT_TRUE(contains(out, "FAILED " + (root / "n3").string() + ": # Error opening data file"))
      << out;
  EXPECT_TRUE(contains(out, "batch kelvorn: 5 nights, 4 ok, 1 failed, 0 not run\n")) << out;
  for (const std::string& n : names) {
    if (n != "n3") expect_as_single_run(root / n);
  }
  EXPECT_TRUE(ft::read_file(root / "n3/kelvorn.log").ends_with("\n#ERROR\n"));
  EXPECT_TRUE(ft::read_file(root / "n3/kelvorn.status").starts_with("failed: "));
  // The job log: one line per night, n3's with exit value 1 (and signal 0).
  const std::string joblog = ft::read_file(root / "kelvorn.joblog");
  EXPECT_EQ(std::count(joblog.begin(), joblog.end(), '\n'), 5) << joblog;
  EXPECT_TRUE(contains(joblog, "\t1\t0\t" + kBatch + " --run-one ")) << joblog;

  // Second call, on GNU parallel's remote execution with this machine as the host: nothing is
  // run again and no file of any night changes.
  std::map<std::string, std::map<std::string, Seen>> before;
  for (const std::string& n : names) before[n] = files_of(root / n);
  EXPECT_EQ(shell(root.path(), "'" + kBatch + "' -S 2/: '" + ft::program("kelvorn").string() +
                                   "' n1 n2 n3 n4 n5"),
            1);
  out = ft::read_file(root / "batch.out");
  EXPECT_TRUE(contains(out, "ok " + (root / "n1").string() + " (done before)")) << out;
  EXPECT_TRUE(contains(out, "--retry-failed")) << out;
  EXPECT_TRUE(contains(out, "batch kelvorn: 5 nights, 4 ok, 1 failed, 0 not run\n")) << out;
  for (const std::string& n : names) {
    SCOPED_TRACE(n);
    const auto now = files_of(root / n);
    ASSERT_EQ(now.size(), before[n].size());
    for (const auto& [file, seen] : now) {
      EXPECT_EQ(seen.content, before[n][file].content) << file;
      EXPECT_TRUE(seen.time == before[n][file].time) << file;
    }
  }

  // With its data file in place, the failed night is run again on request; its first log is
  // kept aside, and now every night is ok.
  fs::rename(root / "n3.scn", root / "n3" / kData);
  EXPECT_EQ(shell(root.path(), call + " --retry-failed"), 0);
  out = ft::read_file(root / "batch.out");
  EXPECT_TRUE(contains(out, "batch kelvorn: 5 nights, 5 ok, 0 failed, 0 not run\n")) << out;
  expect_as_single_run(root / "n3");
  EXPECT_TRUE(ft::read_file(root / "n3/kelvorn.aside-1/kelvorn.log").ends_with("#ERROR\n"));
  EXPECT_EQ(shell(root.path(), "'" + kBatch + "' --status '" + ft::program("kelvorn").string() +
                                   "' n1 n2 n3 n4 n5"),
            0);
}

// A program that writes part of its output, then waits as long as its answer says.
constexpr const char* kSlowProgram = R"(#!/bin/sh
read seconds
echo partial > out.txt
sleep "$seconds"
echo whole >> out.txt
echo " *OK"
)";

TEST(Batch, AnInterruptedNightIsRunAgainWithItsPartialOutputKeptAside) {
  ft::TempDir root;
  const fs::path program = root / "slow";
  ft::write_file(program, kSlowProgram);
  fs::permissions(program, fs::perms::owner_all);
  fs::create_directories(root / "quick");
  fs::create_directories(root / "stuck");
  ft::write_file(root / "quick/slow.ans", "0\n");
  ft::write_file(root / "stuck/slow.ans", "60\n");

  // The batch in its own process group, interrupted once the quick night is done and the stuck
  // one has begun its output.
  const std::string command = "cd '" + root.path().string() + "' && exec '" + kBatch +
                              "' -j 2 ./slow quick stuck > batch.out 2>&1";
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, &attr, const_cast<char**>(argv), environ), 0);
  posix_spawnattr_destroy(&attr);
  const auto begun = [&] {
    return fs::exists(root / "stuck/out.txt") &&
           ft::read_file(root / "quick/slow.status").starts_with("ok\n");
  };
  for (int i = 0; i < 600 && !begun(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(begun());
  kill(-pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);

  // The next call: the quick night is not run again; the stuck one is, after its partial output
  // and log were moved aside.
  ft::write_file(root / "stuck/slow.ans", "0\n");
  EXPECT_EQ(shell(root.path(), "'" + kBatch + "' -j 2 ./slow quick stuck"), 0);
  const std::string out = ft::read_file(root / "batch.out");
  EXPECT_TRUE(contains(out, "ok " + (root / "quick").string() + " (done before)")) << out;
  EXPECT_TRUE(contains(out, "batch slow: 2 nights, 2 ok, 0 failed, 0 not run\n")) << out;
  EXPECT_EQ(ft::read_file(root / "stuck/out.txt"), "partial\nwhole\n");
  EXPECT_EQ(ft::read_file(root / "stuck/slow.aside-1/out.txt"), "partial\n");
}

// The same nights as a Slurm array job, one task per night. Opt-in: scripts/test-slurm starts a
// single-node Slurm cluster and runs this test in it.
TEST(Slurm, AnArrayJobRunsEveryNightAsASingleRunWould) {
  if (std::getenv("FTS_SLURM") == nullptr) GTEST_SKIP() << "run by scripts/test-slurm";
  ft::TempDir root;
  const std::vector<std::string> names = {"n1", "n2", "n3", "n4"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    make_night(root / names[i], static_cast<int>(i + 2), names[i] != "n3");
  }
  const std::string call = "'" + kBatch + "' --slurm --submit -j 2 '" +
                           ft::program("kelvorn").string() + "' n1 n2 n3 n4";
  EXPECT_EQ(shell(root.path(), call), 1);
  const std::string out = ft::read_file(root / "batch.out");
  EXPECT_TRUE(contains(out, "FAILED " + (root / "n3").string() + ": # Error opening data file"))
      << out;
  EXPECT_TRUE(contains(out, "batch kelvorn: 4 nights, 3 ok, 1 failed, 0 not run\n")) << out;
  EXPECT_TRUE(contains(ft::read_file(root / "kelvorn-batch.sbatch"), "#SBATCH --array=1-4%2\n"));
  for (const std::string& n : names) {
    if (n != "n3") expect_as_single_run(root / n);
  }
  // A second submission runs nothing again.
  EXPECT_EQ(shell(root.path(), call), 1);
  EXPECT_TRUE(contains(ft::read_file(root / "kelvorn-batch.out/1.txt"), "(done before)"));
}

}  // namespace
