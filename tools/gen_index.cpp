// gen_index: writes the index of the library's public routines (fts/INDEX.md): for every layer,
// every module header and every routine declared in it, the routine's name and the one-line
// summary its header gives it.
//
// Usage: gen_index SOURCE_DIR                  writes the index to standard output
//        gen_index SOURCE_DIR --check FILE     exits 1 (with a hint) when FILE is not the index
//
// A routine is a function declared at namespace scope in a module header (not in a class, not in
// a namespace detail). Its summary is the comment on its declaration's last line, else the
// comment block directly above the declaration (up to a blank line or a banner), joined into
// one line; routines declared one after another under one comment share it.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The layers from the bottom up, as the library's CMakeLists lists them.
constexpr const char* kLayers[] = {"runtime",  "units",    "dialogue", "numerics",
                                   "scanfile", "spectrum", "ephemeris"};

struct Routine {
  std::string name;
  std::string summary;
};

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool starts_with(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// The comment text of a line that is only a comment ("// text" -> "text").
std::string comment_text(const std::string& line) {
  const std::string t = trim(line);
  return trim(t.substr(2));
}

// Splits a line into its code and its trailing comment.
void split_comment(const std::string& line, std::string& code, std::string& comment) {
  const auto pos = line.find("//");
  if (pos == std::string::npos) {
    code = line;
    comment.clear();
  } else {
    code = line.substr(0, pos);
    comment = trim(line.substr(pos + 2));
  }
}

int count(const std::string& s, char c) {
  return static_cast<int>(std::count(s.begin(), s.end(), c));
}

bool is_word(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The name a function declaration declares: the word before its first '(', behind a return type
// (at least one word or a type punctuation before it); empty for anything else.
std::string declared_name(const std::string& s) {
  const auto paren = s.find('(');
  std::size_t end = paren;
  while (end > 0 && s[end - 1] == ' ') --end;
  std::size_t begin = end;
  while (begin > 0 && is_word(s[begin - 1])) --begin;
  if (begin == end || begin == 0) return "";
  const char before = s[begin - 1];
  if (before != ' ' && before != '*' && before != '&') return "";
  if (std::isdigit(static_cast<unsigned char>(s[begin])) != 0) return "";
  const std::string name = s.substr(begin, end - begin);
  return name == "operator" || name == "return" ? "" : name;
}

// The routines of one header.
std::vector<Routine> routines_of(const fs::path& header) {
  std::ifstream in(header);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);

  std::vector<Routine> out;
  std::vector<std::string> block;  // comment lines directly above
  std::string shared;              // summary of the last routine of a run without a gap
  std::string section;             // the comment that opens the current banner section
  bool after_banner = false;
  int depth = 0;  // brace depth beyond namespaces
  bool in_detail = false;
  int detail_depth = 0;

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string t = trim(lines[i]);
    if (t.empty()) {
      if (after_banner) {
        for (const std::string& b : block) section += (section.empty() ? "" : " ") + b;
        after_banner = false;
      }
      block.clear();
      shared.clear();
      continue;
    }
    if (starts_with(t, "//")) {
      if (starts_with(t, "// ---")) {
        block.clear();
        section.clear();
        after_banner = true;
      } else {
        block.push_back(comment_text(t));
      }
      shared.clear();
      continue;
    }
    after_banner = false;
    if (starts_with(t, "#")) continue;
    if (starts_with(t, "namespace ")) {
      if (t.find("detail") != std::string::npos) {
        in_detail = true;
        detail_depth = depth;
      }
      continue;
    }
    if (starts_with(t, "}  // namespace") || t == "}") {
      if (t == "}" && depth > 0) {
        --depth;
      } else if (in_detail && depth == detail_depth) {
        in_detail = false;
      }
      block.clear();
      continue;
    }
    if (depth > 0 || in_detail) {
      std::string code, comment;
      split_comment(lines[i], code, comment);
      depth += count(code, '{') - count(code, '}');
      if (depth < 0) depth = 0;
      continue;
    }

    // A statement at namespace scope: gather it up to its ';' or its body's '{'.
    std::string statement;
    std::string trailing;
    std::size_t j = i;
    for (; j < lines.size(); ++j) {
      std::string code, comment;
      split_comment(lines[j], code, comment);
      statement += " " + code;
      if (!comment.empty()) trailing = comment;
      if (code.find(';') != std::string::npos || code.find('{') != std::string::npos) break;
    }
    const int opened = count(statement, '{') - count(statement, '}');
    // A template's declaration follows its parameter list.
    std::string s = trim(statement);
    if (starts_with(s, "template")) {
      int angle = 0;
      std::size_t k = 0;
      for (; k < s.size(); ++k) {
        if (s[k] == '<') ++angle;
        if (s[k] == '>' && --angle == 0) break;
      }
      s = trim(s.substr(std::min(k + 1, s.size())));
    }
    const bool not_routine = starts_with(s, "struct ") || starts_with(s, "class ") ||
                             starts_with(s, "enum ") || starts_with(s, "using ") ||
                             starts_with(s, "extern ") || s.find('(') == std::string::npos ||
                             s.find('=') < s.find('(');
    const std::string name = not_routine ? std::string() : declared_name(s);
    if (!name.empty()) {
      std::string summary = trailing;
      if (summary.empty()) {
        for (const std::string& b : block) summary += (summary.empty() ? "" : " ") + b;
      }
      if (summary.empty()) summary = shared;
      if (summary.empty()) summary = section;
      out.push_back({name, summary});
      shared = summary;
    } else {
      shared.clear();
    }
    block.clear();
    if (opened > 0) depth += opened;
    i = j;
  }
  return out;
}

