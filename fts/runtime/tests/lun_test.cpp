// Tests of the unit table: record walks, short records, rewinding, text lines, never
// overwriting.
#include "fts/lun.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>

#include "fts_testing/run.hpp"
#include "fts_testing/stops.hpp"

namespace fts::lun {
namespace {

using Record = std::array<std::byte, kRecordBytes>;

Record filled(int v) {
  Record r;
  r.fill(static_cast<std::byte>(v));
  return r;
}

TEST(ScanUnits, RecordsAreWalkedFromTheFront) {
  testing::TempDir dir;
  const std::string name = (dir / "a.scan").string();
  int32_t ios = -1;
  open_scan(3, name, Status::new_file, ios);
  ASSERT_EQ(ios, 0);
  EXPECT_EQ(current_record(3), 1);
  std::array<Record, 3> out = {filled(1), filled(2), filled(3)};
  EXPECT_EQ(write_record(3, out[0].data()), 0);
  EXPECT_EQ(write_records(3, 2, out[1].data()), 0);
  EXPECT_EQ(current_record(3), 4);
  rewind(3);
  Record in;
  EXPECT_EQ(read_record(3, in.data()), 0);
  EXPECT_EQ(in, out[0]);
  std::array<Record, 3> many;
  int64_t got = -1;
  EXPECT_EQ(read_records(3, 3, many[0].data(), got), -1);  // only two records are left
  EXPECT_EQ(got, 2);
  EXPECT_EQ(many[1], out[2]);
  EXPECT_EQ(current_record(3), 4);
  EXPECT_EQ(read_record(3, in.data()), -1);
  close(3);
  EXPECT_FALSE(is_open(3));
  EXPECT_EQ(testing::read_bytes(name).size(), 3u * kRecordBytes);
}

TEST(ScanUnits, ShortLastRecordIsAnError) {
  testing::TempDir dir;
  const std::string name = (dir / "short.scan").string();
  testing::write_file(name, std::string(kRecordBytes + 100, 'x'));
  int32_t ios = -1;
  open_scan(1, name, Status::old_file, ios);
  ASSERT_EQ(ios, 0);
  Record in;
  EXPECT_EQ(read_record(1, in.data()), 0);
  EXPECT_GT(read_record(1, in.data()), 0);
  close_all();
}

TEST(Opening, NewFilesNeverOverwriteAndOldFilesMustExist) {
  testing::TempDir dir;
  const std::string name = (dir / "kept").string();
  testing::write_file(name, "keep me");
  int32_t ios = 0;
  open_scan(2, name, Status::new_file, ios);
  EXPECT_EQ(ios, EEXIST);
  open_text(9, name, Status::new_file, ios);
  EXPECT_EQ(ios, EEXIST);
  EXPECT_EQ(testing::read_file(name), "keep me");
  open_scan(2, (dir / "missing").string(), Status::old_file, ios);
  EXPECT_EQ(ios, ENOENT);
  open_text(2, dir.path().string(), Status::old_file, ios);
  EXPECT_GT(ios, 0);
  open_text(2, "", Status::old_file, ios);
  EXPECT_GT(ios, 0);
  EXPECT_FALSE(is_open(2));
}

TEST(TextUnits, LinesInAndOutAndTemporaryFiles) {
  testing::TempDir dir;
  const std::string out_name = (dir / "out.txt").string();
  int32_t ios = -1;
  open_text(7, out_name, Status::new_file, ios);
  ASSERT_EQ(ios, 0);
  EXPECT_EQ(write_line(7, " first"), 0);
  EXPECT_EQ(write_line(7, ""), 0);
  EXPECT_GT(write_line(8, "no unit"), 0);
  close(7);
  EXPECT_EQ(testing::read_file(out_name), " first\n\n");

  open_text(7, out_name, Status::old_file, ios);
  ASSERT_EQ(ios, 0);
  std::string line;
  EXPECT_TRUE(text_input(7).next_line(line));
  EXPECT_EQ(line, " first");
  EXPECT_TRUE(text_input(7).next_line(line));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(text_input(7).next_line(line));
  remove_on_close(7);
  close_all();
  EXPECT_FALSE(std::filesystem::exists(out_name));
}

TEST(TextUnitsDeathTest, ReadingAUnitNotOpenForReadingStopsTheRun) {
  testing::TempDir dir;
  const auto read_from = [&dir](int32_t unit) {
    int32_t ios = -1;
    open_text(7, (dir / "out.txt").string(), Status::new_file, ios);  // open for writing
    std::string line;
    text_input(unit).next_line(line);
  };
  FTS_EXPECT_STOP(read_from(99), "^ #TEXTIN   01> - UNIT 99 NOT OPEN FOR READING\n#ERROR\n$");
  FTS_EXPECT_STOP(read_from(7), "^ #TEXTIN   01> - UNIT 7 NOT OPEN FOR READING\n#ERROR\n$");
}

TEST(ErrorStop, HandsOverToAnInProcessHarnessOnceTheUnitsAreClosed) {
  // A harness that runs programs in its own process leaves the stop by an exception of its own.
  struct Stopped {};
  testing::TempDir dir;
  int32_t ios = -1;
  open_scan(4, (dir / "out.scan").string(), Status::new_file, ios);
  ASSERT_EQ(ios, 0);
  set_stop_handler([] { throw Stopped{}; });
  textio::CaptureOutput log;
  EXPECT_THROW(error_stop(), Stopped);
  set_stop_handler(nullptr);
  EXPECT_EQ(log.text(), "#ERROR\n");
  EXPECT_FALSE(is_open(4));
}

}  // namespace
}  // namespace fts::lun
