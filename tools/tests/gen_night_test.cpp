// End-to-end tests of the example-night generator: it writes the committed example inputs from
// the committed settings, the same files again for the same seed, never writes over a file, and
// its night passes through ledgorix (every header) and magnorav (a scaled spectrum) without a
// message.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftsuser1.hpp"
#include "fts/lun.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanmask.hpp"

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

const fs::path kSettings = ft::source_path("examples/night.txt");
const fs::path kExample = ft::source_path("examples/night");
constexpr int32_t kScans = 72;  // of the example night

const std::vector<std::string> kTexts = {"lines.txt",   "mask.txt",     "calib.txt",
                                         "kelvorn.ans", "kelvoras.ans", "lissorak.ans"};
const std::vector<std::string> kScanFiles = {"night.scn", "response.scn", "solar.scn"};

// Runs gen_night with ARGS (already quoted where needed), its output into LOG; the exit status.
int generate(const std::string& args, const fs::path& log) {
  const std::string command =
      ft::program("gen_night").string() + " " + args + " > '" + log.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The example night into DIR / NAME, with EXTRA settings after the committed ones.
fs::path example_night(const ft::TempDir& dir, const std::string& name,
                       const std::string& extra = "") {
  const fs::path out = dir / name;
  EXPECT_EQ(
      generate("--settings '" + kSettings.string() + "' --out '" + out.string() + "' " + extra,
               dir / (name + ".log")),
      0)
      << ft::read_file(dir / (name + ".log"));
  return out;
}

// Message lines of a run's log: "#NAME    NN>" (a name of 8 characters, a blank, two digits)
// anywhere in it.
bool has_message(const std::string& log) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  for (std::size_t at = log.find('#'); at != std::string::npos; at = log.find('#', at + 1)) {
    if (at + 12 < log.size() && log[at + 9] == ' ' && digit(log[at + 10]) && digit(log[at + 11]) &&
        log[at + 12] == '>')
      return true;
  }
  return false;
}

// Scan NXTSCN of the scan file PATH, whole, as floats.
std::vector<float> load_scan(const fs::path& path, int32_t nxtscn) {
  constexpr int32_t kUnit = 21;
  int32_t ierr = 0, ieof = 0, curscn = 1;
  fts::OPFINP(kUnit, path.string(), ierr);
  EXPECT_EQ(ierr, 0);
  fts::Header hdr, ahdr;
  fts::GETHDR(kUnit, hdr, curscn, nxtscn, ierr, ieof);
  EXPECT_EQ(ierr + ieof, 0);
  std::vector<float> values(static_cast<std::size_t>(hdr(fts::QQSLEN)));
  fts::LDINDX(kUnit, hdr, values, ahdr, 2, 0, 1, hdr(fts::QQSLEN), ierr);
  EXPECT_EQ(ierr, 0);
  fts::lun::close(kUnit);
  return values;
}

}  // namespace

TEST(GenNight, WritesTheCommittedExampleInputsAndTheSameFilesForTheSameSeed) {
  const ft::TempDir dir;
  const fs::path a = example_night(dir, "a");
  const fs::path b = example_night(dir, "b");
  for (const std::string& name : kTexts) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(ft::same_lines(ft::read_file(kExample / name), ft::read_file(a / name)));
    EXPECT_EQ(ft::read_file(a / name), ft::read_file(b / name));
  }
  EXPECT_EQ(ft::read_file(a / "truth.txt"), ft::read_file(b / "truth.txt"));
  for (const std::string& name : kScanFiles) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ft::mask_scan_stamps(ft::read_file(a / name)),
              ft::mask_scan_stamps(ft::read_file(b / name)));
  }
  // The truth: a header, then one line per scan.
  const std::string truth = ft::read_file(a / "truth.txt");
  EXPECT_EQ(std::count(truth.begin(), truth.end(), '\n'), 5 + kScans);

  // Another seed: another night (waves and noise), the same band and inputs.
  const fs::path c = example_night(dir, "c", "--seed 2");
  EXPECT_NE(ft::read_file(c / "truth.txt"), truth);
  EXPECT_NE(ft::mask_scan_stamps(ft::read_file(c / "night.scn")),
            ft::mask_scan_stamps(ft::read_file(a / "night.scn")));
  EXPECT_EQ(ft::read_file(c / "lines.txt"), ft::read_file(a / "lines.txt"));
  EXPECT_EQ(ft::mask_scan_stamps(ft::read_file(c / "solar.scn")),
            ft::mask_scan_stamps(ft::read_file(a / "solar.scn")));
}

