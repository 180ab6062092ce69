// dialogue_fuzzer: the dialogue's answer readers (strings, one-letter choices, up to three
// integers, reals or doubles in comma-separated fields of a 64-character answer) and range tests
// over arbitrary answers.
//
// The first up to eight bytes, before a line end, are the script: each byte chooses a reader
// (its value mod 6) and the reader's argument (the rest); the following lines are the answers.
// Standard input that ends while an answer is awaited ends in the error stop. Findings besides
// crashes: a choice outside 1 to the number of codes plus 1, or one that disagrees with its error
// flag; a string answer that does not keep the length asked for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fts/ftsiface.hpp"
#include "harness.hpp"

namespace {

using fts::fuzz::expect;

void converse(std::string_view script) {
  for (const char c : script) {
    const auto op = static_cast<unsigned char>(c);
    const int32_t arg = op / 6;
    int32_t ierr = 0, d1 = 0, d2 = 0, d3 = 0;
    switch (op % 6) {
      case 0: {
        std::string s(static_cast<std::size_t>(arg), ' ');
        fts::GETSTR(s);
        expect(s.size() == static_cast<std::size_t>(arg), "a string answer changed its length");
        break;
      }
      case 1: {
        const std::string_view codes[] = {"AC", "FRB", " YN", ""};
        const std::string_view chosen = codes[arg % 4];
        int32_t icho = 0;
        fts::GETABR(chosen, icho, ierr);
        expect(icho >= 1 && icho <= static_cast<int32_t>(chosen.size()) + 1,
               "a choice outside the codes offered");
        expect((ierr == 0) == (icho <= static_cast<int32_t>(chosen.size())),
               "a choice and its error flag disagree");
        break;
      }
      case 2: {
        int32_t v1 = 0, v2 = 0, v3 = 0;
        fts::GETNUM(arg % 5, v1, d1, v2, d2, v3, d3, ierr);
        if (ierr == 0) fts::TSTNUM(v1, v2, v3, ierr);
        break;
      }
      case 3: {
        float v1 = 0, v2 = 0, v3 = 0;
        fts::GETFLT(arg % 5, v1, d1, v2, d2, v3, d3, ierr);
        if (ierr == 0) fts::TSTFLT(v1, v2, v3, ierr);
        break;
      }
      case 4: {
        double v1 = 0, v2 = 0, v3 = 0;
        fts::GETDBL(arg % 5, v1, d1, v2, d2, v3, d3, ierr);
        if (ierr == 0) fts::TSTDBL(v1, v2, v3, ierr);
        break;
      }
      default:
        fts::REQUES("A PROMPT : ");
        fts::MSGNUM("FUZZ     01> - NUMBER ", arg - 20);
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t line_end = in.find('\n');
  const bool short_script = line_end != std::string_view::npos && line_end <= 8;
  const std::size_t end = short_script ? line_end : std::min<std::size_t>(in.size(), 8);
  const std::string_view script = in.substr(0, end);
  const std::string_view answers = in.substr(short_script ? end + 1 : end);
  std::string log;
  fts::fuzz::run_in_folder(answers, log, [&] { converse(script); });
  return 0;
}
