// make_seeds: writes the seed corpora of fuzz/corpus from small scans made with the library's
// own writer (some then turned into the other byte order or given absurd items byte by byte),
// the end-to-end cases' answer files and the time-series fixtures; and the fit programs' fixed
// inputs of fuzz/fixtures with their seeds, made by the forward model of the fit tests.
// Usage: fuzz_make_seeds <source folder of the suite>
// The output, the whole of fuzz/corpus and the fit_* files of fuzz/fixtures, is committed; run it
// again only when the fixtures it draws on change.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fixtures.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/lun.hpp"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecord = 512;

std::string read_all(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_all(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

// A scan to write: its header items and the values of its elements.
struct Scan {
  fts::Header hdr;
  std::vector<float> values;
  int32_t file_type = 2;
};

// An interferogram (KIND 0) or spectrum (KIND 1) of POINTS points in representation REP.
Scan scan(int32_t kind, int32_t rep, int32_t points, int32_t file_type) {
  Scan s;
  fts::INITHD(s.hdr);
  fts::PTDSRC(s.hdr, "FUZZ SEED");
  fts::Header& h = s.hdr;
  h(fts::QQDKND) = kind;
  h(fts::QQDREP) = rep;
  h(fts::QQDTYP) = 2;
  h(fts::QQDYUN) = 1;
  h(fts::QQISUN) = 1;
  h(fts::QQSSUN) = 1;
  h(fts::QQADDS) = 1;
  h(fts::QQIBDY) = 739000;
  h(fts::QQIEDY) = 739000;
  h(fts::QQIEMS) = 60000;
  h(fts::QQIDUR) = 60;
  h(fts::QQISMP) = 6328;
  h(fts::QQISLP) = 2;
  h(fts::QQRESL) = 4096;
  h(fts::QQILEN) = kind == 0 ? points : 8192;
  h(fts::QQICEN) = kind == 0 ? points / 2 : 4096;
  h(fts::QQSSMP) = 6328;
  h(fts::QQSTSZ) = 8192;
  h(fts::QQSSLP) = 1;
  h(fts::QQSOFF) = 1000;
  h(fts::QQSLEN) = kind == 1 ? points : 0;
  const int32_t elements = rep == 2 ? 2 * points : points;
  for (int32_t k = 0; k < elements; ++k) {
    s.values.push_back(static_cast<float>((k * 37 % 201) - 100) / 8.0f);
  }
  s.file_type = file_type;
  return s;
}

// The scan file BYTES with fixed write stamps, so that the seeds come out the same every time.
std::string fixed_stamps(std::string bytes) {
  for (std::size_t at = 0; at + kRecord <= bytes.size();) {
    int32_t records = 0;
    std::memcpy(&records, bytes.data() + at + 4 * (fts::QQFLEN - 97), 4);
    const int32_t stamps[2] = {739000, 0};
    std::memcpy(bytes.data() + at + 4 * (fts::QQFCDY - 97), stamps, sizeof stamps);
    at += kRecord * (1 + static_cast<std::size_t>(records));
  }
  return bytes;
}

// The bytes of a scan file of SCANS written by the library.
std::string file_of(const std::vector<Scan>& scans, const fs::path& tmp) {
  const std::string name = (tmp / "seed.scn").string();
  fs::remove(name);
  int32_t ierr = 0;
  fts::OPFOUT(1, name, ierr);
  for (const Scan& s : scans) {
    fts::Header ahdr = s.hdr, hdr;
    const int32_t points = s.hdr(fts::QQDKND) == 0 ? s.hdr(fts::QQILEN) : s.hdr(fts::QQSLEN);
    fts::STINDX(1, hdr, s.values, ahdr, s.file_type, s.hdr(fts::QQDREP), 1, points, ierr);
    if (ierr != 0) std::cerr << "a seed scan was not written\n";
  }
  fts::lun::close(1);
  return fixed_stamps(read_all(name));
}

// ---------------------------------------------------------------------------------------------
// The fit programs' inputs, from the forward model.

namespace fc = fit::cases;

// The bytes of what WRITE puts into a new file in TMP (a scan file unless TEXT; scan files with
// fixed stamps).
template <class Write>
std::string made(const fs::path& tmp, Write&& write, bool text = false) {
  const fs::path name = tmp / "fit.seed";
  fs::remove(name);
  if (!write(name)) std::cerr << "a fit seed was not written\n";
  return text ? read_all(name) : fixed_stamps(read_all(name));
}

// Three scans of a night ten minutes apart, at 185, 190 and 195 K, with noise.
std::vector<fc::ScanPlan> fit_scans(double SA) {
  std::vector<fc::ScanPlan> scans;
  for (int k = 0; k < 3; ++k) {
    fc::ScanPlan s;
    s.T = 185.0 + 5.0 * k;
    s.BI = 1000.0 - 50.0 * k;
    s.SA = SA * (3 - k);
    s.noise = 0.5;
    s.minute = 10 * k;
    scans.push_back(s);
  }
  return scans;
}

// The twilight night of the fixtures: from 18:20 UT at 50 N, 7 E, solar spectra for 0, -3, -6,
// -9 and -12 degrees, a sloping response, a slide scale 1.0001 times the true one.
fc::Night twilight() {
  fc::Night night;
  night.start_ms = (18 * 60 + 20) * 60000;
  night.solar_keys = {0, -10800, -21600, -32400, -43200};
  night.response_slope = 0.004;
  night.cal.c = {1.0001, 0.0, 0.0, 0.0, 0.0};
  return night;
}

// The fixed inputs (name -> bytes) and the seeds of the fit programs.
void fit_inputs(const fs::path& tmp, std::map<std::string, std::string>& fixtures,
                std::map<std::string, std::string>& seeds) {
  const fc::Night night = twilight();
  const auto night_of = [&](const fc::Night& n, const std::vector<fc::ScanPlan>& scans) {
    return made(tmp, [&](const fs::path& p) { return fc::write_night(p, n, scans); });
  };
  fixtures["fit_data.dat"] = night_of(night, fit_scans(100.0));
  fixtures["fit_response.dat"] =
      made(tmp, [&](const fs::path& p) { return fc::write_response(p, night); });
  fixtures["fit_solar.dat"] =
      made(tmp, [&](const fs::path& p) { return fc::write_solar(p, night); });
  fixtures["fit_lines.txt"] = made(
      tmp, [&](const fs::path& p) { return fc::write_lines(p, night.lines); }, true);
  fixtures["fit_mask.txt"] = "6830.0 6832.0\n6850.5,6851\n";
  fixtures["fit_calibration.txt"] = "1.0001\n";

  // Seeds: every fixture, a night without the solar term, one of gains and another layout, and
  // text files out of order.
  for (const auto& [name, bytes] : fixtures) seeds[name.substr(4)] = bytes;
  seeds["night_plain.dat"] = night_of(fc::Night{}, fit_scans(0.0));
  {
    std::vector<fc::ScanPlan> scans = fit_scans(0.0);
    scans[1].gains = {2, 1, 3};
    scans[2].edit = [](fts::Header& h) { h(fts::QQSSLP) = 2; };
    seeds["night_gains_layout.dat"] = night_of(fc::Night{}, scans);
  }
  seeds["lines_descending.txt"] =
      "6870.5 300 336 7 7 1\n6850.2 150 168 9 4 1\n6830.1 60 67.2 5 2 1\n6810 10 11.2 3 1 1\n";
  seeds["mask_descending.txt"] = "6850 6851\n6830 6832\n6840,6839\n";
  seeds["calibration_five.txt"] = "1.0001 -2.5 1e3\n1e-12 0\n";
}

// Sets the 32-bit item I of the header record at byte AT of BYTES (little-endian).
void set_item(std::string& bytes, std::size_t at, int32_t i, int32_t v) {
  std::memcpy(bytes.data() + at + 4 * static_cast<std::size_t>(i - 97), &v, 4);
}

// Turns the one-scan file BYTES of integer data of WIDTH bytes into the other byte order.
std::string foreign(std::string bytes, std::size_t width) {
  for (std::size_t w = 128; w < kRecord; w += 4) std::reverse(&bytes[w], &bytes[w] + 4);
  bytes[93] = 0;
  for (std::size_t w = kRecord; w + width <= bytes.size(); w += width) {
    std::reverse(&bytes[w], &bytes[w] + width);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_make_seeds <source folder of the suite>\n";
    return 2;
  }
  const fs::path src = argv[1];
  const fs::path out = src / "fuzz" / "corpus";
  fs::remove_all(out);  // every seed is made here
  const fs::path tmp = fs::temp_directory_path() / "fts-seeds";
  fs::create_directories(tmp);

  // Scan files.
  std::map<std::string, std::string> scans;
  scans["ifg_float_64"] = file_of({scan(0, 0, 64, 2)}, tmp);
  {
    Scan a = scan(0, 0, 100, 0), b = scan(0, 0, 90, 0);
    b.hdr(fts::QQMOTN) = 1;
    b.hdr(fts::QQICEN) = 40;
    scans["ifg_int16_forward_reverse"] = file_of({a, b}, tmp);
  }
  scans["ifg_int32_complex_foreign"] = foreign(file_of({scan(0, 2, 40, 1)}, tmp), 4);
  scans["spt_float_100"] = file_of({scan(1, 0, 100, 2)}, tmp);
  scans["spt_int16_complex_two"] = file_of({scan(1, 2, 40, 0), scan(1, 0, 30, 2)}, tmp);
  {
    Scan a = scan(0, 0, 64, 2), b = scan(0, 0, 64, 2);
    a.hdr(fts::QQICEN) = 2147483647;
    b.hdr(fts::QQICEN) = 2147483637;
    scans["ifg_centre_at_32_bit_limit"] = file_of({a, b}, tmp);
  }
  {
    std::string cut = file_of({scan(0, 0, 200, 2)}, tmp);
    cut.resize(kRecord + 300);
    scans["ifg_cut_inside_data"] = cut;
  }
  {
    std::string absurd = file_of({scan(0, 0, 64, 2), scan(0, 0, 64, 2)}, tmp);
    set_item(absurd, 0, fts::QQDSIZ, -1);
    set_item(absurd, 2 * kRecord, fts::QQFLEN, 2147483647);
    set_item(absurd, 2 * kRecord, fts::QQILEN, -2147483647 - 1);
    scans["ifg_absurd_counts"] = absurd;
  }
  for (const auto& [name, bytes] : scans) write_all(out / "scans" / name, bytes);

  // Load requests: user items 193-198 (array type, part, first and last point, file type of the
  // store, loader).
  struct Request {
    const char* scan;
    int32_t items[6];
  };
  const Request requests[] = {
      {"ifg_float_64", {2, 0, 0, 0, 0, 0}},
      {"ifg_float_64", {3, 0, 5, 60, 1, 1}},
      {"ifg_int16_forward_reverse", {0, 0, 0, 0, 1, 0}},
      {"ifg_int16_forward_reverse", {1, 0, 10, 99, 2, 1}},
      {"ifg_int32_complex_foreign", {2, 2, 0, 0, 0, 0}},
      {"ifg_int32_complex_foreign", {3, 1, 3, 10, 2, 0}},
      {"spt_float_100", {2, 0, 0, 0, 2, 2}},
      {"spt_float_100", {3, 0, 0, 0, 0, 3}},
      {"spt_int16_complex_two", {2, 2, 0, 0, 1, 2}},
  };
  int n = 0;
  for (const Request& r : requests) {
    std::string bytes = scans[r.scan];
    for (int32_t k = 0; k < 6; ++k) set_item(bytes, 0, 193 + k, r.items[k]);
    write_all(out / "loads" / ("request_" + std::to_string(++n)), bytes);
  }

  // Time series.
  std::map<std::string, std::string> series;
  for (const auto& e : fs::directory_iterator(src / "lissorak" / "tests" / "cases")) {
    const std::string name = e.path().filename().string();
    const auto dot = name.find(".in.");
    if (dot != std::string::npos) series[name.substr(0, dot)] = read_all(e.path());
  }
  for (const auto& [name, text] : series) write_all(out / "series" / name, text);

  // The fit programs' fixtures and seeds.
  std::map<std::string, std::string> fit_fixtures, fit_seeds;
  fit_inputs(tmp, fit_fixtures, fit_seeds);
  for (const auto& [name, bytes] : fit_fixtures) write_all(src / "fuzz" / "fixtures" / name, bytes);
  for (const auto& [name, bytes] : fit_seeds) write_all(out / "fit" / name, bytes);

  // Answers of the end-to-end cases, each with an input file, for the answers harnesses.
  const std::map<std::string, std::vector<std::string>> files_for = {
      {"combirax", {"ifg_int16_forward_reverse", "ifg_float_64", "ifg_centre_at_32_bit_limit"}},
      {"ledgorix", {"ifg_int16_forward_reverse", "ifg_absurd_counts", "spt_int16_complex_two"}},
      {"magnorav", {"spt_float_100", "spt_int16_complex_two", "ifg_float_64"}},
  };
  const std::vector<std::string> fit_files = {"data.dat", "night_plain.dat",
                                              "night_gains_layout.dat"};
  constexpr std::size_t kAnswerSeeds = 12;
  for (const char* program :
       {"combirax", "ledgorix", "magnorav", "lissorak", "kelvoras", "kelvorn"}) {
    std::vector<fs::path> stdins;
    for (const auto& e : fs::directory_iterator(src / program / "tests" / "cases")) {
      if (e.path().extension() == ".stdin") stdins.push_back(e.path());
    }
    std::sort(stdins.begin(), stdins.end());
    const std::size_t step = std::max<std::size_t>(1, stdins.size() / kAnswerSeeds);
    for (std::size_t i = 0, k = 0; i < stdins.size() && k < kAnswerSeeds; i += step, ++k) {
      const std::string name = stdins[i].stem().string();
      std::string file;
      if (std::string(program) == "lissorak") {
        file = series.count(name) != 0 ? series[name] : series.begin()->second;
      } else if (std::string(program).rfind("kelvor", 0) == 0) {
        file = fit_seeds[fit_files[k % fit_files.size()]];
      } else {
        const auto& choice = files_for.at(program);
        file = scans[choice[k % choice.size()]];
      }
      write_all(out / (std::string(program) + "_answers") / name,
                read_all(stdins[i]) + std::string(1, '\0') + file);
    }
  }

  // Free-format texts (first byte: the record layout) and dialogue scripts.
  write_all(out / "text" / "integers", std::string("\x00", 1) + "1 2 3 4 5 6 7 8 9 10\n-5,,7/\n");
  write_all(out / "text" / "reals",
            "\x81"
            "1.5D3, 2*7 / 3\n,,4 1.5+3 -.25\n3*2.5E-1\n");
  write_all(out / "text" / "mixed",
            "\x02"
            "1e38 -1e38 5\n NaN 2147483648 x\n");
  // Script bytes: reader = byte mod 6 (0 string, 1 choice, 2 integers, 3 reals, 4 doubles),
  // argument = byte div 6 (string length, set of codes, number of values).
  write_all(out / "dialogue" / "numbers",
            std::string("\x0e\x14\x15\x0a\x0e\n") + "3,7\n1 000,U,\n1.5E3,-.25,U\n2D0\n,4\n");
  write_all(out / "dialogue" / "choices",
            std::string("\x01\x07\x0d\x3c\x00\n", 6) + "abs\nb\nY\nA LONG NAME THAT GOES ON\n\n");
  fs::remove_all(tmp);
  return 0;
}