// The text up to its first full stop that ends a sentence (one followed by a blank, and not
// part of an ellipsis).
std::string first_sentence(const std::string& text) {
  for (auto stop = text.find(". "); stop != std::string::npos; stop = text.find(". ", stop + 1)) {
    if (stop == 0 || text[stop - 1] != '.') return text.substr(0, stop + 1);
  }
  return text;
}

std::string index_text(const fs::path& source) {
  std::ostringstream out;
  out << "# Routine index\n\n"
      << "Every public routine of the library, layer by layer from the bottom up, with the header "
         "that declares it\nand its one-line summary. Generated by `tools/gen_index.cpp` "
         "(`build/bin/gen_index . > fts/INDEX.md`);\na test fails when it is out of date.\n";
  int total = 0;
  for (const char* layer : kLayers) {
    const fs::path dir = source / "fts" / layer / "include" / "fts";
    std::vector<fs::path> headers;
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.is_regular_file() && e.path().extension() == ".hpp" && e.path().stem() != layer) {
        headers.push_back(e.path());
      }
    }
    std::sort(headers.begin(), headers.end());
    out << "\n## " << layer << "\n";
    for (const fs::path& h : headers) {
      const std::vector<Routine> routines = routines_of(h);
      if (routines.empty()) continue;
      out << "\n### `fts/" << h.filename().string() << "`\n\n";
      out << "| Routine | Summary |\n|---|---|\n";
      for (std::size_t k = 0; k < routines.size(); ++k) {
        const Routine& r = routines[k];
        // Overloads declared one after another are listed once.
        if (k > 0 && routines[k - 1].name == r.name) continue;
        std::string summary = first_sentence(r.summary);
        for (std::size_t p = summary.find('|'); p != std::string::npos;
             p = summary.find('|', p + 2)) {
          summary.replace(p, 1, "\\|");
        }
        out << "| `" << r.name << "` | " << summary << " |\n";
        ++total;
      }
    }
  }
  out << "\n" << total << " routines.\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--check")) {
    std::fprintf(stderr, "usage: gen_index SOURCE_DIR [--check FILE]\n");
    return 2;
  }
  const std::string text = index_text(argv[1]);
  if (argc == 2) {
    std::cout << text;
    return 0;
  }
  std::ifstream in(argv[3], std::ios::binary);
  std::ostringstream committed;
  committed << in.rdbuf();
  if (committed.str() != text) {
    std::fprintf(stderr,
                 "%s is out of date: regenerate it with\n  build/bin/gen_index . > fts/INDEX.md\n",
                 argv[3]);
    return 1;
  }
  return 0;
}
