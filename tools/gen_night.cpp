// gen_night: writes an example night of airglow spectra of one hydroxyl Meinel band, with every
// input the fit programs need and the truth the spectra were made from.
//
// Usage: gen_night --out FOLDER [--settings FILE] [--NAME VALUE ...]
// Settings are "NAME VALUE" lines of a settings file ("#" starts a comment) or --NAME VALUE
// options, the options last; --help lists the names and their defaults (night.cpp).
//
// The night is described in night.hpp; Gaussian noise of the chosen level is added to its
// spectra from one stream of the seed, scan after scan.
//
// Files written into FOLDER (none may exist there already):
//   lines.txt      line parameter file of the band (hydroxyl.hpp: constants and simplifications)
//   night.scn      the spectra, one scan each, with times, gains, site (items 215-217)
//   response.scn   the response curve on the same axis
//   solar.scn      solar spectra keyed by sun elevation (item 218), highest sun first
//   mask.txt       the interval around the contaminating feature
//   calib.txt      the five coefficients of the slide scale
//   kelvorn.ans, kelvoras.ans, lissorak.ans   answer files of the three programs
//   truth.txt      per scan: day and hours (as the fit values file writes them), temperature,
//                  band intensity and solar amplitude (both as the fit reports them: divided by
//                  the response mean), sun elevation, key of the solar spectrum drawn, gains
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "night.hpp"

namespace fs = std::filesystem;
namespace fw = fts::forward;

namespace {

constexpr const char* kUsage = R"(usage: gen_night --out FOLDER [--settings FILE] [--NAME VALUE ...]

Writes an example night of hydroxyl airglow spectra and every input of kelvorn, kelvoras and
lissorak into FOLDER (created when missing; no file in it is ever written over).

)";

void usage(FILE* to) {
  std::fputs(kUsage, to);
  std::fputs(night::kSettingsUsage, to);
}

int generate(const night::Settings& s, const fs::path& folder) {
  const std::vector<std::string> names = {
      "lines.txt", "night.scn",   "response.scn", "solar.scn",    "mask.txt",
      "calib.txt", "kelvorn.ans", "kelvoras.ans", "lissorak.ans", "truth.txt"};
  std::string error;
  const std::unique_ptr<night::Night> night = night::Night::make(s, error);
  if (!night) {
    std::fprintf(stderr, "gen_night: %s\n", error.c_str());
    return 1;
  }

  // The folder, with none of the files in it.
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "gen_night: cannot create the folder %s\n", folder.c_str());
    return 1;
  }
  for (const std::string& name : names) {
    if (fs::exists(folder / name)) {
      std::fprintf(stderr, "gen_night: %s exists already; nothing written\n",
                   (folder / name).c_str());
      return 1;
    }
  }

  // The scans, with the noise of one stream.
  fw::Noise noise(s.seed);
  fw::ScanWriter writer;
  if (!writer.open(folder / "night.scn")) {
    std::fprintf(stderr, "gen_night: cannot create %s\n", (folder / "night.scn").c_str());
    return 1;
  }
  std::string truth = night->truth_header();
  int32_t twilight_scans = 0;
  for (int32_t n = 1; n <= s.scans; ++n) {
    const night::ScanTruth scan = night->scan(n);
    twilight_scans += scan.elevation / 3600.0 > night->twilight_end() ? 1 : 0;
    std::vector<double> y = night->spectrum(scan);
    noise.add(y, s.noise);
    if (!writer.write(fw::spectrum_header(scan.items), y, s.type)) {
      std::fprintf(stderr, "gen_night: cannot write scan %d of night.scn\n", n);
      return 1;
    }
    truth += night::Night::truth_line(scan);
  }
  if (!writer.close()) {
    std::fprintf(stderr, "gen_night: cannot close night.scn\n");
    return 1;
  }

  // The other inputs, the answer files and the truth.
  const auto text = [&](const std::string& name, const std::string& content) {
    return fw::write_new_text_file(folder / name, content, error);
  };
  const bool ok = night->write_inputs(folder, error) &&
                  text("kelvorn.ans", night->answers("kelvorn", "night.scn", s.scans)) &&
                  text("kelvoras.ans", night->answers("kelvoras", "night.scn", s.scans)) &&
                  text("lissorak.ans", night->smoother_answers()) && text("truth.txt", truth);
  if (!ok) {
    std::fprintf(stderr, "gen_night: %s\n", error.c_str());
    return 1;
  }

  std::printf("gen_night: %d scans of the OH(%d,%d) band, seed %llu, into %s\n", s.scans, s.v_upper,
              s.v_lower, static_cast<unsigned long long>(s.seed), folder.c_str());
  std::printf("  fit range %.1f - %.1f cm-1 (%lld points), resolution %.4f cm-1, window %d\n",
              night->from(), night->to(), static_cast<long long>(night->fit_points()),
              night->resolution(), s.window);
  std::printf("  %zu lines; %d scans in twilight (sun above %g degrees); feature at %.2f cm-1\n",
              night->line_count(), twilight_scans, night->twilight_end(), night->feature());
  std::printf("  files:");
  for (const std::string& name : names) std::printf(" %s", name.c_str());
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  night::Settings settings;
  std::optional<fs::path> folder;
  std::string error;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    }
    if (arg.rfind("--", 0) != 0 || i + 1 >= argc) {
      std::fprintf(stderr, "gen_night: bad argument \"%s\"\n", arg.c_str());
      usage(stderr);
      return 2;
    }
    const std::string name = arg.substr(2);
    const std::string value = argv[++i];
    if (name == "out") {
      folder = value;
    } else if (name == "settings") {
      if (!night::read_settings_file(value, settings, error)) {
        std::fprintf(stderr, "gen_night: %s\n", error.c_str());
        return 2;
      }
    } else if (!night::set(settings, name, value, error)) {
      std::fprintf(stderr, "gen_night: %s\n", error.c_str());
      usage(stderr);
      return 2;
    }
  }
  if (!folder) {
    std::fprintf(stderr, "gen_night: no --out folder\n");
    usage(stderr);
    return 2;
  }
  return generate(settings, *folder);
}
