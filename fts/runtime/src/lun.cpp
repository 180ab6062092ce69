// lun: the table of open units and their record and line transfers.
#include "fts/lun.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

namespace fts::lun {

namespace {

enum class Kind { scan, text_in, text_out };

// Large stdio buffers: scan files are walked record after record, and most of a run's time is
// spent moving their bytes.
constexpr std::size_t kScanBuffer = std::size_t{1} << 20;
constexpr std::size_t kTextBuffer = std::size_t{1} << 16;

struct Unit {
  std::FILE* file = nullptr;
  std::string name;
  Kind kind = Kind::scan;
  int64_t record = 1;    // current record of a scan file
  bool writing = false;  // last transfer was a write (a seek must come between the two kinds)
  bool remove = false;   // temporary file, removed on close
  std::unique_ptr<char[]> buffer;
  std::unique_ptr<textio::FileLineSource> lines;
};

StopHandler stop_handler = nullptr;  // set only by in-process harnesses

std::map<int32_t, Unit>& units() {
  static std::map<int32_t, Unit> table;
  return table;
}

Unit* find(int32_t unit) {
  auto it = units().find(unit);
  return it == units().end() ? nullptr : &it->second;
}

int32_t error_number() {
  return errno > 0 ? errno : EIO;
}

void open_file(int32_t unit, std::string_view name, Status status, Kind kind, int32_t& ios) {
  close(unit);
  const std::string path(name);
  std::error_code ec;
  if (status == Status::old_file && std::filesystem::is_directory(path, ec)) {
    ios = EISDIR;
    return;
  }
  const char* mode = nullptr;
  if (kind == Kind::scan) {
    mode = status == Status::old_file ? "rb" : "w+bx";
  } else {
    mode = status == Status::old_file ? "r" : "wx";
  }
  errno = 0;
  std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), mode);
  if (file == nullptr) {
    ios = path.empty() ? ENOENT : error_number();
    return;
  }
  Unit u;
  u.file = file;
  u.name = path;
  u.kind = kind;
  const std::size_t size = kind == Kind::scan ? kScanBuffer : kTextBuffer;
  u.buffer = std::make_unique_for_overwrite<char[]>(size);  // stdio fills what it uses
  std::setvbuf(file, u.buffer.get(), _IOFBF, size);
  if (kind == Kind::text_in) u.lines = std::make_unique<textio::FileLineSource>(file);
  units()[unit] = std::move(u);
  ios = 0;
}

// Prepares a scan unit for a transfer in the given direction.
Unit* scan_unit(int32_t unit, bool write) {
  Unit* u = find(unit);
  if (u == nullptr || u->kind != Kind::scan) return nullptr;
  if (u->writing != write) {
    std::fseek(u->file, (u->record - 1) * kRecordBytes, SEEK_SET);
    u->writing = write;
  }
  return u;
}

}  // namespace

void open_scan(int32_t unit, std::string_view name, Status status, int32_t& ios) {
  open_file(unit, name, status, Kind::scan, ios);
}

void open_text(int32_t unit, std::string_view name, Status status, int32_t& ios) {
  open_file(unit, name, status, status == Status::old_file ? Kind::text_in : Kind::text_out, ios);
}

bool is_open(int32_t unit) {
  return find(unit) != nullptr;
}

const std::string& file_name(int32_t unit) {
  static const std::string none;
  const Unit* u = find(unit);
  return u ? u->name : none;
}

int32_t close(int32_t unit) {
  auto it = units().find(unit);
  if (it == units().end()) return 0;
  errno = 0;
  const bool failed = std::ferror(it->second.file) != 0;
  const int32_t ios = std::fclose(it->second.file) != 0 || failed ? error_number() : 0;
  if (it->second.remove) std::remove(it->second.name.c_str());
  units().erase(it);
  return ios;
}

int32_t close_all() {
  int32_t first = 0;
  while (!units().empty()) {
    const int32_t ios = close(units().begin()->first);
    if (first == 0) first = ios;
  }
  return first;
}

void remove_on_close(int32_t unit) {
  if (Unit* u = find(unit)) u->remove = true;
}

int64_t current_record(int32_t unit) {
  const Unit* u = find(unit);
  return u ? u->record : 0;
}

void rewind(int32_t unit) {
  Unit* u = find(unit);
  if (u == nullptr) return;
  std::fseek(u->file, 0, SEEK_SET);
  u->record = 1;
  u->writing = false;
}

int32_t read_record(int32_t unit, std::byte* dst) {
  int64_t got = 0;
  return read_records(unit, 1, dst, got);
}

int32_t read_records(int32_t unit, int64_t count, std::byte* dst, int64_t& records_read) {
  records_read = 0;
  if (count <= 0) return 0;
  Unit* u = scan_unit(unit, false);
  if (u == nullptr) return EBADF;
  const std::size_t want = static_cast<std::size_t>(count) * kRecordBytes;
  errno = 0;
  const std::size_t got = std::fread(dst, 1, want, u->file);
  records_read = static_cast<int64_t>(got / kRecordBytes);
  u->record += records_read;
  if (got == want) return 0;
  if (std::ferror(u->file)) {
    std::clearerr(u->file);
    return error_number();
  }
  // End of file: nothing more, or a last record cut short.
  std::clearerr(u->file);
  return got % kRecordBytes == 0 ? -1 : kShortRecord;
}

int32_t write_record(int32_t unit, const std::byte* src) {
  return write_records(unit, 1, src);
}

int32_t write_records(int32_t unit, int64_t count, const std::byte* src) {
  if (count <= 0) return 0;
  Unit* u = scan_unit(unit, true);
  if (u == nullptr) return EBADF;
  const std::size_t want = static_cast<std::size_t>(count) * kRecordBytes;
  errno = 0;
  const std::size_t put = std::fwrite(src, 1, want, u->file);
  u->record += static_cast<int64_t>(put / kRecordBytes);
  return put == want ? 0 : error_number();
}

textio::LineSource& text_input(int32_t unit) {
  Unit* u = find(unit);
  if (u == nullptr || u->kind != Kind::text_in) {
    stop_with_message("TEXTIN   01> - UNIT " + std::to_string(unit) + " NOT OPEN FOR READING");
  }
  return *u->lines;
}

int32_t write_line(int32_t unit, std::string_view line) {
  Unit* u = find(unit);
  if (u == nullptr || u->kind != Kind::text_out) return EBADF;
  errno = 0;
  if (std::fwrite(line.data(), 1, line.size(), u->file) != line.size() ||
      std::fputc('\n', u->file) == EOF) {
    return error_number();
  }
  return 0;
}

void io_failure(int32_t unit, std::string_view what, int32_t ios) {
  std::string text = " #RECIO    01> - " + std::string(what) + ", UNIT " + std::to_string(unit) +
                     ", RECORD " + std::to_string(current_record(unit));
  if (ios < 0) {
    text += " (END OF FILE)";
  } else if (ios == kShortRecord) {
    text += " (RECORD CUT SHORT)";
  } else {
    text += " (IOSTAT " + std::to_string(ios) + ")";
  }
  text += ", FILE " + file_name(unit);
  textio::put_line(text);
  error_stop();
}

void stop_with_message(std::string_view text) {
  textio::put(" #");
  textio::put_line(text);
  error_stop();
}

void error_stop() {
  textio::put_line("#ERROR");
  close_all();
  textio::flush();
  if (stop_handler != nullptr) stop_handler();
  std::exit(0);
}

void set_stop_handler(StopHandler handler) {
  stop_handler = handler;
}

}  // namespace fts::lun
