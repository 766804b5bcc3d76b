#include "talvex/spec/DetailsSpec.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "talvex/db/Vocabularies.h"
#include "talvex/spec/CleanText.h"

namespace talvex::spec {

namespace {

std::string padCut(std::string s, std::size_t width) {
  s.resize(width, ' ');
  return s;
}

std::string rightJustified(int v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%*d", width, v);
  std::string s(buf);
  return s.size() > static_cast<std::size_t>(width) ? s.substr(s.size() - static_cast<std::size_t>(width)) : s;
}

std::string keyHalf(const std::string& boxText) { return padCut(trimmed(boxText), 6); }

}  // namespace

void DetailsSpec::reset() {
  const bool changed = ListChanged;
  *this = DetailsSpec{};
  ListChanged = changed;
}

void DetailsSpec::buildKey(db::Edition edition) {
  std::string k(22, '?');
  if (methodKey != ' ') k[0] = methodKey;
  if (mediumKey != ' ') k[1] = mediumKey;
  if (!concText.empty()) k.replace(2, 4, padCut(concText, 4));
  if (edition == db::Edition::Full && !calibration.empty()) k[6] = calibration[0];
  if (tempGiven) {
    k.replace(7, 3, rightJustified(tempLow, 3));
    k.replace(10, 3, rightJustified(tempHigh, 3));
  }
  for (int i = 0; i < 4; ++i)
    if (flags[i]) k[static_cast<std::size_t>(13 + i)] = '1';
  if (iupacRecommended) k[17] = '1';
  if (iupacProvisional) k[18] = '1';
  if (commentGiven) k[19] = 'y';
  if (constantGiven && constantName.size() == 2) k.replace(20, 2, constantName);
  DetailsKey = k;
}

bool DetailsSpec::derive(DetailsPage& page, db::Edition edition, std::string* error) {
  const bool full = edition == db::Edition::Full;
  DetailsSpec d;  // derived completely, then taken over
  DetailsPage p = page;

  // Method and medium.
  if (full && p.methodEntry >= 1 && p.methodEntry <= 13) {
    d.methodKey = static_cast<char>(64 + p.methodEntry);
    d.method = std::string(1, d.methodKey);
  }
  if (p.mediumEntry >= 1 && p.mediumEntry <= 13) {
    d.mediumKey = static_cast<char>(64 + p.mediumEntry);
    if (full)
      d.medium = d.mediumKey == 'M' ? std::string("a") : std::string(1, d.mediumKey);
    else
      d.medium = db::mediumCodes()[static_cast<std::size_t>(p.mediumEntry)].substr(0, 6);
  }

  // Ionic strength.
  d.concText = trimmed(CleanNumberText(trimmed(p.concText)));
  if (isPlainNumberText(d.concText)) {
    if (!readPlainNumber(d.concText, d.concValue)) {
      if (error) *error = "The ionic strength \"" + d.concText + "\" is not a number";
      return false;
    }
    d.concNumeric = true;
  }

  // Calibration (full edition only).
  if (full) {
    static const char* const codes[] = {"", "U", "C", "M"};
    if (p.calibration >= 1 && p.calibration <= 3) d.calibration = codes[p.calibration];
  }

  // Comment: cut to 10 characters in the box and in the key.
  {
    std::string c = trimmed(p.comment);
    if (c.size() > 10) c.resize(10);
    p.comment = c;
    d.commentGiven = !c.empty();
    d.CommentKey = padCut(c, 10);
  }

  // Temperature.
  {
    const std::string lo = trimmed(CleanNumberText(p.loTempText));
    const std::string hi = trimmed(CleanNumberText(p.hiTempText));
    d.tempGiven = !trimmed(p.loTempText).empty() || !trimmed(p.hiTempText).empty();
    if (d.tempGiven) {
      d.tempExact = p.tempKind == RangeKind::Exact;
      d.tempApprox = p.tempKind == RangeKind::Approximate;
      d.tempLowKind = p.tempKind == RangeKind::Low;
      d.tempHighKind = p.tempKind == RangeKind::High;
      int low = -99, high = 999;
      if (d.tempApprox) {
        const int centre = readWholeNumber(lo), width = std::abs(readWholeNumber(hi));
        low = centre - width;
        high = centre + width;
        if (low < -99) low = -99;
        if (high > 999) high = 999;
      } else {
        if (!lo.empty()) low = readWholeNumber(lo);
        if (!hi.empty()) high = readWholeNumber(hi);
        if (low < -99) low = -99;
        if (high > 999) high = 999;
        if (d.tempExact) high = low;
        else if (low > high) std::swap(low, high);
        if (low > 999) low = 999;
        if (high < -99) high = -99;
        if (!lo.empty() || d.tempExact) p.loTempText = std::to_string(low);
        if (!hi.empty() && !d.tempExact) p.hiTempText = std::to_string(high);
      }
      d.tempLow = low;
      d.tempHigh = high;
      if (low == -99) d.tempHighKind = true;
      if (high == 999) d.tempLowKind = true;
    }
  }

  // Data flags and recommendations (full edition only).
  if (full) {
    for (int i = 0; i < 4; ++i) {
      d.flags[i] = p.flags[i];
      d.anyFlag = d.anyFlag || p.flags[i];
    }
    d.iupacRecommended = p.iupacRecommended;
    d.iupacProvisional = p.iupacProvisional;
    d.anyRecommendation = d.iupacRecommended || d.iupacProvisional;
  }

  // Constant.
  if (p.constantName >= 1 && p.constantName <= 3) {
    static const char* const names[] = {"", "K1", "K2", "B2"};
    d.constantName = names[p.constantName];
    d.constantGiven = true;
    d.constExact = p.constKind == RangeKind::Exact;
    d.constApprox = p.constKind == RangeKind::Approximate;
    d.constLowKind = p.constKind == RangeKind::Low;
    d.constHighKind = p.constKind == RangeKind::High;
    const std::string lo = CleanConstantText(p.loConstText);
    const std::string hi = CleanConstantText(p.hiConstText);
    double low = -99.99, high = 999.99;
    const auto number = [&](const std::string& t, double& v) {
      if (readPlainNumber(t, v)) return true;
      if (error) *error = "The constant value \"" + t + "\" is not a number";
      return false;
    };
    if (d.constApprox) {
      double centre = 0, width = 0;
      if (!number(lo, centre) || !number(hi, width)) return false;
      if (width < 0) width = -width;
      low = centre - width;
      high = centre + width;
      readPlainNumber(fixed2(low), low);
      readPlainNumber(fixed2(high), high);
      d.ConstRangeKey = keyHalf(fixed2(low)) + keyHalf(fixed2(high));
    } else {
      if (!lo.empty() && !number(lo, low)) return false;
      if (!hi.empty() && !number(hi, high)) return false;
      if (low < -99.99) low = -99.99;
      if (high > 999.99) high = 999.99;
      if (d.constExact) high = low;
      else if (low > high) std::swap(low, high);
      // The values are those of the rewritten boxes (two decimals).
      readPlainNumber(fixed2(low), low);
      readPlainNumber(fixed2(high), high);
      if (!lo.empty() || d.constExact) p.loConstText = fixed2(low);
      if (d.constExact) p.hiConstText = fixed2(high);
      else if (!hi.empty()) p.hiConstText = fixed2(high);
      d.ConstRangeKey = keyHalf(p.loConstText) + keyHalf(p.hiConstText);
    }
    d.constLow = low;
    d.constHigh = high;
    if (fixed2(low) == "-99.99" || trimmed(p.loConstText).empty()) d.constHighKind = true;
    if (fixed2(high) == "999.99" || trimmed(p.hiConstText).empty()) d.constLowKind = true;
  }

  const bool given = !d.method.empty() || !d.medium.empty() || !d.calibration.empty() || d.constantGiven ||
                     !d.concText.empty() || d.tempGiven || d.commentGiven || d.anyFlag || d.anyRecommendation;
  if (!given) {
    d = DetailsSpec{};
  } else {
    d.empty = false;
    d.buildKey(edition);
  }

  const bool changed = trimmed(DetailsKey) != trimmed(d.DetailsKey) ||
                       trimmed(ConstRangeKey) != trimmed(d.ConstRangeKey) ||
                       trimmed(CommentKey) != trimmed(d.CommentKey);
  d.ListChanged = ListChanged || changed;
  *this = d;
  page = p;
  return changed;
}

}  // namespace talvex::spec