TEST(GenNight, NeverWritesOverAFileAndRefusesBadSettings) {
  const ft::TempDir dir;
  const fs::path out = dir / "night";
  fs::create_directories(out);
  ft::write_file(out / "truth.txt", "mine\n");
  EXPECT_EQ(generate("--out '" + out.string() + "'", dir / "log"), 1);
  EXPECT_NE(ft::read_file(dir / "log").find("exists already"), std::string::npos);
  EXPECT_EQ(ft::read_file(out / "truth.txt"), "mine\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);

  struct Case {
    bool with_folder;
    const char* args;
    const char* message;
  };
  const Case kCases[] = {
      {true, "--window 6", "bad value \"6\" of setting window"},
      {true, "--colour red", "unknown setting \"colour\""},
      {true, "--from 6000 --to 9000 --resolution 0.1", "more than 4096"},
      {false, "--window 3", "no --out folder"},
  };
  const fs::path fresh = dir / "fresh";
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.args);
    const std::string folder = c.with_folder ? "--out '" + fresh.string() + "' " : "";
    EXPECT_NE(generate(folder + c.args, dir / "log"), 0);
    EXPECT_NE(ft::read_file(dir / "log").find(c.message), std::string::npos)
        << ft::read_file(dir / "log");
    EXPECT_FALSE(fs::exists(fresh));  // nothing made before the settings are known to be good
  }
}

TEST(GenNight, TheNightPassesThroughLedgorixAndMagnoravWithoutAMessage) {
  const ft::TempDir dir;
  const fs::path night = example_night(dir, "night");

  ASSERT_TRUE(has_message(" #GETHDR   03> - EOF AFTER SCAN 000002"));  // what a message is
  ASSERT_FALSE(has_message(" #LEDGORIX     - OK"));

  // ledgorix prints every header of the night.
  const ft::RunResult headers =
      ft::run_program(ft::program("ledgorix"),
                      "night.scn\nheaders.txt\n1," + std::to_string(kScans) + "\n0,0\n", night);
  EXPECT_EQ(headers.exit_status, 0);
  EXPECT_FALSE(has_message(headers.output)) << headers.output;
  EXPECT_NE(headers.output.find("#LEDGORIX     - OK"), std::string::npos) << headers.output;
  const std::string report = ft::read_file(night / "headers.txt");
  std::size_t pages = 0;
  for (std::size_t at = report.find("SCAN :"); at != std::string::npos;
       at = report.find("SCAN :", at + 1))
    ++pages;
  EXPECT_EQ(pages, static_cast<std::size_t>(kScans));

  // magnorav doubles scan 3.
  const ft::RunResult scaled =
      ft::run_program(ft::program("magnorav"), "night.scn\n3\n2\n0\nscaled.scn\n", night);
  EXPECT_EQ(scaled.exit_status, 0);
  EXPECT_FALSE(has_message(scaled.output)) << scaled.output;
  EXPECT_NE(scaled.output.find("*OK"), std::string::npos) << scaled.output;
  const std::vector<float> original = load_scan(night / "night.scn", 3);
  const std::vector<float> doubled = load_scan(night / "scaled.scn", 1);
  ASSERT_EQ(doubled.size(), original.size());
  for (std::size_t k = 0; k < original.size(); ++k) ASSERT_EQ(doubled[k], 2.0f * original[k]) << k;
}
