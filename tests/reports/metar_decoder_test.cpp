#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "reports/metar.h"
#include "reports/report_pattern.h"

namespace {

constexpr std::uint16_t kNone = 65535;

struct DecodeCase {
  const char* raw;
  bool decoded;
  std::uint16_t direction, speed, gust, from, to, visibility;
  int temperature, dewPoint, pressure;
  const char* weather;
  int intensity;
  const char* clouds;  // "cover/base/type" per layer, blank-separated
};

std::string Describe(const std::vector<CloudLayer>& clouds) {
  std::string out;
  for (const CloudLayer& layer : clouds) {
    if (!out.empty()) out += ' ';
    out += std::to_string(layer.Cover) + "/" + std::to_string(layer.Base) + "/" + layer.Type.ToStdString();
  }
  return out;
}

void ExpectDecodes(const DecodeCase& c) {
  ClMetar metar;
  MetarRecord r;
  r.Raw = wxString::FromUTF8(c.raw);
  EXPECT_EQ(metar.DecodeMetar(&r), c.decoded) << c.raw;
  EXPECT_EQ(r.WindDirection, c.direction) << c.raw;
  EXPECT_EQ(r.WindSpeed, c.speed) << c.raw;
  EXPECT_EQ(r.WindGust, c.gust) << c.raw;
  EXPECT_EQ(r.VariableFrom, c.from) << c.raw;
  EXPECT_EQ(r.VariableTo, c.to) << c.raw;
  EXPECT_EQ(r.Visibility, c.visibility) << c.raw;
  EXPECT_EQ(r.Temperature, c.temperature) << c.raw;
  EXPECT_EQ(r.DewPoint, c.dewPoint) << c.raw;
  EXPECT_EQ(r.Pressure, c.pressure) << c.raw;
  EXPECT_EQ(r.PresentWeather, wxString::FromUTF8(c.weather)) << c.raw;
  EXPECT_EQ(r.Intensity, c.intensity) << c.raw;
  EXPECT_EQ(Describe(r.Clouds), c.clouds) << c.raw;
  EXPECT_EQ(r.UpperairDistance, -1) << c.raw;
  EXPECT_EQ(r.SynopDistance, -1) << c.raw;
}

// The decoder's own examples.
TEST(DecodeMetar, ReferenceExamples) {
  const DecodeCase cases[] = {
      {"EDDF 121250Z 27015G25KT 240V300 9999 -RA FEW020CB BKN040 12/08 Q1013 NOSIG", true, 270, 15, 25, 240,
       300, 9999, 12, 8, 1013, "-RA ", 1, "1/2000/CB 3/4000/"},
      // 3012 hundredths of an inch are 1019.98 hPa: rounded, not truncated with a short factor.
      {"KJFK 121251Z 31008KT 10SM FEW250 M02/M08 A3012 RMK AO2", true, 310, 8, 0, kNone, kNone, 16090, -2, -8,
       1020, "", 3, "1/25000/"},
      {"EDDF 121250Z 27005MPS 9999 12/08 Q1013", true, 270, 9, 0, kNone, kNone, 9999, 12, 8, 1013, "", 3, ""},
      {"EDDF 121250Z 27010G15MPS 9999 12/08 Q1013", true, 270, 19, 29, kNone, kNone, 9999, 12, 8, 1013, "", 3,
       ""},
      {"EDDF 121250Z VRB03KT CAVOK 12/08 Q1013", true, kNone, 3, 0, kNone, kNone, 9999, 12, 8, 1013, "", 3,
       ""},
      {"KXXX 121251Z 31008KT 1/2SM BR OVC002 10/09 A2992", true, 310, 8, 0, kNone, kNone, 804, 10, 9, 1013,
       "BR ", 3, "4/200/"},
      {"KXXX 121251Z 31008KT 3/4SM OVC010/// 10/09 A2992", true, 310, 8, 0, kNone, kNone, 1206, 10, 9, 1013,
       "", 3, "4/1000/"},
      {"KXXX 121251Z 31008KT 1/16SM FG VV002 10/10 A2992", true, 310, 8, 0, kNone, kNone, 100, 10, 10, 1013,
       "FG ", 3, "4/200/"},
      {"KXXX 121251Z 31008KT 5SM CLR 10/09 A2992", true, 310, 8, 0, kNone, kNone, 8045, 10, 9, 1013, "", 3,
       ""},
      {"EDDF 121250Z 27010KT 9999NDV ////// BKN020 12/08 Q 1009", true, 270, 10, 0, kNone, kNone, 9999, 12, 8,
       1009, "", 3, "3/2000/"},
      {"EDDF 121250Z 27010KT 9999", false, 270, 10, 0, kNone, kNone, 9999, 15, 5, 1013, "", 3, ""},
      {" EDDF 121250Z 27010KT 9999 12/08 Q1013", false, 0, 0, 0, kNone, kNone, 0, 15, 5, 1013, "", 3, ""},
      {" EDDF 121250Z AUTO 27010KT 9999 12/08 Q1013", true, 270, 10, 0, kNone, kNone, 9999, 12, 8, 1013, "",
       3, ""},
  };
  for (const auto& c : cases) ExpectDecodes(c);
}

// Cases where the literal steps give wrong results on real reports.
TEST(DecodeMetar, SoundWhereTheLiteralStepsFail) {
  const DecodeCase cases[] = {
      // The main wind, not the trend wind that the first pattern in order would find.
      {"EDDF 121250Z 27015G25KT 9999 FEW020 12/08 Q1013 TEMPO 30010KT", true, 270, 15, 25, kNone, kNone, 9999,
       12, 8, 1013, "", 3, "1/2000/"},
      {"EGPK 121250Z 27080G105KT 9999 FEW020 12/08 Q0990", true, 270, 80, 105, kNone, kNone, 9999, 12, 8, 990,
       "", 3, "1/2000/"},
      {"EGPK 121250Z 270100KT 9999 FEW020 12/08 Q0990", true, 270, 100, 0, kNone, kNone, 9999, 12, 8, 990, "",
       3, "1/2000/"},
      {"EGPK 121250Z VRB05G15KT 9999 12/08 Q1013", true, kNone, 5, 15, kNone, kNone, 9999, 12, 8, 1013, "", 3,
       ""},
      // No visibility group: unrestricted, and the altimeter's digits stay the pressure.
      {"KXXX 141456Z AUTO 00000KT CLR 07/02 A3002", true, 0, 0, 0, kNone, kNone, 9999, 7, 2, 1017, "", 3, ""},
      {"EDDF 121250Z 27010KT FEW020 12/08 Q1013", true, 270, 10, 0, kNone, kNone, 9999, 12, 8, 1013, "", 3,
       "1/2000/"},
      // Leftmost visibility: the trend's CAVOK neither replaces it nor swallows weather and clouds.
      {"EDDF 121250Z 27010KT 4000 BR FEW010 12/10 Q1013 BECMG CAVOK", true, 270, 10, 0, kNone, kNone, 4000,
       12, 10, 1013, "BR ", 3, "1/1000/"},
      {"KXXX 121251Z 31008KT 1 1/2SM -SN OVC008 M02/M03 A2992", true, 310, 8, 0, kNone, kNone, 2413, -2, -3,
       1013, "-SN ", 1, "4/800/"},
      {"KXXX 121251Z 31008KT P6SM FEW250 20/10 A3012", true, 310, 8, 0, kNone, kNone, 9654, 20, 10, 1020, "",
       3, "1/25000/"},
      {"KXXX 121251Z 31008KT M1/4SM FG VV001 08/08 A2992", true, 310, 8, 0, kNone, kNone, 402, 8, 8, 1013,
       "FG ", 3, "4/100/"},
      // A direction suffix belongs to the visibility ("NE " is no weather group).
      {"EDDF 121250Z 27010KT 4000NE BR FEW010 12/10 Q1013", true, 270, 10, 0, kNone, kNone, 4000, 12, 10,
       1013, "BR ", 3, "1/1000/"},
      // Zero denominator and more than 65535 m never reach an integer conversion.
      {"KXXX 121251Z 31008KT 1/0SM FEW010 12/10 A2992", true, 310, 8, 0, kNone, kNone, 9999, 12, 10, 1013, "",
       3, "1/1000/"},
      {"KXXX 121251Z 31008KT 50SM FEW010 12/10 A2992", true, 310, 8, 0, kNone, kNone, 65535, 12, 10, 1013, "",
       3, "1/1000/"},
      // Runway visual ranges for centre runways, missing values and feet are removed.
      {"EDDF 121250Z 27010KT 0800 R25C/1000N FG VV002 10/10 Q1013", true, 270, 10, 0, kNone, kNone, 800, 10,
       10, 1013, "FG ", 3, "4/200/"},
      {"EDDF 121250Z 27010KT 0800 R25///// FG VV002 10/10 Q1013", true, 270, 10, 0, kNone, kNone, 800, 10, 10,
       1013, "FG ", 3, "4/200/"},
      {"KXXX 121251Z 31008KT 1/2SM R04R/2400V6000FT FG VV002 10/10 A2992", true, 310, 8, 0, kNone, kNone, 804,
       10, 10, 1013, "FG ", 3, "4/200/"},
      // Weather groups of six and eight letters.
      {"SAZG 162220Z 36022KT 4000 TSRAGR SCT040CB OVC050 27/19 Q1009", true, 360, 22, 0, kNone, kNone, 4000,
       27, 19, 1009, "TSRAGR ", 3, "2/4000/CB 4/5000/"},
      {"EDDF 121250Z 27010KT 3000 -SHRASN FZRAPL BKN010 02/01 Q1013", true, 270, 10, 0, kNone, kNone, 3000, 2,
       1, 1013, "-SHRASN FZRAPL ", 1, "3/1000/"},
      {"EDDF 121250Z 27010KT 3000 +TSRAGRSN BKN010 02/01 Q1013", true, 270, 10, 0, kNone, kNone, 3000, 2, 1,
       1013, "+TSRAGRSN ", 4, "3/1000/"},
      // Temperature only from a whole group; runs of slashes are no 0 degrees.
      {"AYMO 141500Z AUTO 16003KT //// // ////// 26/23 Q1009", true, 160, 3, 0, kNone, kNone, 9999, 26, 23,
       1009, "", 3, ""},
      // A missing dew point keeps the temperature; the dew point goes 10 degrees below it.
      {"KXXX 141500Z 09004KT 10SM CLR 11/ A3002", true, 90, 4, 0, kNone, kNone, 16090, 11, 1, 1017, "", 3,
       ""},
      {"KXXX 141500Z 09004KT 10SM CLR M05/ A3002", true, 90, 4, 0, kNone, kNone, 16090, -5, -15, 1017, "", 3,
       ""},
      {"KXXX 141500Z 09004KT 10SM CLR ///M05 A3002", true, 90, 4, 0, kNone, kNone, 16090, 5, -5, 1017, "", 3,
       ""},
      // Neither measured: no 0 degrees; the record keeps its defaults and the station decodes.
      {"KXXX 141500Z 09004KT 10SM CLR ///// A3002", true, 90, 4, 0, kNone, kNone, 16090, 15, 5, 1017, "", 3,
       ""},
      // Inches of mercury rounded to the nearest hectopascal.
      {"KXXX 141500Z 09004KT 10SM CLR 11/05 A2992", true, 90, 4, 0, kNone, kNone, 16090, 11, 5, 1013, "", 3,
       ""},
  };
  for (const auto& c : cases) ExpectDecodes(c);
}

// Real reports from the NOAA sample feed, fields checked by hand.
TEST(DecodeMetar, RealReports) {
  const DecodeCase cases[] = {
      {"AGGH 141300Z 000000KT 9999 HZ FEW015 FEW016CB SCT100 BKN300 25/24 Q1012", true, 0, 0, 0, kNone, kNone,
       9999, 25, 24, 1012, "HZ ", 3, "1/1500/ 1/1600/CB 2/10000/ 3/30000/"},
      {"AZTX 111850Z 36012KT 9999 FEW040 22/14 Q1014 A2997", true, 360, 12, 0, kNone, kNone, 9999, 22, 14,
       1014, "", 3, "1/4000/"},
      {"AYMH 040100Z 27015KT/G20KT 9999 SCT010 SCT020 17/13 Q1021", true, 270, 15, 20, kNone, kNone, 9999, 17,
       13, 1021, "", 3, "2/1000/ 2/2000/"},
      {"DAOB 141500Z /////KT 9999 FEW026 23/10 Q1017", true, 0, 0, 0, kNone, kNone, 9999, 23, 10, 1017, "", 3,
       "1/2600/"},
      // The literal wind search finds the remark's 01009KT and loses everything before it.
      {"LIBA 141455Z /////KT 9999 FEW030 18/03 Q1020 RMK FEW VIS MIN 9999 WIND THR29 01009KT BLU", true, 0, 0,
       0, kNone, kNone, 9999, 18, 3, 1020, "", 3, "1/3000/"},
      {"KGFA 141356Z AUTO 17003KT 10SM CLR 04/01 A3001 RMK AO2 SLP200 T00440011 RTX", true, 170, 3, 0, kNone,
       kNone, 16090, 4, 1, 1016, "", 3, ""},
      {"MUPB 092037Z 11007KT 020V170 7000 2000S TSRA FEW018CB SCT020 27/23 Q1008 RMK CB AT II AND III QDTS.",
       true, 110, 7, 0, 20, 170, 7000, 27, 23, 1008, "TSRA ", 3, "1/1800/CB 2/2000/"},
      {"LICL 141455Z 08004KT 9999 3000SE BR FEW019 23/18 Q1015 RMK FEW QUK 1 QUL 0 VIS MAR 3 KM VIS MIN "
       "3000SE",
       true, 80, 4, 0, kNone, kNone, 9999, 23, 18, 1015, "BR ", 3, "1/1900/"},
      {"RJAA 141600Z 05005KT 3500 -RA BR FEW015 BKN025 15/14 Q1017 NOSIG RMK 1CU015 7SC025 A3005", true, 50,
       5, 0, kNone, kNone, 3500, 15, 14, 1017, "-RA BR ", 1, "1/1500/ 3/2500/"},
      {"KEUG 141454Z 18003KT M1/4SM R16R/0500V0600FT FG VV001 07/07 A2994 RMK AO2 SLP137 T00670067 53004",
       true, 180, 3, 0, kNone, kNone, 402, 7, 7, 1014, "FG ", 3, "4/100/"},
      {"KPDX 141453Z 00000KT 1/16SM R10R/2400V3000FT FG BKN001 OVC250 08/08 A2993 RMK AO2 SFC VIS 1/8 SLP135",
       true, 0, 0, 0, kNone, kNone, 100, 8, 8, 1014, "FG ", 3, "3/100/ 4/25000/"},
      {"UAAA 141600Z 09001MPS 0750 R23/1900N FU FEW200 09/M00 Q1023 23CLRD65 NOSIG RMK QFE708/0944", true, 90,
       1, 0, kNone, kNone, 750, 9, 0, 1023, "FU ", 3, "1/20000/"},
      {"BGGH 141450Z AUTO 04014KT //// NCD 01/M07 Q1009", true, 40, 14, 0, kNone, kNone, 9999, 1, -7, 1009,
       "", 3, ""},
      {"EDDB 171150Z 12009KT 2000 R07R/1300VP2000D -SN BR SCT008 BKN018 M01/M03 Q1012 R07/29//95 TEMPO SN "
       "BKN008",
       true, 120, 9, 0, kNone, kNone, 2000, -1, -3, 1012, "-SN BR ", 1, "2/800/ 3/1800/"},
      {"NZIR 141555Z 11019KT 4800 BLSN FEW000 BKN015 BKN100 M20/M24 A2953 RMK PK WND GRID26034/23", true, 110,
       19, 0, kNone, kNone, 4800, -20, -24, 1000, "BLSN ", 3, "1/0/ 3/1500/ 3/10000/"},
      {"KTPK 181000Z 00000KT 9999 FEW017 25/23 Q1011=3D", true, 0, 0, 0, kNone, kNone, 9999, 25, 23, 1011, "",
       3, "1/1700/"},
      {"BBYD 200800Z 00000KT 9000 NSC 21/18 Q1011", true, 0, 0, 0, kNone, kNone, 9000, 21, 18, 1011, "", 3,
       ""},
      // Slash runs before the temperature group are passed over, not read as the temperature.
      {"KQJP 110955Z AUTO 04007KT /// /// /// 19/11 A3011 RMK AO2 SLP194", true, 40, 7, 0, kNone, kNone, 9999,
       19, 11, 1020, "", 3, ""},
      {"VEGT 150530Z 36006KT 1200 ///// 17/16 Q1022 NOSIG", true, 360, 6, 0, kNone, kNone, 1200, 17, 16, 1022,
       "", 3, ""},
      // The main body's altimeter, not the remarks' QNH.
      {"KQSL 141455Z 14009KT 8000 DU HZ FEW150 BKN200 33/07 A2985 RMK VIS N 5000 SLP100 Q1010MB 56010", true,
       140, 9, 0, kNone, kNone, 8000, 33, 7, 1011, "DU HZ ", 3, "1/15000/ 3/20000/"},
      // Missing direction: variable; missing speed: calm.
      {"FMSD 141500Z ///23KT 9999 FEW017 SCT033 24/19 Q1014", true, kNone, 23, 0, kNone, kNone, 9999, 24, 19,
       1014, "", 3, "1/1700/ 2/3300/"},
      {"FMNA 170900Z 260//KT 9999 BKN023 31/23 Q1013", true, 0, 0, 0, kNone, kNone, 9999, 31, 23, 1013, "", 3,
       "3/2300/"},
      {"FOGR 141400Z ///// 9999 SCT015 BKN120 30/24 Q1009", true, 0, 0, 0, kNone, kNone, 9999, 30, 24, 1009,
       "", 3, "2/1500/ 3/12000/"},
      {"CWPX 141500Z AUTO ///// M17/ A2976 RMK SLP106", true, 0, 0, 0, kNone, kNone, 9999, -17, -27, 1008, "",
       3, ""},
      // Slashes elsewhere are no wind: without one the report does not decode.
      {"KCPT 141525Z AUTO 10SM SCT024 ///// 23/17 A2990 RMK AO2", false, 0, 0, 0, kNone, kNone, 0, 15, 5,
       1013, "", 3, ""},
      {"PAUO 072351Z 12004KT 100SM SCT100 BKN300 M14/M16 A3037 RMK NOSPECI", true, 120, 4, 0, kNone, kNone,
       65535, -14, -16, 1028, "", 3, "2/10000/ 3/30000/"},
      {"NZOH 132200Z 29026G39KT 15KM VCSH FEW015CB SCT020 BKN025 12/07 Q0991 TEMPO 4000 SHRA BKN014CB", true,
       290, 26, 39, kNone, kNone, 15000, 12, 7, 991, "VCSH ", 3, "1/1500/CB 2/2000/ 3/2500/"},
      {"OPKG 141030Z 28005KT 6000M SKC 37/22 Q1006 NOSIG", true, 280, 5, 0, kNone, kNone, 6000, 37, 22, 1006,
       "", 3, ""},
      // Automatic stations without temperature sensors: the wind, clouds and pressure are kept.
      {"EHQE 171125Z AUTO 30022KT 9999NDV FEW007/// SCT009/// BKN010/// ///// Q1012", true, 300, 22, 0, kNone,
       kNone, 9999, 15, 5, 1012, "", 3, "1/700/ 2/900/ 3/1000/"},
      {"LFBG 171200Z AUTO 00000KT 9999NDV // NSC ///// Q1026", true, 0, 0, 0, kNone, kNone, 9999, 15, 5, 1026,
       "", 3, ""},
      // The unit written "KTS": its "S" would otherwise hide visibility, weather and clouds.
      {"OXRN 222300Z 00000KTS 6000 HZ FEW040 SCT100 28/25 Q1006", true, 0, 0, 0, kNone, kNone, 6000, 28, 25,
       1006, "HZ ", 3, "1/4000/ 2/10000/"},
      {"FALW 070800Z 03010KTS 5000 BR OVC006 14/// Q1021", true, 30, 10, 0, kNone, kNone, 5000, 14, 4, 1021,
       "BR ", 3, "4/600/"},
      // Metres with a P: the whole group is the visibility, so weather and clouds follow.
      {"USNN 141500Z 26005MPS P6000 -SN BKN010 OVC066 01/00 Q1016 NOSIG RMK QFE756 MOD ICE SC055", true, 260,
       9, 0, kNone, kNone, 6000, 1, 0, 1016, "-SN ", 1, "3/1000/ 4/6600/"},
      {"UWOO 171200Z 32002MPS 260V010 P5000 SKC M22/M25 Q1047 NOSIG RMK QFE774/1033 26830357", true, 320, 3,
       0, 260, 10, 5000, -22, -25, 1047, "", 3, ""},
      // QNIL: no pressure group, so no decode; what was read stays in the record.
      {"AYGN 100500Z 36010KT 9999 FEW025 32/22 QNIL", false, 360, 10, 0, kNone, kNone, 9999, 32, 22, 1013, "",
       3, "1/2500/"},
      {"CWSP 141500Z AUTO 09004KT 10/ RMK AO1 SLP131 T0097 51001", false, 90, 4, 0, kNone, kNone, 9999, 10, 0,
       1013, "", 3, ""},
  };
  for (const auto& c : cases) ExpectDecodes(c);
}

// A failing step leaves what the earlier steps wrote; wind, visibility, intensity and time keep
// the values of the record's previous decode until a step sets them.
TEST(DecodeMetar, FailureKeepsWhatWasRead) {
  ClMetar metar;
  MetarRecord r;
  r.Raw = "EDDF 121250Z 27015G25KT 240V300 4000 +RA FEW020CB 12/08 Q1013";
  ASSERT_TRUE(metar.DecodeMetar(&r));
  ASSERT_FALSE(r.Clouds.empty());

  struct FailCase {
    const char* raw;
    const char* time;
    std::uint16_t direction, visibility;
    int intensity, temperature;
  };
  const FailCase cases[] = {
      {"eddf 131250Z 09005KT 9999 10/05 Q1020", "121250Z", 270, 4000, 4, 15},      // no station
      {"EDDF 1312Z 09005KT 9999 10/05 Q1020", "121250Z", 270, 4000, 4, 15},        // no time
      {"EDDF 131250Z 09005 9999 10/05 Q1020", "131250Z", 270, 4000, 4, 15},        // no wind
      {"EDDF 141250Z 09005KT 9999", "141250Z", 90, 9999, 4, 15},                   // nothing after visibility
      {"EDDF 151250Z 09005KT 9999 -RA FEW010", "151250Z", 90, 9999, 1, 15},        // no temperature
      {"EDDF 161250Z 09005KT 9999 -RA FEW010 10/05", "161250Z", 90, 9999, 1, 10},  // no pressure
  };
  for (const auto& c : cases) {
    MetarRecord copy = r;
    copy.Raw = c.raw;
    EXPECT_FALSE(metar.DecodeMetar(&copy)) << c.raw;
    EXPECT_EQ(copy.Time, c.time) << c.raw;
    EXPECT_EQ(copy.WindDirection, c.direction) << c.raw;
    EXPECT_EQ(copy.Visibility, c.visibility) << c.raw;
    EXPECT_EQ(copy.Intensity, c.intensity) << c.raw;
    EXPECT_EQ(copy.Temperature, c.temperature) << c.raw;
    EXPECT_EQ(copy.Pressure, 1013) << c.raw;
    EXPECT_EQ(copy.WindGust, 0) << c.raw;
    EXPECT_EQ(copy.VariableFrom, kNone) << c.raw;
  }
}

TEST(DecodeMetar, SameResultTwice) {
  ClMetar metar;
  MetarRecord r;
  r.Raw = "EDDF 121250Z 27015G25KT 240V300 9999 -RA FEW020CB BKN040 12/08 Q1013 NOSIG";
  ASSERT_TRUE(metar.DecodeMetar(&r));
  const std::string first = Describe(r.Clouds) + r.PresentWeather.ToStdString();
  ASSERT_TRUE(metar.DecodeMetar(&r));
  EXPECT_EQ(Describe(r.Clouds) + r.PresentWeather.ToStdString(), first);
  EXPECT_EQ(r.Clouds.size(), 2u);
}

// The conditions the patterns run under: ASCII white space only, plain case-sensitive ranges,
// "^" only at the start of the working text.
TEST(DecodeMetar, PatternConditions) {
  const wxString nbsp(wxUniChar(0xA0));
  const wxString nel(wxUniChar(0x85));
  struct ConditionCase {
    wxString raw;
    bool decoded;
    const char* weather;
    const char* why;
  };
  const ConditionCase cases[] = {
      {"AUTO" + nbsp + "EDDF 121250Z 27010KT 9999 12/08 Q1013", false, "", "0xA0 is not trimmed"},
      {"AUTO" + nel + "EDDF 121250Z 27010KT 9999 12/08 Q1013", false, "", "0x85 is not trimmed"},
      {"EDDF 121250Z 27010KT 9999 12/08" + nbsp + "Q1013", false, "", "0xA0 does not delimit a temperature"},
      {"EDDF 121250Z 27010KT 9999 -RA" + nbsp + "FEW020 12/08 Q1013", true, "",
       "0xA0 does not end a weather group"},
      {"Eddf 121250Z 27010KT 9999 12/08 Q1013", false, "", "station letters are capitals"},
      {"EDDF 121250Z 27010kt 9999 12/08 Q1013", false, "", "units are capitals"},
      {wxString(wxUniChar(0xC4)) + "DDF 121250Z 27010KT 9999 12/08 Q1013", false, "",
       "[A-Z] is a plain range"},
      {"EDDF 121250Z 27010KT 9999 12/08 q1013", false, "", "Q is a capital"},
      {"EDDF 121250Z 27010KT 9999 XX1/\n-RA FEW020 12/08 Q1013", true, "", "^ is not multi-line"},
  };
  for (const auto& c : cases) {
    ClMetar metar;
    MetarRecord r;
    r.Raw = c.raw;
    EXPECT_EQ(metar.DecodeMetar(&r), c.decoded) << c.why;
    EXPECT_EQ(r.PresentWeather, c.weather) << c.why;
  }
}

// Patterns are compiled once per thread, not on every report.
TEST(DecodeMetar, PatternsCompiledOnce) {
  ClMetar metar;
  MetarRecord r;
  r.Raw = "KXXX 121251Z AUTO 31008KT 1 1/2SM R04R/2400V6000FT -SN // OVC008 M02/M03 A2992";
  metar.DecodeMetar(&r);
  r.Raw = "EDDF 121250Z 27015G25KT 240V300 4000 1200NE -RA FEW020CB BKN040 12/08 Q1013 NOSIG";
  metar.DecodeMetar(&r);
  const std::size_t compiled = ReportPattern::Compilations();
  for (int i = 0; i < 100; ++i) {
    r.Raw = i % 2 ? "KXXX 121251Z AUTO 31008KT 1 1/2SM R04R/2400V6000FT -SN // OVC008 M02/M03 A2992"
                  : "EDDF 121250Z 27015G25KT 240V300 4000 1200NE -RA FEW020CB BKN040 12/08 Q1013 NOSIG";
    ASSERT_TRUE(metar.DecodeMetar(&r));
  }
  EXPECT_EQ(ReportPattern::Compilations(), compiled);
}

// Each thread has its own compiled patterns, so decoders on two threads do not disturb each other.
TEST(DecodeMetar, ThreadsDecodeIndependently) {
  const char* reports[] = {"EDDF 121250Z 27015G25KT 240V300 9999 -RA FEW020CB BKN040 12/08 Q1013 NOSIG",
                           "KJFK 121251Z 31008KT 10SM FEW250 M02/M08 A3012 RMK AO2"};
  bool ok[2] = {true, true};
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      ClMetar metar;
      for (int i = 0; i < 2000; ++i) {
        MetarRecord r;
        r.Raw = reports[t];
        const bool good = metar.DecodeMetar(&r) && r.WindDirection == (t == 0 ? 270 : 310) &&
                          r.Temperature == (t == 0 ? 12 : -2) && r.Pressure == (t == 0 ? 1013 : 1020);
        ok[t] = ok[t] && good;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_TRUE(ok[0]);
  EXPECT_TRUE(ok[1]);
}

}  // namespace
