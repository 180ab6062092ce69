// header: the scan header as a value (224 signed 32-bit items, numbered from 1) and the names of
// its items.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>

namespace fts {

constexpr int32_t kHeaderItems = 224;

class Header {
 public:
  int32_t& operator()(int32_t item) {
    assert(item >= 1 && item <= kHeaderItems);
    return items_[static_cast<std::size_t>(item - 1)];
  }
  int32_t operator()(int32_t item) const {
    assert(item >= 1 && item <= kHeaderItems);
    return items_[static_cast<std::size_t>(item - 1)];
  }
  std::array<int32_t, kHeaderItems>& items() { return items_; }
  const std::array<int32_t, kHeaderItems>& items() const { return items_; }
  friend bool operator==(const Header&, const Header&) = default;

 private:
  std::array<int32_t, kHeaderItems> items_{};
};

// Item numbers. Texts: items 1-32 and 33-64, one character code per item.
constexpr int32_t QQDSRC = 1;   // data-source text (32 items)
constexpr int32_t QQRMRK = 33;  // remark text (32 items)
// Byte items, 0-255.
constexpr int32_t QQSYSV = 65;  // format stamp, 2 on every write
constexpr int32_t QQDTYP = 66;  // data type: 0 int16, 1 int32, 2 float, 3 double (arrays only)
constexpr int32_t QQDKND = 67;  // data kind: 0 interferogram, 1 spectrum
constexpr int32_t QQDREP = 68;  // representation: 0 real, 1 imaginary, 2 complex
constexpr int32_t QQDYUN = 69;  // unit code of the data values
constexpr int32_t QQDXUN = 70;  // axis unit code of the data values
constexpr int32_t QQDEVC = 71;
constexpr int32_t QQMOTN = 72;  // scan direction: 0 forward, 1 reverse, 2 both
constexpr int32_t QQCDWN = 73;
constexpr int32_t QQGAN1 = 74;  // gain settings
constexpr int32_t QQGAN2 = 75;
constexpr int32_t QQGAN3 = 76;
constexpr int32_t QQTTYP = 77;
constexpr int32_t QQTSFT = 78;
constexpr int32_t QQPHCR = 79;
constexpr int32_t QQAPOD = 80;  // apodisation window 0-5
constexpr int32_t QQNTRP = 81;
constexpr int32_t QQPWGT = 82;
constexpr int32_t QQSSUN = 83;  // sample unit code of the spectrum axis
constexpr int32_t QQCYUN = 84;  // unit code of the calibration values
constexpr int32_t QQCXUN = 85;  // axis unit code of the calibration
constexpr int32_t QQDYPW = 86;  // power of the data value unit, minus one
constexpr int32_t QQCYPW = 87;  // power of the calibration value unit, minus one
constexpr int32_t QQDINV = 88;
constexpr int32_t QQDRAT = 89;  // non-zero: data are a ratio to a calibration
constexpr int32_t QQGCOR = 90;
constexpr int32_t QQSCOR = 91;  // 1 when calibration coefficients are stored
constexpr int32_t QQCTYP = 92;
constexpr int32_t QQISUN = 93;  // sample unit code of the interferogram axis
constexpr int32_t QQBORD = 94;  // byte-order mark, 1 on every write
// 32-bit items.
constexpr int32_t QQFCDY = 129;  // day number of the header write
constexpr int32_t QQFCMS = 130;  // milliseconds since midnight of the header write
constexpr int32_t QQFLEN = 131;  // data records following the header record
constexpr int32_t QQDSIZ = 132;  // data elements
constexpr int32_t QQDSCL = 133;  // binary scale exponent of integer data
constexpr int32_t QQSRCF = 134;
constexpr int32_t QQIBDY = 135;  // acquisition begin: day number
constexpr int32_t QQIBMS = 136;  //                    milliseconds
constexpr int32_t QQIEDY = 137;  // acquisition end: day number
constexpr int32_t QQIEMS = 138;  //                  milliseconds
constexpr int32_t QQIDUR = 139;  // duration of the acquisition
constexpr int32_t QQADDS = 140;  // scans added into this one
constexpr int32_t QQISIZ = 141;
constexpr int32_t QQADBT = 142;  // converter bits
constexpr int32_t QQADRG = 143;  // converter range, microvolts
constexpr int32_t QQADSB = 144;
constexpr int32_t QQISMP = 145;  // size of one interferogram axis count
constexpr int32_t QQISLP = 146;  // interferogram sample spacing, counts
constexpr int32_t QQIOFF = 147;  // position of the first interferogram point, counts
constexpr int32_t QQILEN = 148;  // interferogram points
constexpr int32_t QQICEN = 149;  // points before the interferogram centre
constexpr int32_t QQIMOD = 150;
constexpr int32_t QQISUB = 151;
constexpr int32_t QQIAVG = 152;
constexpr int32_t QQTBEG = 153;
constexpr int32_t QQTLEN = 154;
constexpr int32_t QQTCEN = 155;
constexpr int32_t QQTSIZ = 156;
constexpr int32_t QQRESL = 157;  // interferogram samples setting the resolution
constexpr int32_t QQPHSZ = 158;
constexpr int32_t QQAPAR = 159;
constexpr int32_t QQSSMP = 160;  // sample spacing of the transformed interferogram
constexpr int32_t QQSTSZ = 161;  // transform points
constexpr int32_t QQSSLP = 162;  // spectrum sample spacing, bins
constexpr int32_t QQSOFF = 163;  // position of the first spectrum point, bins
constexpr int32_t QQSLEN = 164;  // spectrum points
constexpr int32_t QQCFA0 = 165;  // calibration coefficients: mantissa, binary exponent
constexpr int32_t QQCFA1 = 166;
constexpr int32_t QQCFB0 = 167;
constexpr int32_t QQCFB1 = 168;
constexpr int32_t QQCFC0 = 169;
constexpr int32_t QQCFC1 = 170;
constexpr int32_t QQCFD0 = 171;
constexpr int32_t QQCFD1 = 172;
constexpr int32_t QQCFE0 = 173;
constexpr int32_t QQCFE1 = 174;
constexpr int32_t QQALIA = 175;
// Items 193-224 are user items; the fit programs read these four.
constexpr int32_t kSiteLatitude = 215;   // arc-seconds, positive north
constexpr int32_t kSiteLongitude = 216;  // arc-seconds, positive west
constexpr int32_t kSiteAltitude = 217;   // metres
constexpr int32_t kSunKey = 218;         // sun-elevation key of a solar spectrum, arc-seconds

}  // namespace fts
