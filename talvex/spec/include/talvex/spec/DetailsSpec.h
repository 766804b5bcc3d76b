// The experimental-details specification: method, medium, ionic strength,
// calibration, temperature, data flags, recommendation, comment and constant
// range, with the keys that matching reads and list files keep.
#pragma once

#include <string>

#include "talvex/db/Tables.h"

namespace talvex::spec {

// How a range of two boxes (temperature or constant) is to be read.
enum class RangeKind { None, Exact, Approximate, Low, High };

// The values of the details page as its controls hold them. derive() reads
// them and rewrites the range boxes the way the page does.
struct DetailsPage {
  int methodEntry = 0;        // 0 = ANY, 1..13 = the method table's entries
  int mediumEntry = 0;        // 0 = ANY, 1..13 = the medium table's entries (13: any aqueous)
  std::string concText;       // enter_conc
  int calibration = 0;        // 0 Any, 1 Unkn., 2 Conc., 3 Activ.
  RangeKind tempKind = RangeKind::None;
  std::string loTempText, hiTempText;     // enter_lo_temp, enter_hi_temp
  int constantName = 0;       // 0 none, 1 K1, 2 K2, 3 B2
  RangeKind constKind = RangeKind::None;
  std::string loConstText, hiConstText;   // enter_lo_const, enter_hi_const
  std::string comment;        // enter_com
  bool flags[4] = {false, false, false, false};  // Other Temps, Other Backgnds, Thermochemical, Ternary data
  bool iupacRecommended = false;
  bool iupacProvisional = false;
};

struct DetailsSpec {
  char methodKey = ' ';       // 'A'..'M', blank for ANY
  std::string method;         // the same letter, empty when none
  char mediumKey = ' ';       // 'A'..'M', blank for ANY
  std::string medium;         // medium for matching: full "A".."L" or "a"; mini the 6-character code
  std::string concText;       // cleaned ionic strength text
  double concValue = 0.0;
  bool concNumeric = false;
  std::string calibration;    // "", "U", "C", "M"
  bool tempGiven = false;
  int tempLow = -99, tempHigh = 999;
  bool tempExact = false, tempApprox = false, tempLowKind = false, tempHighKind = false;
  bool flags[4] = {false, false, false, false};
  bool anyFlag = false;
  bool iupacRecommended = false, iupacProvisional = false;
  bool anyRecommendation = false;
  bool commentGiven = false;
  std::string constantName;   // "K1", "K2", "B2" or ""
  bool constantGiven = false;
  double constLow = -99.99, constHigh = 999.99;
  bool constExact = false, constApprox = false, constLowKind = false, constHighKind = false;

  std::string DetailsKey;                    // 22 characters, empty when nothing is specified
  std::string ConstRangeKey = std::string(12, ' ');
  std::string CommentKey = std::string(10, ' ');
  bool empty = true;
  bool ListChanged = false;

  // Back to nothing specified (start-up and "Clear Experimental Details
  // Specification"); ListChanged is left alone.
  void reset();

  // Derives the specification from the page values as leaving the page does;
  // the range boxes of the page are rewritten. Sets ListChanged (and returns
  // true) when the trimmed DetailsKey, ConstRangeKey or CommentKey changed.
  // A box that must hold a number and does not (an approximate constant
  // range, an ionic strength such as "1.2.3") leaves the specification as it
  // was and returns false with a message in error.
  bool derive(DetailsPage& page, db::Edition edition, std::string* error = nullptr);

  // Rebuilds DetailsKey from the items above (used by derive()).
  void buildKey(db::Edition edition);
};

}  // namespace talvex::spec
